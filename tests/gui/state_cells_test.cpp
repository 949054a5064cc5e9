// The window's cells across threads: flows read their own writes, the window sees every write
// in order, and a write made in the window is never undone by an older one still on its way.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <thread>

#include "ContentView.h"
#include "GuiSession.h"
#include "support/SampleTargetSupport.h"

namespace {

void drainEvents()
{
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

}  // namespace

TEST(StateCells, InitialValuesOfANewView)
{
    ContentView view;
    EXPECT_EQ(view.logLabel(), " ");
    EXPECT_EQ(view.startButtonLabel(), "Start monitoring");
    EXPECT_EQ(view.maxEmailCharacterCount(), 40);
    EXPECT_EQ(view.maxFeedbackCharacterCount(), 2000);
    EXPECT_EQ(view.primaryButtonColor(), "PrimaryColor");
    EXPECT_EQ(view.primaryButtonTextColor(), "white");
    EXPECT_EQ(view.thickBorderButtonColor(), "BackgroundColor");
    EXPECT_EQ(view.feedbackFormFocus(), -1);
    EXPECT_EQ(view.isSecondaryError(), 0);
    EXPECT_TRUE(view.isLogEditorVisible() && view.isLogLabelVisible() && view.isInitialFocus());
    EXPECT_FALSE(view.isFeedbackLayoutVisible() || view.isCloseLayoutVisible() || view.isUploadFailedLayoutVisible() ||
                 view.isLoggingCompleteVisible() || view.primaryButtonDisabled() || view.thickBorderButtonStyle());
    EXPECT_EQ(view.captureDetails().toStdString(), tarvix::app::kBasicCaptureDetails);
}

TEST(StateCells, TheWindowSeesEveryWriteOfAFlowInOrder)
{
    ContentView view;
    std::vector<QString> seen;
    QObject::connect(&view, &ContentView::logLabelChanged, [&] { seen.push_back(view.logLabel()); });
    auto state = view.state();
    constexpr int kWrites = 2000;
    bool readOwnWrites = true;
    std::thread flow([&] {
        for (int i = 0; i < kWrites; ++i) {
            state->logLabel.set(std::to_string(i));
            readOwnWrites = readOwnWrites && state->logLabel.get() == std::to_string(i);
        }
    });
    // The window keeps drawing while the flow writes.
    tarvix::test::waitFor([&] {
        drainEvents();
        return seen.size() >= kWrites;
    });
    flow.join();
    drainEvents();
    EXPECT_TRUE(readOwnWrites);
    ASSERT_EQ(seen.size(), static_cast<size_t>(kWrites));
    for (int i = 0; i < kWrites; ++i) ASSERT_EQ(seen[i], QString::number(i));
}

TEST(StateCells, AWindowWriteIsNotUndoneByAnOlderQueuedOne)
{
    ContentView view;
    auto state = view.state();
    std::thread([&] { state->emailText.set("from a flow"); }).join();  // queued, not yet drawn
    view.setProperty("emailText", "typed");
    EXPECT_EQ(view.emailText(), "typed");
    drainEvents();
    EXPECT_EQ(view.emailText(), "typed");
    EXPECT_EQ(state->emailText.get(), "typed");
}

TEST(StateCells, CompletionsOutliveTheirWindow)
{
    std::shared_ptr<tarvix::app::SessionState> state;
    {
        ContentView view;
        state = view.state();
        std::thread([&] { state->logLabel.set("queued for a window that goes away"); }).join();
    }
    drainEvents();  // the queued copy goes nowhere
    std::thread([&] { state->logLabel.set("Uploading 100%"); }).join();
    EXPECT_EQ(state->logLabel.get(), "Uploading 100%");
}
