import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tarvix

// The description and the e-mail address. The view's handlers keep the limits, the focus moves
// and the share on a line feed; the inputs only carry text to and from the cells.
ColumnLayout {
    id: form
    required property ContentView view

    readonly property bool descriptionMissing: !view.isInitialFocus && view.feedbackText.length === 0
    readonly property bool emailValid: view.isValidEmail(view.emailText)
    // Set while a cell's value is copied into its input, so the copy is not sent back: the
    // editor normalises some characters (a carriage return becomes a line break).
    property bool copyingFromCell: false

    function copyFromCell(input, value) {
        if (input.text === value) return
        copyingFromCell = true
        input.text = value
        input.cursorPosition = input.length
        copyingFromCell = false
    }

    // A paste goes to the cell as it is: the editor would turn a carriage return into a line
    // feed, which the e-mail input takes for Return.
    function paste(input) {
        const start = input.selectionStart
        const pasted = view.clipboardText()
        input.enterText(input.text.slice(0, start) + pasted + input.text.slice(input.selectionEnd))
        input.cursorPosition = Math.min(start + pasted.length, input.length)
    }

    function applyFocus() {
        if (view.feedbackFormFocus === SessionTypes.Field.feedback) description.forceActiveFocus()
        else if (view.feedbackFormFocus === SessionTypes.Field.email) email.forceActiveFocus()
    }

    onVisibleChanged: if (visible) view.feedbackFormAppeared()
    Component.onCompleted: if (visible) view.feedbackFormAppeared()

    Connections {
        target: form.view
        function onFeedbackFormFocusChanged() { form.applyFocus() }
        function onFeedbackTextChanged() { form.copyFromCell(description, form.view.feedbackText) }
        function onEmailTextChanged() { form.copyFromCell(email, form.view.emailText) }
    }

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8

        TextLine {
            Layout.fillWidth: true
            Layout.preferredWidth: Math.min(implicitWidth, 480)
            wrapMode: Text.Wrap
            text: WindowText.of("Please tell us what led to the error")
            enabled: !form.view.formLocked
            opacity: enabled ? 1.0 : 0.5
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 56
            radius: 4
            color: "transparent"
            border.width: 1
            border.color: form.descriptionMissing ? Theme.colors["error"] : Theme.colors["Border"]
            clip: true

            ScrollView {
                anchors.fill: parent
                anchors.leftMargin: 8
                anchors.topMargin: 8
                anchors.bottomMargin: 8
                enabled: !form.view.formLocked

                TextArea {
                    id: description
                    objectName: "descriptionInput"
                    wrapMode: TextEdit.Wrap
                    padding: 0
                    background: null
                    color: Theme.textColor
                    opacity: enabled ? 1.0 : 0.6
                    Component.onCompleted: form.copyFromCell(description, form.view.feedbackText)
                    onTextChanged: if (!form.copyingFromCell) form.view.feedbackText = text
                    function enterText(value) { form.view.feedbackText = value }
                    Keys.onPressed: event => {
                        if (event.matches(StandardKey.Paste)) {
                            event.accepted = true
                            form.paste(description)
                        }
                    }
                    onActiveFocusChanged: if (activeFocus) form.view.feedbackFormFocus = SessionTypes.Field.feedback
                    Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
                    Accessible.name: WindowText.of("Please tell us what led to the error")
                }
            }
        }
        TextLine {
            text: form.descriptionMissing ? qsTr("Desciption is required") : " "
            color: Theme.colors["error"]
        }
    }
    Item { Layout.preferredHeight: 16 }
    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8

        TextLine {
            Layout.fillWidth: true
            Layout.preferredWidth: Math.min(implicitWidth, 480)
            wrapMode: Text.Wrap
            text: WindowText.of("Norvane can contact me for fixes at the following email address")
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 32
            radius: 4
            color: "transparent"
            border.width: 1
            border.color: form.emailValid ? Theme.colors["Border"] : Theme.colors["error"]
            clip: true
            enabled: !form.view.formLocked

            TextArea {
                id: email
                objectName: "emailInput"
                anchors.fill: parent
                // The error icon sits at the trailing edge, the left one right to left.
                readonly property bool iconLeft: Qt.application.layoutDirection === Qt.RightToLeft
                leftPadding: !form.emailValid && iconLeft ? 32 : 8
                topPadding: 8
                bottomPadding: 8
                rightPadding: !form.emailValid && !iconLeft ? 32 : 8
                wrapMode: TextEdit.NoWrap
                background: null
                color: Theme.textColor
                opacity: enabled ? 1.0 : 0.6
                Component.onCompleted: form.copyFromCell(email, form.view.emailText)
                onTextChanged: if (!form.copyingFromCell) form.view.emailText = text
                function enterText(value) { form.view.emailText = value }
                Keys.onPressed: event => {
                    if (event.matches(StandardKey.Paste)) {
                        event.accepted = true
                        form.paste(email)
                    }
                }
                onActiveFocusChanged: if (activeFocus) form.view.feedbackFormFocus = SessionTypes.Field.email
                Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
                Accessible.name: WindowText.of("Norvane can contact me for fixes at the following email address")
            }
            Image {
                objectName: "emailErrorIcon"
                anchors.right: parent.right
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                visible: !form.emailValid
                source: Theme.image(Theme.dark ? "darkerroricon" : "erroricon")
                Accessible.role: Accessible.Graphic
                Accessible.name: qsTr("Invalid email address")
            }
        }
        TextLine {
            text: form.emailValid ? " " : qsTr("Invalid email address")
            color: Theme.colors["error"]
        }
    }
    Item { Layout.preferredHeight: 16 }
}
