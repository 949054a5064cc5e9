import QtQuick
import QtQuick.Layouts
import Tarvix

ColumnLayout {
    id: panel
    required property ContentView view
    spacing: 0

    TextLine {
        objectName: "logsGeneratedText"
        Layout.alignment: Qt.AlignHCenter
        text: WindowText.of(panel.view.logLabel)
    }
    LinkButton {
        Layout.alignment: Qt.AlignHCenter
        Layout.bottomMargin: 8
        visible: !panel.view.isFeedbackEmailLayoutDisabled
        text: qsTr("view logs")
        onClicked: panel.view.viewLogs()
    }
    Item {
        visible: panel.view.isFeedbackEmailLayoutDisabled
        Layout.preferredHeight: 8
    }
}
