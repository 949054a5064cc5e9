import QtQuick
import QtQuick.Controls.Basic
import Tarvix

// The Close button: a thick rounded outline; pressed, a light wash of the outline colour.
Button {
    id: control

    property color fillColor: "transparent"
    readonly property color outlineColor: Theme.colors["PrimaryTextColor"]

    topPadding: 8
    bottomPadding: 8
    leftPadding: 16
    rightPadding: 16

    contentItem: Text {
        text: control.text
        font: control.font
        color: Theme.textColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        radius: 16
        color: control.down ? Qt.rgba(control.outlineColor.r, control.outlineColor.g, control.outlineColor.b, 0.2)
                            : control.fillColor
        border.width: 2
        border.color: control.outlineColor
    }
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Accessible.name: text
}
