// The window's cells across threads: flows read their own writes, the window sees every write in
// order, and a write made in the window is never undone by an older one still on its way.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <thread>

#include "ContentView.h"
#include "FlowRunner.h"
#include "support/Sandbox.h"

TEST(StateCells, EveryWriteReachesTheWindowInOrderAndNoneUndoesAWindowWrite)
{
    tarvix::test::Sandbox sandbox;
    tarvix::app::ContentView view(sandbox.platform(), {});
    const auto state = view.state();
    std::vector<QString> seen, written;
    QObject::connect(&view, &tarvix::app::ContentView::logLabelChanged, [&] { seen.push_back(view.logLabel()); });
    bool readOwnWrites = true;
    std::thread flow([&] {
        for (int i = 0; i < 2000; ++i) {
            written.push_back(QString::number(i));
            state->logLabel.set(written.back().toStdString());
            readOwnWrites = readOwnWrites && state->logLabel.get() == written.back().toStdString();
        }
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 2000; }));  // the window draws while the flow writes
    flow.join();
    EXPECT_TRUE(readOwnWrites);
    EXPECT_EQ(seen, written);

    std::thread([&] { state->emailText.set("from a flow"); }).join();  // queued, not yet drawn
    view.setProperty("emailText", "typed");
    QCoreApplication::processEvents();
    EXPECT_EQ(view.emailText(), "typed");
    EXPECT_EQ(state->emailText.get(), "typed");
}

TEST(FlowRunner, APressWhileAFlowRunsStartsNoSecondFlow)
{
    tarvix::app::FlowRunner runner;
    std::atomic<int> runs{0};
    std::atomic<bool> release{false};
    ASSERT_TRUE(runner.tryRun([&] {
        ++runs;
        while (!release) std::this_thread::yield();
    }));
    EXPECT_FALSE(runner.tryRun([&] { ++runs; }));
    release = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !runner.busy(); }));
    EXPECT_TRUE(runner.tryRun([&] { ++runs; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !runner.busy(); }));
    EXPECT_EQ(runs, 2);
}
