// The window's cells across threads: flows read their own writes, the window sees every write
// in order, and a write made in the window is never undone by an older one still on its way.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "ContentView.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace {

void drainEvents()
{
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

}  // namespace

TEST(StateCells, TheWindowSeesEveryWriteOfAFlowInOrder)
{
    tarvix::test::Sandbox sandbox;
    tarvix::app::ContentView view(sandbox.platform());
    std::vector<QString> seen;
    QObject::connect(&view, &tarvix::app::ContentView::logLabelChanged, [&] { seen.push_back(view.logLabel()); });
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

TEST(StateCells, WindowWritesAreNotUndoneAndCompletionsOutliveTheWindow)
{
    tarvix::test::Sandbox sandbox;
    std::shared_ptr<tarvix::app::SessionState> state;
    {
        tarvix::app::ContentView view(sandbox.platform());
        state = view.state();
        std::thread([&] { state->emailText.set("from a flow"); }).join();  // queued, not yet drawn
        view.setProperty("emailText", "typed");
        drainEvents();
        EXPECT_EQ(view.emailText(), "typed");
        EXPECT_EQ(state->emailText.get(), "typed");
        std::thread([&] { state->logLabel.set("queued for a window that goes away"); }).join();
    }
    drainEvents();  // the queued copy goes nowhere
    std::thread([&] { state->logLabel.set("Uploading 100%"); }).join();
    EXPECT_EQ(state->logLabel.get(), "Uploading 100%");
}
