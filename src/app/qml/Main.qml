import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tarvix
// Qt 6.4 does not look for modules under qrc:/qt/qml, so the styles come in as a folder.
import "../Styles"

ApplicationWindow {
    id: window
    required property ContentView view
    /// What each phase shows: the primary button's English title (translated when shown) and
    /// colours, the panels, whether the capture options may change, and whether the phase itself
    /// disables the primary button (absent: the form decides).
    readonly property var shows: {
        const table = {}
        table[SessionTypes.Phase.ready] = {title: "Start monitoring", fill: "PrimaryColor", ink: "white",
                                           capture: true, options: true, disabled: undefined}
        table[SessionTypes.Phase.monitoring] = {title: "Stop monitoring", fill: "PrimaryTextColor",
                                                ink: "BackgroundColor", capture: true, disabled: undefined}
        table[SessionTypes.Phase.collecting] = {title: "Stop monitoring", fill: "PrimaryTextColor",
                                                ink: "BackgroundColor", capture: true, disabled: true}
        table[SessionTypes.Phase.logsReady] = {title: "Share logs", fill: "PrimaryColor", ink: "white",
                                               form: true, complete: true, disabled: undefined}
        table[SessionTypes.Phase.packaging] = {title: "Share logs", fill: "PrimaryColor", ink: "white",
                                               form: true, complete: true, disabled: true}
        table[SessionTypes.Phase.uploading] = {title: "Stop upload", fill: "PrimaryColor", ink: "white",
                                               form: true, complete: true, disabled: false}
        table[SessionTypes.Phase.sent] = {title: "Close", fill: "clear", ink: "white", sent: true,
                                          complete: true, disabled: false}
        table[SessionTypes.Phase.failed] = {title: "Share logs", fill: "PrimaryColor", ink: "white",
                                            form: true, failed: true, disabled: undefined}
        return table[view.phase]
    }
    property PendingReports reports: null
    property bool reportsOpen: false
    /// The review of what is sent shows in place of the window's usual content.
    property bool reviewOpen: false
    function openReview() {
        reviewOpen = true
        review.item.open()
    }
    function openReports() {
        reportsOpen = true
        reportsPanel.item.open()
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
                    optionsEnabled: window.shows.options === true
                    visible: window.shows.capture === true
                    Layout.fillWidth: true
                    Layout.leftMargin: 32
                    Layout.rightMargin: 32
                }
                // The panels of later phases are made when first shown, and kept.
                Loader {
                    readonly property bool shown: window.shows.form === true
                    visible: shown
                    active: shown
                    onShownChanged: if (shown) active = true
                    Layout.fillWidth: true
                    sourceComponent: FeedbackForm {
                        objectName: "feedbackForm"
                        view: window.view
                    }
                }
                Loader {
                    readonly property bool shown: window.shows.sent === true
                    visible: shown
                    active: shown
                    onShownChanged: if (shown) active = true
                    Layout.fillWidth: true
                    sourceComponent: SentPanel {
                        objectName: "sentPanel"
                        view: window.view
                    }
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
                        id: statusLine
                        objectName: "statusLine"
                        anchors.horizontalCenter: parent.horizontalCenter
                        visible: window.shows.capture === true
                        padding: 8
                        // A long status wraps at the window's width instead of widening it. Measured
                        // apart: its own implicit width changes as it wraps, a binding loop.
                        width: Math.min(Math.ceil(statusWidth.advanceWidth) + leftPadding + rightPadding, actionArea.width)
                        wrapMode: Text.Wrap
                        horizontalAlignment: Text.AlignHCenter
                        text: WindowText.of(window.view.logLabel)
                    }
                    TextMetrics {
                        id: statusWidth
                        font: statusLine.font
                        text: statusLine.text
                    }
                    // The Ready panel's way to the list, when there is anything to show.
                    LinkButton {
                        objectName: "readyReportsLink"
                        anchors.horizontalCenter: parent.horizontalCenter
                        visible: window.reports !== null && window.reports.hasReports && window.shows.options === true
                        text: qsTr("reports")
                        onClicked: window.openReports()
                    }
                    Loader {
                        id: logsPanel
                        anchors.horizontalCenter: parent.horizontalCenter
                        readonly property bool shown: window.shows.complete === true
                        visible: shown
                        active: shown
                        onShownChanged: if (shown) active = true
                        sourceComponent: LogsGeneratedPanel {
                            objectName: "logsGeneratedPanel"
                            view: window.view
                            reports: window.reports
                            onReviewRequested: window.openReview()
                            onReportsRequested: window.openReports()
                        }
                    }
                    Loader {
                        id: failurePanel
                        anchors.horizontalCenter: parent.horizontalCenter
                        readonly property bool shown: window.shows.failed === true
                        visible: shown
                        active: shown
                        onShownChanged: if (shown) active = true
                        sourceComponent: FailurePanel {
                            objectName: "failurePanel"
                            view: window.view
                            textWidth: actionArea.width
                            reports: window.reports
                            onReviewRequested: window.openReview()
                            onReportsRequested: window.openReports()
                        }
                    }
                }

                FocusableButtonStyle {
                    objectName: "primaryButton"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: window.shows.sent !== true
                    enabled: !(window.shows.disabled ?? window.view.primaryButtonDisabled)
                    readonly property string title: window.shows.title
                    text: WindowText.of(title)
                    fillColor: Theme.colors[window.shows.fill]
                    textColor: Theme.colors[window.shows.ink]
                    onClicked: window.view.primaryButtonAction()
                }
                ThickBorderButtonStyle {
                    objectName: "closeButton"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: window.shows.sent === true
                    readonly property string title: window.shows.title
                    text: WindowText.of(title)
                    fillColor: Theme.colors["BackgroundColor"]
                    onClicked: window.view.closeButtonAction()
                }
            }
        }

        Footer {
            Layout.alignment: Qt.AlignHCenter
        }
    }

    // Made when opened: most sessions never open them, and the first frame does not wait for them.
    Loader {
        id: review
        anchors.fill: parent
        anchors.margins: 2 * Theme.standardPadding
        active: window.reviewOpen
        sourceComponent: ReviewPanel {
            objectName: "reviewPanel"
            view: window.view
            LayoutMirroring.enabled: root.LayoutMirroring.enabled
            LayoutMirroring.childrenInherit: true
            onClosed: {
                window.reviewOpen = false
                // Back to the link that opened it: after a failed upload that is the failure panel's.
                if (failurePanel.visible)
                    failurePanel.item.focusReviewLink()
                else
                    logsPanel.item.focusReviewLink()
            }
        }
    }

    Loader {
        id: reportsPanel
        anchors.fill: parent
        anchors.margins: 2 * Theme.standardPadding
        active: window.reportsOpen
        sourceComponent: ReportsPanel {
            objectName: "reportsPanel"
            reports: window.reports
            LayoutMirroring.enabled: root.LayoutMirroring.enabled
            LayoutMirroring.childrenInherit: true
            onClosed: window.reportsOpen = false
        }
    }
}
