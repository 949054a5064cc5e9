import QtQuick
import QtQuick.Controls
import Tarvix

ApplicationWindow {
    required property ContentView view
    width: 572
    height: 528
    title: "Tarvix"

    Label {
        anchors.centerIn: parent
        text: "Tarvix"
    }
}
