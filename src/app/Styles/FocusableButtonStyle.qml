import QtQuick
import QtQuick.Controls.Basic
import Tarvix

// The primary button: padded label on its fill colour, at 0.8 opacity while pressed or disabled.
// The slot clips it to corner radius 16 and colours the title.
Button {
    id: control

    /// The fill; transparent when no colour is bound.
    property color fillColor: "transparent"
    property color textColor: Theme.textColor

    topPadding: 8
    bottomPadding: 8
    leftPadding: 16
    rightPadding: 16
    opacity: enabled && !down ? 1.0 : 0.8

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.textColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        implicitHeight: 16
        radius: 16
        color: control.fillColor
        border.width: control.visualFocus ? 2 : 0
        border.color: Theme.colors["PrimaryTextColor"]
    }
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Accessible.name: text
}
