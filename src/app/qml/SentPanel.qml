import QtQuick
import Tarvix

// Columns, not layouts, so the panel takes the full width and centres its lines in it.
Column {
    id: panel
    required property ContentView view
    spacing: 32

    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 8
        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            source: Theme.image("checkmarkcircle")
            Accessible.role: Accessible.Graphic
            Accessible.name: qsTr("Sent")
        }
        TextLine {
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(implicitWidth, panel.width)
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            text: qsTr("The log files were sent successfully.")
            font: Theme.customFont(18)
        }
        TextLine {
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(implicitWidth, panel.width)
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            text: qsTr("Use the below Log ID for your reference:")
            font: Theme.customFont(18)
        }
    }
    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 8
        TextLine {
            objectName: "logId"
            anchors.horizontalCenter: parent.horizontalCenter
            text: panel.view.logId
            font.family: Theme.customFont(18).family
            font.pixelSize: 18
            font.bold: true
        }
        LinkButton {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("copy")
            font: Theme.customFont(18)
            onClicked: panel.view.copyLogId()
        }
    }
}
