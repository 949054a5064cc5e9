import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tarvix

// Every report of this account: sent ones with their Log ID, those kept to send later with
// their next attempt, those given up. Fills the window in place of its usual content.
FocusScope {
    id: panel
    property PendingReports reports: null
    signal closed()

    function open() { closeLink.forceActiveFocus(Qt.OtherFocusReason) }
    Keys.onEscapePressed: panel.closed()

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.defaultSpacing

        RowLayout {
            Layout.fillWidth: true
            TextLine {
                Layout.fillWidth: true
                text: qsTr("Reports")
                font: Theme.customFont(18)
            }
            LinkButton {
                id: closeLink
                objectName: "reportsCloseLink"
                text: qsTr("close")
                onClicked: panel.closed()
            }
        }
        TextLine {
            visible: !panel.reports || !panel.reports.hasReports
            text: qsTr("No reports yet.")
        }
        ListView {
            objectName: "reportsList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: Theme.defaultSpacing
            model: panel.reports ? panel.reports.reports : []
            delegate: ColumnLayout {
                id: row
                required property var modelData
                width: ListView.view.width
                spacing: 2
                TextLine {
                    text: qsTr("%1, %2").arg(row.modelData.date).arg(row.modelData.size)
                }
                RowLayout {
                    spacing: 8
                    TextLine {
                        text: {
                            switch (row.modelData.state) {
                            case "sent": return qsTr("Sent. Log ID: %1").arg(row.modelData.logId)
                            case "pending": return qsTr("Waiting to be sent. Next attempt: %1").arg(row.modelData.nextAttempt)
                            default: return qsTr("Given up: not sent within 7 days.")
                            }
                        }
                    }
                    LinkButton {
                        visible: row.modelData.state === "sent"
                        text: qsTr("copy")
                        onClicked: panel.reports.copyLogId(row.modelData.logId)
                    }
                    LinkButton {
                        objectName: "sendNowLink"
                        visible: row.modelData.state === "pending"
                        text: qsTr("send now")
                        onClicked: panel.reports.sendNow(row.modelData.session)
                    }
                    LinkButton {
                        visible: row.modelData.state !== "sent"
                        text: qsTr("discard")
                        onClicked: panel.reports.discard(row.modelData.session)
                    }
                }
            }
        }
    }
}
