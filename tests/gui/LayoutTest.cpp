// Which regions each phase shows and enables, the capture options, the theme; a picture per phase.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QQuickItem>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include "CaptureDetails.h"
#include "GuiSession.h"
#include "core/workspace/SharedValues.h"

using tarvix::test::GuiSession;

namespace {

/// Receives the URLs the window hands to the desktop.
class UrlSink : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
    Q_INVOKABLE void open(const QUrl& url) { urls.push_back(url); }
};

void settle(GuiSession& session)
{
    session.waitUntil([] { return true; });
}

}  // namespace

#include "LayoutTest.moc"

TEST(Layout, EachPhaseShowsItsRegions)
{
    GuiSession session;
    session.open();
    auto& state = *session.view().state();

    EXPECT_EQ(session.regions(), "capturePanel statusLine primaryButton");
    EXPECT_TRUE(session.item("primaryButton")->isEnabled());
    EXPECT_GE(session.window().minimumWidth(), 572);
    EXPECT_GE(session.window().minimumHeight(), 546);
    session.screenshot("phase-ready");

    // Monitoring and Collecting, as the flows write them.
    state.advanceLogToggleDisabled.set(true);
    state.startButtonLabel.set("Stop monitoring");
    state.primaryButtonDisabled.set(true);
    settle(session);
    EXPECT_EQ(session.regions(), "capturePanel statusLine primaryButton");
    EXPECT_FALSE(session.item("primaryButton")->isEnabled());
    EXPECT_FALSE(session.control("Advanced logs")->isEnabled());
    EXPECT_TRUE(GuiSession::accessible(session.item("primaryButton"))->state().disabled) << "told to a screen reader";

    // Logs ready
    state.isLogEditorVisible.set(false);
    state.isFeedbackLayoutVisible.set(true);
    state.isLogLabelVisible.set(false);
    state.isLoggingCompleteVisible.set(true);
    state.startButtonLabel.set("Share logs");
    settle(session);
    EXPECT_EQ(session.regions(), "feedbackForm logsGeneratedPanel primaryButton");

    // Upload failed
    state.isLoggingCompleteVisible.set(false);
    state.isUploadFailedLayoutVisible.set(true);
    state.isSecondaryError.set(tarvix::app::SecondaryError::network);
    settle(session);
    EXPECT_EQ(session.regions(), "feedbackForm failurePanel primaryButton");
    EXPECT_TRUE(session.textShown("Please ensure you have access to the internet."));
    EXPECT_TRUE(session.control("view the logs"));
    EXPECT_TRUE(session.control(session.view().supportEmail()));
    session.screenshot("phase-upload-failed-network");

    // Sent: the Close button even while the primary button would be disabled.
    state.isUploadFailedLayoutVisible.set(false);
    state.isLoggingCompleteVisible.set(true);
    state.isFeedbackLayoutVisible.set(false);
    state.isCloseLayoutVisible.set(true);
    state.primaryButtonDisabled.set(true);
    state.thickBorderButtonStyle.set(true);
    state.startButtonLabel.set("Close");
    settle(session);
    EXPECT_EQ(session.regions(), "sentPanel logsGeneratedPanel closeButton");
    EXPECT_TRUE(session.item("closeButton")->isEnabled());
}

TEST(Layout, CaptureOptionsRewriteTheListAndLockWhileMonitoring)
{
    GuiSession session;
    session.open();
    auto& view = session.view();
    const auto details = [&] { return view.captureDetails().toStdString(); };

    session.clickControl("Advanced logs");
    EXPECT_TRUE(view.getSpinDump());
    EXPECT_EQ(details(), tarvix::app::kAdvancedCaptureDetails);
    ASSERT_TRUE(session.waitUntil([&] { return session.control("Installed app information") != nullptr; }));
    session.clickControl("Installed app information");
    EXPECT_EQ(details(), tarvix::app::kFullCaptureDetails);
    session.screenshot("capture-options-full");

    // Switching Advanced off hides the second option but keeps its value; an assistive
    // technology's "Toggle" and "Press" act as a click does.
    const auto act = [&](const QString& action) {
        QAccessibleInterface* box = GuiSession::accessible(session.control("Advanced logs"));
        box->actionInterface()->doAction(action);
        return box->state();
    };
    EXPECT_FALSE(act(QAccessibleActionInterface::toggleAction()).checked);
    EXPECT_EQ(details(), tarvix::app::kBasicCaptureDetails);
    EXPECT_TRUE(session.waitUntil([&] { return session.control("Installed app information") == nullptr; }));
    EXPECT_TRUE(act(QAccessibleActionInterface::pressAction()).checked);
    EXPECT_EQ(details(), tarvix::app::kFullCaptureDetails);

    view.state()->advanceLogToggleDisabled.set(true);
    settle(session);
    session.clickControl("Advanced logs");
    EXPECT_TRUE(act(QAccessibleActionInterface::toggleAction()).disabled);
    EXPECT_TRUE(view.getSpinDump()) << "a disabled option does not react";
}

