import QtQuick
import QtQuick.Layouts
import Tarvix

ColumnLayout {
    id: panel
    required property ContentView view
    property PendingReports reports: null
    signal reviewRequested()
    signal reportsRequested()
    function focusReviewLink() { reviewLink.forceActiveFocus(Qt.OtherFocusReason) }
    spacing: 0

    TextLine {
        objectName: "logsGeneratedText"
        Layout.alignment: Qt.AlignHCenter
        text: WindowText.of(panel.view.logLabel)
    }
    RowLayout {
        Layout.alignment: Qt.AlignHCenter
        Layout.bottomMargin: 8
        spacing: 16
        LinkButton {
            visible: !panel.view.formLocked
            text: qsTr("view logs")
            onClicked: panel.view.viewLogs()
        }
        // Also once packaged: the review then shows, read-only, what was chosen.
        LinkButton {
            id: reviewLink
            objectName: "reviewLink"
            text: qsTr("review what is sent")
            onClicked: panel.reviewRequested()
        }
        LinkButton {
            visible: panel.reports !== null && panel.reports.hasReports
            text: qsTr("reports")
            onClicked: panel.reportsRequested()
        }
    }
}
