import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tarvix
import "../Styles"

// A file of the session, read-only, in a monospace font, with a search.
ColumnLayout {
    id: viewer
    required property ReviewModel review
    property bool notFound: false
    /// The line the search found last; -1 before the first search.
    property int foundLine: -1
    spacing: Theme.defaultSpacing

    // From the line after the current one, starting over at the top.
    function findNext() {
        notFound = false
        if (search.text === "") return
        const at = review.findLine(search.text, foundLine)
        if (at < 0) {
            notFound = true
            return
        }
        foundLine = at
        lines.currentIndex = at
        lines.positionViewAtIndex(at, ListView.Center)
        const shown = lines.itemAtIndex(at)
        const column = shown ? shown.text.toLowerCase().indexOf(search.text.toLowerCase()) : 0
        lines.contentX = Math.max(0, Math.min(column * metrics.averageCharacterWidth - lines.width / 3,
                                              lines.contentWidth - lines.width))
    }

    Component.onCompleted: search.forceActiveFocus(Qt.OtherFocusReason)

    RowLayout {
        Layout.fillWidth: true
        TextLine {
            Layout.fillWidth: true
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            text: viewer.review.previewPath
            font: Theme.customFont(14)
        }
        LinkButton {
            objectName: "viewerBack"
            text: qsTr("back to the list")
            onClicked: viewer.review.closePreview()
        }
    }
    RowLayout {
        Layout.fillWidth: true
        TextField {
            id: search
            objectName: "viewerSearch"
            Layout.fillWidth: true
            placeholderText: qsTr("Search")
            color: Theme.textColor
            Accessible.name: qsTr("Search")
            onAccepted: viewer.findNext()
            onTextChanged: viewer.notFound = false
        }
        FocusableButtonStyle {
            text: qsTr("Find next")
            onClicked: viewer.findNext()
        }
    }
    TextLine {
        visible: viewer.review.previewTruncated
        Layout.fillWidth: true
        wrapMode: Text.Wrap
        color: Theme.colors["SecondaryTextColor"]
        text: qsTr("Only the first %1 of this file are shown.").arg(viewer.review.previewLimit)
    }
    TextLine {
        visible: viewer.notFound
        text: qsTr("Not found.")
        color: Theme.colors["SecondaryTextColor"]
    }
    FontMetrics {
        id: metrics
        font.family: "monospace"
        font.pixelSize: 12
    }
    Rectangle {
        Layout.fillWidth: true
        Layout.fillHeight: true
        color: "transparent"
        border.width: 1
        border.color: Theme.colors["Border"]
        radius: 4

        ListView {
            id: lines
            objectName: "viewerLines"
            anchors.fill: parent
            anchors.margins: 1
            clip: true
            model: viewer.review.previewLines
            contentWidth: Math.max(width, viewer.review.previewWidth * metrics.averageCharacterWidth + 16)
            flickableDirection: Flickable.HorizontalAndVerticalFlick
            boundsBehavior: Flickable.StopAtBounds
            activeFocusOnTab: true
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            highlight: Rectangle {
                visible: viewer.foundLine >= 0
                width: lines.contentWidth
                color: Theme.colors["CheckboxColor"]
                opacity: 0.25
            }
            ScrollBar.vertical: ScrollBar {}
            ScrollBar.horizontal: ScrollBar {}
            delegate: Text {
                required property string modelData
                x: 8
                text: modelData
                textFormat: Text.PlainText
                font: metrics.font
                color: Theme.textColor
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Accessible.role: Accessible.List
            Accessible.name: viewer.review.previewPath
        }
    }
}
