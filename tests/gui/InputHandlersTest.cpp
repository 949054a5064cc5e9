// The description and e-mail inputs: keys, focus moves, limits in user-perceived characters.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "Graphemes.h"
#include "GuiSession.h"
#include "core/workspace/SharedValues.h"

using tarvix::app::Field;
using tarvix::app::graphemeCount;
using tarvix::test::GuiSession;

namespace {

// One character each, of several code points: Qt 6.4's own boundary finder splits the first two.
const QString kFamily = QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467");
const QString kThaiSaraAm = QString::fromUtf8("\u0E01\u0E33");
const QString kDecomposedE = QString::fromUtf8("e\u0301");

/// The form as Logs ready shows it, without running a session.
void showForm(GuiSession& session)
{
    session.open();
    auto& state = *session.view().state();
    state.primaryButtonDisabled.set(true);
    state.isLogEditorVisible.set(false);
    state.isLogLabelVisible.set(false);
    state.isFeedbackLayoutVisible.set(true);
    state.isLoggingCompleteVisible.set(true);
    state.startButtonLabel.set("Share logs");
    session.waitUntil([&] { return session.shown("feedbackForm"); });
}

}  // namespace

TEST(Graphemes, CountsUserPerceivedCharacters)
{
    for (const QString& one : {kFamily, kThaiSaraAm, kDecomposedE}) EXPECT_EQ(graphemeCount(one), 1) << one.size();
    EXPECT_EQ(graphemeCount(QString::fromUtf8("\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA")), 2);  // two flags
    EXPECT_EQ(graphemeCount(QString()), 0);
    const QString mixed = kThaiSaraAm + kFamily + "ab";
    EXPECT_EQ(tarvix::app::graphemePrefix(mixed, 2), kThaiSaraAm + kFamily);
    EXPECT_EQ(tarvix::app::graphemePrefix(mixed, 10), mixed);
}

TEST(InputHandlers, FocusKeysAndLimitsOfBothInputs)
{
    GuiSession session;
    showForm(session);
    auto& view = session.view();
    // The form's appearance focuses the description and enables sharing.
    EXPECT_TRUE(session.focusIs(Field::feedback));
    EXPECT_EQ(session.window().activeFocusItem(), session.item("descriptionInput"));
    EXPECT_FALSE(view.primaryButtonDisabled());
    EXPECT_TRUE(view.isInitialFocus());

    // A line feed stays; a tab moves to the e-mail input and is dropped.
    session.type("one");
    QTest::keyClick(&session.window(), Qt::Key_Return);
    session.type("two");
    QTest::keyClick(&session.window(), Qt::Key_Tab);
    EXPECT_EQ(view.feedbackText(), "one\ntwo");
    EXPECT_TRUE(session.focusIs(Field::email));
    EXPECT_EQ(session.window().activeFocusItem(), session.item("emailInput"));

    // A pasted line end (CR or CR LF, which the editor would turn into Return) or tab moves the
    // focus and is dropped, also when an assistive technology enters the text; it never shares.
    struct Entry {
        Field into;
        const char* text;
        bool assistive;
    };
    for (const auto& [into, text, assistive] :
         {Entry{Field::feedback, "pasted\r", false}, Entry{Field::feedback, "pasted\r\n", false},
          Entry{Field::email, "ab@example.org\r\n", false}, Entry{Field::email, "ab@example.org\t", false},
          Entry{Field::email, "ab@example.org\r\n", true}}) {
        const bool email = into == Field::email;
        QQuickItem* input = session.item(email ? "emailInput" : "descriptionInput");
        view.setProperty(email ? "emailText" : "feedbackText", "");
        input->forceActiveFocus();
        if (assistive) {
            GuiSession::accessible(input)->editableTextInterface()->insertText(0, text);
        } else {
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(&session.window(), Qt::Key_V, Qt::ControlModifier);
        }
        EXPECT_EQ(email ? view.emailText() : view.feedbackText(), email ? "ab@example.org" : "pasted") << text;
        EXPECT_TRUE(session.focusIs(email ? Field::feedback : Field::email)) << text;
    }
    EXPECT_TRUE(session.waitIdle());
    EXPECT_EQ(view.startButtonLabel(), "Share logs");

    // In the address spaces vanish.
    view.setProperty("emailText", "a b@example.org");
    EXPECT_EQ(view.emailText(), "ab@example.org");

    // Limits count multi-code-point characters whole: 2000 in the description, 40 in the address.
    QString long2000;
    for (int i = 0; i < 2000; ++i) long2000 += (i % 2 ? kFamily : kThaiSaraAm);
    view.setProperty("feedbackText", long2000 + kDecomposedE);
    EXPECT_EQ(view.feedbackText(), long2000);
    QString accents;
    for (int i = 0; i < 41; ++i) accents += kDecomposedE;
    view.setProperty("emailText", accents);
    EXPECT_EQ(view.emailText(), accents.left(80));

    view.setProperty("emailText", "anne@example");
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Invalid email address"); }));
    session.screenshot("input-invalid-email");
    view.setProperty("emailText", "");
    EXPECT_TRUE(session.waitUntil([&] { return !session.textShown("Invalid email address"); }));

    // An empty description shows the required message and disables sharing...
    view.setProperty("feedbackText", "");
    EXPECT_FALSE(view.isInitialFocus());
    EXPECT_TRUE(view.primaryButtonDisabled());
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Desciption is required"); }));
    session.screenshot("input-description-required");
    // ...so a line feed in the address only removes the line feed.
    view.setProperty("emailText", "ab@example.org\n");
    EXPECT_EQ(view.emailText(), "ab@example.org");
    EXPECT_TRUE(session.waitIdle());
    EXPECT_FALSE(UtilityFunctions::ShareButtonPressed);
    EXPECT_EQ(view.startButtonLabel(), "Share logs");
}
