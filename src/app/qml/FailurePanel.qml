import QtQuick
import QtQuick.Layouts
import Tarvix

ColumnLayout {
    id: panel
    required property ContentView view
    property PendingReports reports: null
    signal reviewRequested()
    signal reportsRequested()
    property bool keptToSendLater: false
    Connections {
        target: panel.reports
        function onNotKept() { panel.keptToSendLater = false }
    }
    function focusReviewLink() { reviewLink.forceActiveFocus(Qt.OtherFocusReason) }
    // The row below moves up by one spacing, onto the reason's line when there is no reason.
    spacing: Theme.defaultSpacing
    /// The widest a line may be before it wraps.
    property real textWidth: implicitWidth

    TextLine {
        Layout.alignment: Qt.AlignHCenter
        text: qsTr("Error sharing logs.")
        color: Theme.colors["error"]
    }
    TextLine {
        objectName: "failureReason"
        Layout.alignment: Qt.AlignHCenter
        Layout.maximumWidth: panel.textWidth
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        text: {
            switch (panel.view.isSecondaryError) {
            case SessionTypes.SecondaryError.network: return qsTr("Please ensure you have access to the internet.")
            case SessionTypes.SecondaryError.canceled: return qsTr("Upload cancelled.")
            default: return ""
            }
        }
    }
    RowLayout {
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: -8
        spacing: 4
        TextLine { text: qsTr("You can") }
        LinkButton {
            text: qsTr("view the logs")
            onClicked: panel.view.viewLogs()
        }
        TextLine { text: qsTr("and share it with us at") }
        LinkButton {
            text: panel.view.supportEmail
            onClicked: panel.view.mailToSupport()
        }
    }
    LinkButton {
        objectName: "sendLaterLink"
        Layout.alignment: Qt.AlignHCenter
        visible: panel.reports !== null && panel.view.isSendLaterOffered && !panel.keptToSendLater
        text: qsTr("Send automatically when possible")
        onClicked: panel.keptToSendLater = panel.reports.sendLater(panel.view)
    }
    TextLine {
        Layout.alignment: Qt.AlignHCenter
        visible: panel.keptToSendLater
        text: qsTr("Tarvix will send the report when it can.")
    }
    LinkButton {
        objectName: "reportsLink"
        Layout.alignment: Qt.AlignHCenter
        visible: panel.reports !== null && (panel.reports.hasReports || panel.keptToSendLater)
        text: qsTr("reports")
        onClicked: panel.reportsRequested()
    }
    // Read-only by now: the retry sends the archive already built.
    LinkButton {
        id: reviewLink
        objectName: "failureReviewLink"
        Layout.alignment: Qt.AlignHCenter
        text: qsTr("review what is sent")
        onClicked: panel.reviewRequested()
    }
}
