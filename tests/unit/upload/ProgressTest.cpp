#include <gtest/gtest.h>

#include <regex>

#include "UploadHelpers.h"
#include "core/upload/ResponseHandler.h"
#include "support/SampleTargetSupport.h"

using namespace upload_test;
using tarvix::test::LogServer;
using tarvix::test::RecordingTextCell;

TEST(UploadTaskDelegate, WritesOnlyOneToNinetyNinePercent)
{
    tarvix::test::Sandbox sandbox;
    auto cell = std::make_shared<RecordingTextCell>();
    UploadAPI::uploadProgress.set(cell);
    UploadAPI::UploadTaskDelegate delegate;

    delegate.didSendBodyData(999, 999, 1000);  // 99.9
    delegate.didSendBodyData(1, 10, 1000);     // 1.0
    delegate.didSendBodyData(1, 9, 1000);      // 0.9: logs the current text
    delegate.didSendBodyData(1, 1000, 1000);   // 100: logs it again
    delegate.didSendBodyData(1, 2000, 1000);   // beyond 100
    delegate.didSendBodyData(5, 5, 0);         // no total: nothing at all
    delegate.didSendBodyData(5, 5, -1);        // unknown total: nothing at all
    EXPECT_EQ(cell->history(), (std::vector<std::string>{"Uploading 99%", "Uploading 1%"}));
    EXPECT_EQ(sandbox.logMessages(),
              (std::vector<std::string>{"INFO: Uploading 1%", "INFO: Uploading 1%", "INFO: Uploading 1%"}));

    // Without a binding nothing is written and the current text is empty.
    UploadAPI::uploadProgress.set(nullptr);
    delegate.didSendBodyData(1, 500, 1000);
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: ");
}

using UploadProgress = WithLogServer;
TEST_F(UploadProgress, RealUploadWritesRisingPercentages)
{
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    auto cell = std::make_shared<RecordingTextCell>();
    UploadAPI::uploadProgress.set(cell);

    Completion completion;
    UploadAPI::upload(writeArchive(sandbox.root() / "a.zip", randomBytes(8 * 1024 * 1024)), completion.handler());
    const auto result = completion.wait();
    UploadAPI::uploadProgress.set(nullptr);
    ASSERT_TRUE(result && !failure(*result));

    const auto writes = cell->history();
    ASSERT_GE(writes.size(), 2u);
    int previous = 1;
    for (const auto& text : writes) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(text, match, std::regex("Uploading ([0-9]+)%"))) << text;
        const int percent = std::stoi(match[1]);
        EXPECT_TRUE(percent >= previous && percent <= 99) << text;
        previous = percent;
    }
    // The final 100 % callback writes nothing and logs the text the window shows.
    const auto lines = sandbox.logMessages();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "INFO: " + writes.back()), lines.end());
}
