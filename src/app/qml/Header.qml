import QtQuick
import QtQuick.Layouts
import Tarvix

ColumnLayout {
    spacing: 8

    Image {
        Layout.alignment: Qt.AlignHCenter
        Layout.maximumWidth: 80
        Layout.maximumHeight: 80
        Layout.preferredWidth: 80
        Layout.preferredHeight: 80
        source: Theme.image("scrivoglance")
        sourceSize: Qt.size(160, 160)
        fillMode: Image.PreserveAspectFit
        Accessible.role: Accessible.Graphic
        Accessible.name: qsTr("Scrivo and Glance")
    }
    TextLine {
        Layout.alignment: Qt.AlignHCenter
        text: "Tarvix"
        font: Theme.customFont(28)
    }
    TextLine {
        Layout.alignment: Qt.AlignHCenter
        text: qsTr("Scrivo troubleshooting tool")
        font: Theme.customFont(14)
    }
}
