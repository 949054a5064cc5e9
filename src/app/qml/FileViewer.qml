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
    spacing: Theme.defaultSpacing

    // From the selection on, case-insensitive, starting over at the top once.
    function findNext() {
        const needle = search.text.toLowerCase()
        notFound = false
        if (needle === "") return
        const text = content.getText(0, content.length).toLowerCase()
        let at = text.indexOf(needle, content.selectionEnd)
        if (at < 0) at = text.indexOf(needle)
        if (at < 0) {
            notFound = true
            return
        }
        content.select(at, at + needle.length)
        const place = content.positionToRectangle(at)
        const flick = scroll.contentItem
        flick.contentY = Math.max(0, Math.min(place.y - flick.height / 3, flick.contentHeight - flick.height))
        flick.contentX = Math.max(0, Math.min(place.x - flick.width / 3, flick.contentWidth - flick.width))
    }

    onVisibleChanged: {
        notFound = false
        if (visible) search.forceActiveFocus(Qt.OtherFocusReason)
    }

    RowLayout {
        Layout.fillWidth: true
        TextLine {
            Layout.fillWidth: true
            elide: Text.ElideMiddle
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
        visible: viewer.notFound || viewer.review.previewTruncated
        Layout.fillWidth: true
        wrapMode: Text.Wrap
        color: Theme.colors["SecondaryTextColor"]
        text: viewer.notFound ? qsTr("Not found.")
                              : qsTr("Only the first %1 of this file are shown.").arg(viewer.review.previewLimit)
    }
    ScrollView {
        id: scroll
        Layout.fillWidth: true
        Layout.fillHeight: true

        TextArea {
            id: content
            objectName: "viewerText"
            readOnly: true
            selectByMouse: true
            selectByKeyboard: true
            wrapMode: TextEdit.NoWrap
            textFormat: TextEdit.PlainText
            font.family: "monospace"
            font.pixelSize: 12
            color: Theme.textColor
            text: viewer.review.previewText
            background: Rectangle {
                color: "transparent"
                border.width: 1
                border.color: Theme.colors["Border"]
                radius: 4
            }
            Accessible.name: viewer.review.previewPath
        }
    }
}
