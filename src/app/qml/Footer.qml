import QtQuick
import QtQuick.Layouts
import Tarvix

RowLayout {
    spacing: Theme.defaultSpacing

    Image {
        source: Theme.image("norvanelogo")
        Accessible.role: Accessible.Graphic
        Accessible.name: "Norvane"
    }
    TextLine {
        text: qsTr("\u00a9 Norvane. All rights reserved.")
        font: Theme.customFont(11)
        color: Theme.colors["FooterText"]
    }
}
