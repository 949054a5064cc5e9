import QtQuick
import QtQuick.Layouts
import Tarvix

ColumnLayout {
    id: panel
    required property ContentView view


    TextLine {
        Layout.alignment: Qt.AlignHCenter
        text: "Error sharing logs."
        color: Theme.colors["error"]
    }
    TextLine {
        objectName: "failureReason"
        Layout.alignment: Qt.AlignHCenter
        text: {
            switch (panel.view.isSecondaryError) {
            case SessionTypes.SecondaryError.network: return "Please ensure you have access to the internet."
            case SessionTypes.SecondaryError.canceled: return "Upload cancelled."
            default: return ""
            }
        }
    }
    RowLayout {
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: -8
        spacing: 4
        TextLine { text: "You can" }
        LinkButton {
            text: "view the logs"
            onClicked: panel.view.viewLogs()
        }
        TextLine { text: "and share it with us at" }
        LinkButton {
            text: panel.view.supportEmail
            onClicked: panel.view.mailToSupport()
        }
    }
}
