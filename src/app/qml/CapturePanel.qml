import QtQuick
import QtQuick.Layouts
import Tarvix

// What will be collected, and the two capture options.
ColumnLayout {
    id: panel
    required property ContentView view

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8

        TextLine {
            text: panel.view.captureInfoLabel
            color: Theme.colors["SecondaryTextColor"]
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.minimumWidth: 480
            Layout.preferredWidth: 480
            Layout.preferredHeight: 64
            radius: 4
            color: "transparent"
            border.width: 1
            border.color: Theme.colors["Border"]
            clip: true

            TextLine {
                objectName: "captureDetails"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                padding: 8
                text: panel.view.captureDetails
                wrapMode: Text.Wrap
            }
        }
    }
    RowLayout {
        spacing: 24

        OptionCheckBox {
            text: "Advanced logs"
            checked: panel.view.getSpinDump
            enabled: !panel.view.advanceLogToggleDisabled
            onToggled: panel.view.getSpinDump = checked
        }
        OptionCheckBox {
            text: "Installed app information"
            visible: panel.view.getSpinDump
            checked: panel.view.getInstalledApps
            enabled: !panel.view.advanceLogToggleDisabled
            onToggled: panel.view.getInstalledApps = checked
        }
    }
}
