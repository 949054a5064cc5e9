// The description and e-mail inputs: keys, focus moves, limits in user-perceived characters.
#include <QTest>

#include <gtest/gtest.h>

#include "GraphemesFixtures.h"
#include "GuiSession.h"
#include "Graphemes.h"
#include "core/workspace/UtilityFunctions.h"

using tarvix::test::GuiSession;

namespace {

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

QQuickItem* focused(GuiSession& session) { return session.window().activeFocusItem(); }

}  // namespace

TEST(Graphemes, CountsUserPerceivedCharacters)
{
    using tarvix::app::graphemeCount;
    using tarvix::app::graphemePrefix;
    EXPECT_EQ(graphemeCount(tarvix::test::kFamily), 1);
    EXPECT_EQ(graphemeCount(tarvix::test::kThaiSaraAm), 1);
    EXPECT_EQ(graphemeCount(tarvix::test::kDecomposedE), 1);
    EXPECT_EQ(graphemeCount(QString::fromUtf8("\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA")), 2);  // two flags
    EXPECT_EQ(graphemeCount(QString()), 0);
    const QString mixed = tarvix::test::kThaiSaraAm + tarvix::test::kFamily + "ab";
    EXPECT_EQ(graphemePrefix(mixed, 2), tarvix::test::kThaiSaraAm + tarvix::test::kFamily);
    EXPECT_EQ(graphemePrefix(mixed, 10), mixed);
    EXPECT_EQ(graphemePrefix(mixed, 0), QString());
}

TEST(InputHandlers, FormAppearanceFocusesTheDescriptionAndEnablesSharing)
{
    GuiSession session;
    showForm(session);
    EXPECT_EQ(session.view().feedbackFormFocus(), 0);
    EXPECT_FALSE(session.view().primaryButtonDisabled());
    EXPECT_EQ(focused(session), session.item("descriptionInput"));
    EXPECT_TRUE(session.view().isInitialFocus());
}

TEST(InputHandlers, DescriptionKeysAndLimit)
{
    GuiSession session;
    showForm(session);
    auto& view = session.view();

    // Typed keys: a line feed stays, a tab moves to the e-mail input and is dropped.
    session.type("one");
    QTest::keyClick(&session.window(), Qt::Key_Return);
    session.type("two");
    EXPECT_EQ(view.feedbackText(), "one\ntwo");
    QTest::keyClick(&session.window(), Qt::Key_Tab);
    EXPECT_EQ(view.feedbackText(), "one\ntwo");
    EXPECT_EQ(view.feedbackFormFocus(), 1);
    EXPECT_EQ(focused(session), session.item("emailInput"));

    // A pasted carriage return does the same.
    view.setProperty("feedbackText", "pasted\r");
    EXPECT_EQ(view.feedbackText(), "pasted");
    EXPECT_EQ(view.feedbackFormFocus(), 1);

    // 2000 emoji sequences are kept whole; the 2001st is cut.
    QString long2000;
    for (int i = 0; i < 2000; ++i) long2000 += (i % 2 ? tarvix::test::kFamily : tarvix::test::kThaiSaraAm);
    view.setProperty("feedbackText", long2000);
    EXPECT_EQ(view.feedbackText(), long2000);
    view.setProperty("feedbackText", long2000 + tarvix::test::kDecomposedE);
    EXPECT_EQ(view.feedbackText(), long2000);

    // Emptying it shows the required message and disables sharing.
    view.setProperty("feedbackText", "");
    EXPECT_FALSE(view.isInitialFocus());
    EXPECT_TRUE(view.primaryButtonDisabled());
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Desciption is required"); }));
    session.screenshot("input-description-required");
}

TEST(InputHandlers, EmailKeysAndLimit)
{
    GuiSession session;
    showForm(session);
    auto& view = session.view();

    view.setProperty("emailText", "a b@example.org");
    EXPECT_EQ(view.emailText(), "ab@example.org");
    view.setProperty("emailText", "ab@example.org\t");
    EXPECT_EQ(view.emailText(), "ab@example.org");
    EXPECT_EQ(view.feedbackFormFocus(), 0);
    view.setProperty("emailText", "ab@example.org\r");
    EXPECT_EQ(view.emailText(), "ab@example.org");

    // 41 decomposed characters (82 code units) keep 40.
    QString accents;
    for (int i = 0; i < 41; ++i) accents += tarvix::test::kDecomposedE;
    view.setProperty("emailText", accents);
    EXPECT_EQ(tarvix::app::graphemeCount(view.emailText()), 40);
    EXPECT_EQ(view.emailText().size(), 80);

    // Invalid address: message; empty address: valid again.
    view.setProperty("emailText", "anne@example");
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Invalid email address"); }));
    session.screenshot("input-invalid-email");
    view.setProperty("emailText", "");
    EXPECT_TRUE(session.waitUntil([&] { return !session.textShown("Invalid email address"); }));

    // A line feed while sharing is disabled only removes the line feed.
    view.setProperty("feedbackText", "x");
    view.setProperty("feedbackText", "");
    ASSERT_TRUE(view.primaryButtonDisabled());
    view.setProperty("emailText", "ab@example.org\n");
    EXPECT_EQ(view.emailText(), "ab@example.org");
    EXPECT_TRUE(session.waitIdle());
    EXPECT_FALSE(UtilityFunctions::ShareButtonPressed);
    EXPECT_EQ(view.startButtonLabel(), "Share logs");
}
