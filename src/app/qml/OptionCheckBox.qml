import QtQuick
import QtQuick.Controls.Basic
import Tarvix

// A capture option: check box with its label, ticked in "CheckboxColor".
CheckBox {
    id: control
    /// A file path in the review wraps anywhere rather than being cut: every text shows whole.
    property int wrapMode: Text.NoWrap

    font: Theme.customFont(14)
    topPadding: Theme.standardPadding
    bottomPadding: Theme.standardPadding
    spacing: 0

    indicator: Rectangle {
        implicitWidth: 16
        implicitHeight: 16
        x: control.mirrored ? control.width - width - control.rightPadding : control.leftPadding
        y: control.topPadding + (control.availableHeight - height) / 2
        radius: 3
        color: control.checked ? Theme.colors["CheckboxColor"] : "transparent"
        border.width: control.checked ? 0 : 1
        border.color: control.visualFocus ? Theme.colors["CheckboxColor"] : Theme.colors["Border"]
        opacity: control.enabled ? 1.0 : 0.5

        Text {
            anchors.centerIn: parent
            visible: control.checked
            text: "\u2713"
            color: "white"
            font.pixelSize: 12
        }
    }
    contentItem: Text {
        text: control.text
        font: control.font
        color: Theme.textColor
        opacity: control.enabled ? 1.0 : 0.5
        verticalAlignment: Text.AlignVCenter
        // Set, so that it mirrors: a path beside its box also under a right-to-left language.
        horizontalAlignment: Text.AlignLeft
        wrapMode: control.wrapMode
        leftPadding: control.mirrored ? 8 : control.indicator.width + 8
        rightPadding: control.mirrored ? control.indicator.width + 8 : 8
    }
    Accessible.name: text
}
