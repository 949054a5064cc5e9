import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tarvix

// What the share sends: the files with a box each, their count and size, name hiding, and a
// viewer for the file opened. Fills the window in place of its usual content.
FocusScope {
    id: panel
    required property ContentView view
    readonly property ReviewModel review: view.review
    signal closed()
    /// The link that opened the viewer, where the focus returns when it closes.
    property Item opener: null

    function open() {
        review.load()
        closeLink.forceActiveFocus(Qt.OtherFocusReason)
    }
    function close() {
        review.closePreview()
        panel.closed()
    }

    Keys.onEscapePressed: review.previewPath !== "" ? review.closePreview() : close()

    Connections {
        target: panel.review
        function onPreviewChanged() {
            if (panel.review.previewPath === "" && panel.visible)
                (panel.opener ? panel.opener : closeLink).forceActiveFocus(Qt.OtherFocusReason)
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.defaultSpacing
        visible: panel.review.previewPath === ""

        RowLayout {
            Layout.fillWidth: true
            TextLine {
                Layout.fillWidth: true
                text: qsTr("What is sent")
                font: Theme.customFont(18)
            }
            LinkButton {
                id: closeLink
                objectName: "reviewClose"
                text: qsTr("close")
                onClicked: panel.close()
            }
        }
        TextLine {
            Layout.fillWidth: true
            visible: panel.review.locked
            wrapMode: Text.Wrap
            text: qsTr("The logs are packaged. These choices can no longer change.")
            color: Theme.colors["SecondaryTextColor"]
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            radius: 4
            color: "transparent"
            border.width: 1
            border.color: Theme.colors["Border"]

            ListView {
                id: list
                objectName: "reviewList"
                anchors.fill: parent
                anchors.margins: 1
                clip: true
                model: panel.review
                cacheBuffer: 400
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar {}
                delegate: RowLayout {
                    id: row
                    required property int index
                    required property string path
                    required property string size
                    required property bool included
                    required property bool unsearchable
                    width: ListView.view.width - 16
                    x: 8
                    spacing: 8

                    OptionCheckBox {
                        Layout.fillWidth: true
                        topPadding: 4
                        bottomPadding: 4
                        font: Theme.customFont(12)
                        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                        text: row.path
                        checked: row.included && !row.unsearchable
                        enabled: !panel.review.locked && !row.unsearchable
                        onToggled: {
                            panel.review.setIncluded(row.index, checked)
                            checked = Qt.binding(() => row.included && !row.unsearchable)
                        }
                        onActiveFocusChanged: if (activeFocus) list.positionViewAtIndex(row.index, ListView.Contain)
                    }
                    TextLine {
                        visible: row.unsearchable
                        text: qsTr("left out: compressed, names cannot be hidden in it")
                        color: Theme.colors["SecondaryTextColor"]
                    }
                    TextLine { text: row.size; color: Theme.colors["SecondaryTextColor"] }
                    LinkButton {
                        id: openLink
                        text: qsTr("open")
                        enabled: !panel.review.locked
                        Accessible.name: qsTr("open %1").arg(row.path)
                        onClicked: {
                            panel.opener = openLink
                            panel.review.openFile(row.index)
                        }
                    }
                }
            }
            TextLine {
                anchors.centerIn: parent
                visible: panel.review.loading
                text: qsTr("Listing the files…")
            }
        }
        TextLine {
            objectName: "reviewSummary"
            text: qsTr("Files sent: %1 (%2)").arg(panel.review.fileCount).arg(panel.review.totalSize)
        }
        TextLine {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: qsTr("Archive about %1 of the %2 limit (estimated by compressing a sample of each kind of file).")
                      .arg(panel.review.estimatedSize).arg(panel.review.sizeLimit)
            color: panel.review.overLimit ? Theme.colors["error"] : Theme.textColor
        }
        TextLine {
            objectName: "reviewProblem"
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            visible: text !== ""
            color: Theme.colors["error"]
            text: {
                switch (panel.review.problem) {
                case ReviewModel.Problem.everythingLeftOut: return qsTr("At least one file must be sent: the description alone does not help support.")
                case ReviewModel.Problem.listFailed: return qsTr("The files could not be listed.")
                case ReviewModel.Problem.openFailed: return qsTr("The file could not be opened.")
                default: return ""
                }
            }
        }
        OptionCheckBox {
            text: qsTr("Hide my name and computer")
            topPadding: 4
            bottomPadding: 0
            checked: panel.review.hideIdentity
            enabled: !panel.review.locked
            onToggled: {
                panel.review.hideIdentity = checked
                checked = Qt.binding(() => panel.review.hideIdentity)
            }
        }
        RowLayout {
            Layout.fillWidth: true
            visible: panel.review.hideIdentity
            TextLine { text: qsTr("Also hide these words") }
            TextField {
                objectName: "reviewWords"
                Layout.fillWidth: true
                enabled: !panel.review.locked
                placeholderText: qsTr("a customer's or a project's name, separated by commas")
                Accessible.name: qsTr("Also hide these words")
                text: panel.review.extraWords
                onEditingFinished: panel.review.extraWords = text
            }
        }
        TextLine {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            color: Theme.colors["SecondaryTextColor"]
            text: qsTr("Replaced in every file sent and in your description: your login; your real name as files write it (First.Last, Last, First, any case); your home folder; this computer's names and its network (hardware and IP) addresses; e-mail addresses other than yours; the words you add (names of one or two letters only as whole words). The archive is checked for them before it leaves: a file where one is still found stays on this computer. The feedback record holds a machine identifier that cannot be traced back to you.")
                  + (panel.review.hiddenNamesFile === "" ? ""
                     : " " + qsTr("The list of replacements stays on this computer: %1").arg(panel.review.hiddenNamesFile))
        }
    }

    // Made for each file opened, so each starts with an empty search.
    Loader {
        anchors.fill: parent
        active: panel.review.previewPath !== ""
        sourceComponent: FileViewer {
            review: panel.review
        }
    }
}
