import QtQuick
import QtQuick.Layouts
import Tarvix
import "../Styles"

// What the core refused, told in the window's language; nothing goes on behind it until it is
// dismissed, as with the system's own alerts.
Window {
    id: alert
    objectName: "alert"

    required property string heading
    required property string message
    required property string buttonTitle

    title: heading
    flags: Qt.Dialog
    modality: Qt.ApplicationModal
    color: Theme.colors["BackgroundColor"]
    width: 420
    height: content.implicitHeight + 2 * content.anchors.margins
    minimumWidth: width
    minimumHeight: height

    ColumnLayout {
        id: content
        anchors.fill: parent
        anchors.margins: 16
        spacing: 12
        Accessible.role: Accessible.AlertMessage
        Accessible.name: alert.heading

        TextLine {
            Layout.fillWidth: true
            text: alert.heading
            font.bold: true
            wrapMode: Text.Wrap
        }
        TextLine {
            Layout.fillWidth: true
            text: alert.message
            wrapMode: Text.Wrap
        }
        FocusableButtonStyle {
            Layout.alignment: Qt.AlignRight
            text: alert.buttonTitle
            fillColor: Theme.colors["PrimaryColor"]
            textColor: "white"
            focus: true
            onClicked: alert.close()
        }
    }
    Shortcut {
        sequence: StandardKey.Cancel
        onActivated: alert.close()
    }
}
