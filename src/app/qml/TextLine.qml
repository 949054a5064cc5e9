import QtQuick
import QtQuick.Controls.Basic
import Tarvix

// A text a person reads: in the accessibility tree under its visible text.
Label {
    color: Theme.textColor
    textFormat: Text.PlainText
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
