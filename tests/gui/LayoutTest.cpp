// What the window's states show and enable, also to assistive technologies, and the mail link.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QRegularExpression>
#include <QUrl>

#include "CaptureDetails.h"
#include "GuiSession.h"
#include "MailTo.h"

using tarvix::test::GuiSession;

TEST(Layout, OptionsAndLockedStatesAsTheyLookAndAsAScreenReaderHearsThem)
{
    GuiSession session;
    session.open();
    auto& view = session.view();
    auto& state = *view.state();
    EXPECT_FALSE(QFontInfo(session.item("statusLine")->property("font").value<QFont>()).family().isEmpty());
    const auto details = [&] { return view.captureDetails().toStdString(); };
    const auto act = [&](const QString& action) {
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(session.control("Advanced logs"));
        box->actionInterface()->doAction(action);
        return box->state();
    };
    session.clickControl("Advanced logs");
    EXPECT_EQ(details(), tarvix::app::kAdvancedCaptureDetails);
    ASSERT_TRUE(session.waitUntil([&] { return session.control("Installed app information"); }));
    session.clickControl("Installed app information");
    EXPECT_EQ(details(), tarvix::app::kFullCaptureDetails);
    // Advanced off, also by a screen reader's "Toggle", hides the second option.
    EXPECT_FALSE(act(QAccessibleActionInterface::toggleAction()).checked);
    EXPECT_EQ(details(), tarvix::app::kBasicCaptureDetails);
    EXPECT_TRUE(session.waitUntil([&] { return !session.control("Installed app information"); }));

    // Collecting: button and options locked.
    state.advanceLogToggleDisabled.set(true);
    state.primaryButtonDisabled.set(true);
    session.waitUntil([&] { return !session.item("primaryButton")->isEnabled(); });
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(session.item("primaryButton"))->state().disabled);
    EXPECT_TRUE(act(QAccessibleActionInterface::toggleAction()).disabled);
    EXPECT_FALSE(view.getSpinDump()) << "a locked option does not react";

    // Upload failed for want of a network.
    state.isUploadFailedLayoutVisible.set(true);
    state.isSecondaryError.set(tarvix::app::SecondaryError::network);
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Please ensure you have access to the internet."); }));
}

TEST(MailTo, TheLinkCarriesTheWholeTextsEncoded)
{
    // Query delimiters, Thai and emoji in the description survive the link whole.
    const QString description = QString::fromUtf8("a&b=c+d#e%f ?/:@ \u0E01\u0E33 \U0001F468\u200D\U0001F469\nend");
    const auto url = tarvix::app::mailToURL("help@example.org", "ID", description, "anne+x@example.org");
    ASSERT_TRUE(url);
    // Nothing but unreserved characters and escapes in either field.
    const QString link = QString::fromLatin1(url->toEncoded());
    const auto fields =
        QRegularExpression("^mailto:help@example.org\\?subject=([\\w.~%-]*)&body=([\\w.~%-]*)$").match(link);
    ASSERT_TRUE(fields.hasMatch()) << link.toStdString();
    EXPECT_EQ(QUrl::fromPercentEncoding(fields.captured(1).toLatin1()), "Scrivo troubleshooting using Tarvix.");
    EXPECT_EQ(QUrl::fromPercentEncoding(fields.captured(2).toLatin1()),
              "Hi Team,\n\nLocal Log ID: ID\nDescription: " + description + "\nEmail address: anne+x@example.org\n");
}