TEST(Layout, TextsHaveARealFontAndTheLinksOpenTheMailAndTheSessionFolder)
{
    GuiSession session;
    session.open();
    const QFont font = session.item("statusLine")->property("font").value<QFont>();
    EXPECT_FALSE(QFontInfo(font).family().isEmpty());
    EXPECT_EQ(font.pixelSize(), 12);

    UrlSink sink;
    QDesktopServices::setUrlHandler("mailto", &sink, "open");
    QDesktopServices::setUrlHandler("file", &sink, "open");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    // Query delimiters, Thai and emoji in the description survive the link whole.
    const QString description = QString::fromUtf8("a&b=c+d#e%f ?/:@ \u0E01\u0E33 \U0001F468\u200D\U0001F469\nend");
    session.view().setProperty("feedbackText", description);
    session.view().setProperty("emailText", "anne+x@example.org");
    session.view().mailToSupport();
    session.view().viewLogs();
    QDesktopServices::unsetUrlHandler("mailto");
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(sink.urls.size(), 2u);
    const QByteArray link = sink.urls[0].toEncoded();
    const QByteArray prefix = "mailto:" + session.view().supportEmail().toUtf8() + "?subject=";
    ASSERT_TRUE(link.startsWith(prefix)) << link.toStdString();
    const QList<QByteArray> fields = link.mid(prefix.size()).split('&');
    ASSERT_EQ(fields.size(), 2) << link.toStdString();
    ASSERT_TRUE(fields[1].startsWith("body=")) << link.toStdString();
    for (const QByteArray& field : {fields[0], fields[1].mid(5)})
        EXPECT_TRUE(QRegularExpression("^[A-Za-z0-9._~%-]*$").match(QString::fromLatin1(field)).hasMatch())
            << field.data();
    EXPECT_EQ(QUrl::fromPercentEncoding(fields[0]), "Scrivo troubleshooting using Tarvix.");
    EXPECT_EQ(QUrl::fromPercentEncoding(fields[1].mid(5)), "Hi Team,\n\nLocal Log ID: " + session.view().logId() +
                                                               "\nDescription: " + description +
                                                               "\nEmail address: anne+x@example.org\n");
    EXPECT_EQ(sink.urls[1].toLocalFile().toStdString(), UtilityFunctions::tempTimeStampedURL.get()->string());
}

TEST(Layout, DarkPaletteSwitchesColoursAndTheErrorIcon)
{
    GuiSession session;
    session.open();
    const QPalette light = QGuiApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor("#202124"));
    dark.setColor(QPalette::WindowText, QColor("#e8eaed"));
    QGuiApplication::setPalette(dark);
    const bool switched = session.waitUntil([&] { return session.view().colorScheme() == "dark"; });
    session.view().state()->isLogEditorVisible.set(false);
    session.view().state()->isFeedbackLayoutVisible.set(true);
    session.view().setProperty("emailText", "not-an-address");
    session.waitUntil([&] { return session.textShown("Invalid email address"); });
    const QColor background = session.window().color();
    const QString icon = session.item("emailErrorIcon")->property("source").toString();
    session.screenshot("dark-invalid-email");
    QGuiApplication::setPalette(light);  // before any assertion can end the test
    ASSERT_TRUE(switched);
    EXPECT_LT(background.lightnessF(), 0.5);
    EXPECT_TRUE(icon.endsWith("/darkerroricon.svg")) << icon.toStdString();
    EXPECT_TRUE(session.waitUntil([&] { return session.view().colorScheme() == "light"; }));
}

TEST(Layout, EverythingWorksFromTheKeyboard)
{
    GuiSession session;
    session.open();
    QQuickWindow* window = &session.window();
    // Tab reaches the option and the primary button; Space acts on them.
    QTest::keyClick(window, Qt::Key_Tab);
    ASSERT_EQ(window->activeFocusItem(), session.control("Advanced logs"));
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_TRUE(session.view().getSpinDump());
    while (window->activeFocusItem() != session.item("primaryButton")) {
        QTest::keyClick(window, Qt::Key_Tab);
        ASSERT_TRUE(window->activeFocusItem()) << "focus left the window";
        ASSERT_NE(window->activeFocusItem(), session.control("Advanced logs")) << "the chain skips the button";
    }
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_TRUE(session.waitUntil([&] { return !session.openAlerts().empty(); })) << "Start ran: no installation";
}
