// The description and e-mail inputs: keys, pastes, focus moves, limits in user-perceived characters.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "GuiSession.h"

using tarvix::app::Field;
using tarvix::test::GuiSession;

TEST(InputHandlers, KeysPastesAndLimitsOfBothInputs)
{
    GuiSession session;
    session.open();
    auto& view = session.view();
    view.controller()->restore(tarvix::app::Phase::logsReady);
    ASSERT_TRUE(session.waitUntil([&] { return session.shown("feedbackForm"); }));
    const auto focus = [&] { return static_cast<Field>(view.feedbackFormFocus()); };
    // Shown, the form focuses the description; a line feed stays in it, a tab moves on.
    EXPECT_EQ(session.window().activeFocusItem(), session.item("descriptionInput"));
    session.type("one\rtwo\t");
    EXPECT_EQ(view.feedbackText(), "one\ntwo");
    EXPECT_EQ(session.window().activeFocusItem(), session.item("emailInput"));

    // A pasted carriage return or tab moves the focus and is dropped, also when an assistive
    // technology enters it; only the last character counts, so a pasted CR LF is a line feed: the
    // description keeps it, the address drops it (sharing only with a description).
    for (const bool assistive : {false, true}) {
        for (const char* text : {"ab@example.org\r", "ab@example.org\r\n", "ab@example.org\t"}) {
            for (const bool email : {false, true}) {
                const bool lineFeed = std::string_view(text).ends_with('\n');
                QQuickItem* input = session.item(email ? "emailInput" : "descriptionInput");
                view.setProperty(email ? "emailText" : "feedbackText", "");
                if (email && lineFeed) view.setProperty("feedbackText", "");
                input->forceActiveFocus();
                QGuiApplication::clipboard()->setText(text);
                if (assistive)
                    QAccessible::queryAccessibleInterface(input)->editableTextInterface()->insertText(0, text);
                else
                    QTest::keyClick(&session.window(), Qt::Key_V, Qt::ControlModifier);
                const QString shown = email ? view.emailText() : view.feedbackText();
                if (lineFeed && !email) {
                    EXPECT_TRUE(shown.startsWith("ab@example.org") && shown.endsWith('\n')) << shown.toStdString();
                    EXPECT_EQ(focus(), Field::feedback) << "CR LF stays in the description";
                } else {
                    EXPECT_EQ(shown, "ab@example.org") << text;
                    EXPECT_EQ(focus(), email ? Field::feedback : Field::email) << text;
                }
            }
        }
    }
    EXPECT_FALSE(view.formLocked()) << "shared";

    // Spaces leave the address; limits count characters of several code points whole.
    const QString family = QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    const QString thai = QString::fromUtf8("\u0E01\u0E33"), accent = QString::fromUtf8("e\u0301");
    view.setProperty("emailText", "a b@example.org");
    EXPECT_EQ(view.emailText(), "ab@example.org");
    const QString long2000 = (thai + family).repeated(1000);
    view.setProperty("feedbackText", long2000 + accent);
    EXPECT_EQ(view.feedbackText(), long2000);
    view.setProperty("emailText", accent.repeated(41));
    EXPECT_EQ(view.emailText(), accent.repeated(40));
    view.setProperty("emailText", "anne@example");
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Invalid email address"); }));

    // An empty description asks for one and disables sharing, so a line feed in the address only
    // goes away.
    view.setProperty("feedbackText", "");
    EXPECT_TRUE(view.primaryButtonDisabled());
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Desciption is required"); }));
    view.setProperty("emailText", "ab@example.org\n");
    EXPECT_EQ(view.emailText(), "ab@example.org");
    EXPECT_TRUE(session.waitIdle());
    EXPECT_FALSE(view.formLocked()) << "shared";
}
