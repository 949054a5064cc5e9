import QtQuick
import QtQuick.Layouts
import Tarvix

// What will be collected, and the two capture options.
ColumnLayout {
    id: panel
    required property ContentView view
    required property bool optionsEnabled

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8

        // Sentences wrap at the capture list's width; the window grows only for what cannot wrap.
        TextLine {
            Layout.fillWidth: true
            Layout.preferredWidth: Math.min(implicitWidth, 480)
            wrapMode: Text.Wrap
            text: WindowText.of("Tarvix needs to collect the following information to address the issue")
            color: Theme.colors["SecondaryTextColor"]
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.minimumWidth: 480
            Layout.preferredWidth: 480
            // 64 high; a translated list that needs more lines makes it taller, never clipped.
            Layout.preferredHeight: Math.max(64, details.implicitHeight)
            radius: 4
            color: "transparent"
            border.width: 1
            border.color: Theme.colors["Border"]
            clip: true

            TextLine {
                id: details
                objectName: "captureDetails"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                padding: 8
                text: WindowText.of(panel.view.captureDetails)
                wrapMode: Text.Wrap
            }
        }
    }
    RowLayout {
        spacing: 24

        OptionCheckBox {
            text: qsTr("Advanced logs")
            checked: panel.view.getSpinDump
            enabled: panel.optionsEnabled
            onToggled: panel.view.getSpinDump = checked
        }
        OptionCheckBox {
            text: qsTr("Installed app information")
            visible: panel.view.getSpinDump
            checked: panel.view.getInstalledApps
            enabled: panel.optionsEnabled
            onToggled: panel.view.getInstalledApps = checked
        }
    }
}
