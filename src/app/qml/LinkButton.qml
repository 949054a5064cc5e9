import QtQuick
import QtQuick.Controls.Basic
import Tarvix

// A borderless button drawn like a hyperlink, underlined.
AbstractButton {
    id: control

    padding: 0
    focusPolicy: Qt.StrongFocus
    hoverEnabled: true

    contentItem: Text {
        text: control.text
        font.family: control.font.family
        font.pixelSize: control.font.pixelSize
        font.underline: true
        color: Theme.colors["Link"]
        opacity: control.down ? 0.7 : 1.0
    }
    background: Rectangle {
        color: "transparent"
        border.width: control.visualFocus ? 1 : 0
        border.color: Theme.colors["Link"]
        radius: 2
    }
    HoverHandler { cursorShape: Qt.PointingHandCursor }
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Accessible.role: Accessible.Link
    Accessible.name: text
}
