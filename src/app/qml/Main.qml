import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tarvix
// Qt 6.4 does not look for modules under qrc:/qt/qml, so the styles come in as a folder.
import "../Styles"

ApplicationWindow {
    id: window
    required property ContentView view
    property PendingReports reports: null
    property bool reportsOpen: false
    /// The review of what is sent shows in place of the window's usual content.
    property bool reviewOpen: false
    function openReview() {
        reviewOpen = true
        review.open()
    }

    width: Theme.defaultWindowSize.width
    height: Theme.defaultWindowSize.height
    minimumWidth: Math.max(572, root.implicitWidth + 2 * root.anchors.margins)
    minimumHeight: Math.max(546, root.implicitHeight + 2 * root.anchors.margins)
    title: "Tarvix"
    // The content's own minimum wins over a smaller requested size.
    onWidthChanged: if (width < minimumWidth) width = minimumWidth
    onHeightChanged: if (height < minimumHeight) height = minimumHeight
    onMinimumWidthChanged: if (width < minimumWidth) width = minimumWidth
    onMinimumHeightChanged: if (height < minimumHeight) height = minimumHeight
    color: Theme.colors["BackgroundColor"]
    font: Theme.customFont(12)

    Binding {
        target: window.view
        property: "colorScheme"
        value: Theme.dark ? "dark" : "light"
    }

    ColumnLayout {
        id: root
        anchors.fill: parent
        anchors.margins: Theme.standardPadding
        spacing: 0
        // The Arabic catalog turns the application right to left; the window follows it.
        LayoutMirroring.enabled: Qt.application.layoutDirection === Qt.RightToLeft
        LayoutMirroring.childrenInherit: true
        visible: !window.reviewOpen && !window.reportsOpen

        Header {
            Layout.alignment: Qt.AlignHCenter
            Layout.margins: Theme.standardPadding
        }

        // Body area: the session area at the top, the action area at the bottom.
        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.margins: 16
            spacing: Theme.defaultSpacing

            ColumnLayout {
                Layout.fillWidth: true
                Layout.leftMargin: Theme.standardPadding
                Layout.rightMargin: Theme.standardPadding
                spacing: Theme.defaultSpacing

                CapturePanel {
                    objectName: "capturePanel"
                    view: window.view
                    visible: window.view.isLogEditorVisible
                    Layout.fillWidth: true
                    Layout.leftMargin: 32
                    Layout.rightMargin: 32
                }
                FeedbackForm {
                    objectName: "feedbackForm"
                    view: window.view
                    visible: window.view.isFeedbackLayoutVisible
                    Layout.fillWidth: true
                }
                SentPanel {
                    objectName: "sentPanel"
                    view: window.view
                    visible: !window.view.isFeedbackLayoutVisible && window.view.isCloseLayoutVisible
                    Layout.fillWidth: true
                }
            }

            Item { Layout.fillHeight: true }

            // Action area. Columns, not layouts: a layout never grows past what its children
            // can fill, which would pin the centred items to the leading edge.
            Column {
                id: actionArea
                Layout.fillWidth: true
                spacing: Theme.defaultSpacing

                Column {
                    anchors.horizontalCenter: parent.horizontalCenter
                    spacing: 0

                    TextLine {
                        objectName: "statusLine"
                        anchors.horizontalCenter: parent.horizontalCenter
                        visible: window.view.isLogLabelVisible
                        padding: 8
                        // A long status wraps at the window's width instead of widening it.
                        width: Math.min(implicitWidth, actionArea.width)
                        wrapMode: Text.Wrap
                        horizontalAlignment: Text.AlignHCenter
                        text: WindowText.of(window.view.logLabel)
                    }
                    // The Ready panel's way to the list, when there is anything to show.
                    LinkButton {
                        objectName: "readyReportsLink"
                        anchors.horizontalCenter: parent.horizontalCenter
                        visible: window.reports !== null && window.reports.hasReports && window.view.isLogEditorVisible
                                 && !window.view.advanceLogToggleDisabled
                        text: qsTr("reports")
                        onClicked: { window.reportsOpen = true; reportsPanel.open() }
                    }
                    LogsGeneratedPanel {
                        id: logsPanel
                        objectName: "logsGeneratedPanel"
                        anchors.horizontalCenter: parent.horizontalCenter
                        view: window.view
                        visible: window.view.isLoggingCompleteVisible
                        reports: window.reports
                        onReviewRequested: window.openReview()
                        onReportsRequested: { window.reportsOpen = true; reportsPanel.open() }
                    }
                    FailurePanel {
                        id: failurePanel
                        objectName: "failurePanel"
                        anchors.horizontalCenter: parent.horizontalCenter
                        view: window.view
                        visible: window.view.isUploadFailedLayoutVisible
                        textWidth: actionArea.width
                        reports: window.reports
                        onReviewRequested: window.openReview()
                        onReportsRequested: { window.reportsOpen = true; reportsPanel.open() }
                    }
                }

                FocusableButtonStyle {
                    objectName: "primaryButton"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: !window.view.thickBorderButtonStyle
                    enabled: !window.view.primaryButtonDisabled
                    text: WindowText.of(window.view.startButtonLabel)
                    fillColor: Theme.colors[window.view.primaryButtonColor]
                    textColor: Theme.colors[window.view.primaryButtonTextColor]
                    onClicked: window.view.primaryButtonAction()
                }
                ThickBorderButtonStyle {
                    objectName: "closeButton"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: window.view.thickBorderButtonStyle
                    text: WindowText.of(window.view.startButtonLabel)
                    fillColor: Theme.colors[window.view.thickBorderButtonColor]
                    onClicked: window.view.closeButtonAction()
                }
            }
        }

        Footer {
            Layout.alignment: Qt.AlignHCenter
        }
    }

    ReviewPanel {
        id: review
        objectName: "reviewPanel"
        anchors.fill: parent
        anchors.margins: 2 * Theme.standardPadding
        visible: window.reviewOpen
        view: window.view
        LayoutMirroring.enabled: root.LayoutMirroring.enabled
        LayoutMirroring.childrenInherit: true
        onClosed: {
            window.reviewOpen = false
            // Back to the link that opened it: after a failed upload that is the failure panel's.
            if (failurePanel.visible)
                failurePanel.focusReviewLink()
            else
                logsPanel.focusReviewLink()
        }
    }

    ReportsPanel {
        id: reportsPanel
        objectName: "reportsPanel"
        anchors.fill: parent
        anchors.margins: 2 * Theme.standardPadding
        visible: window.reportsOpen
        reports: window.reports
        LayoutMirroring.enabled: root.LayoutMirroring.enabled
        LayoutMirroring.childrenInherit: true
        onClosed: window.reportsOpen = false
    }
}
