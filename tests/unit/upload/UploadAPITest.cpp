#include "core/upload/UploadAPI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <random>
#include <regex>
#include <thread>

#include "core/upload/FileBodyStream.h"
#include "core/upload/ResponseHandler.h"
#include "core/workspace/SharedValues.h"
#include "support/LogServer.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tarvix::test::LogServer;
using Mode = LogServer::Mode;

using Upload = tarvix::test::LogServerTest;

namespace {

/// The completion of one upload: its first result, every call counted, the thread of the last.
struct Completion {
    struct State {
        std::promise<tarvix::UploadAPI::Result> promise;
        std::atomic<int> calls = 0;
        std::atomic<std::thread::id> thread;
    };
    std::shared_ptr<State> state = std::make_shared<State>();
    std::future<tarvix::UploadAPI::Result> future = state->promise.get_future();

    tarvix::UploadAPI::CompletionHandler handler()
    {
        return [state = state](tarvix::UploadAPI::Result result) {
            state->thread = std::this_thread::get_id();
            if (++state->calls == 1) state->promise.set_value(std::move(result));
        };
    }
    std::optional<tarvix::UploadAPI::Result> wait(std::chrono::milliseconds limit = 30s)
    {
        return future.wait_for(limit) == std::future_status::ready ? std::optional(future.get()) : std::nullopt;
    }
};

/// Writes `size` random bytes to `file` and answers them.
std::string writeArchive(const fs::path& file, std::size_t size)
{
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xff);
    tarvix::test::writeFile(file, bytes);
    return bytes;
}

/// "DOMAIN CODE" of a failure (and the description of the upload's own errors), "body TEXT" of a success.
std::string outcome(const tarvix::UploadAPI::Result& result)
{
    if (!result) {
        const auto& error = result.error();
        return error.domain + " " + std::to_string(error.code) +
               (error.domain == "com.tarvix.upload" ? " " + error.localizedDescription : "") +
               (error.userInfoLocalizedDescription == error.localizedDescription ? "" : " (user info differs)");
    }
    const auto& body = *result;
    return "body " + std::string(body.begin(), body.end());
}

/// Uploads `file` and waits for its completion, which must come on another thread.
tarvix::UploadAPI::Result uploadAndWait(const fs::path& file, tarvix::TextBinding progress = nullptr)
{
    Completion completion;
    tarvix::UploadAPI::upload(file, std::move(progress), completion.handler());
    auto result = completion.wait();
    EXPECT_NE(completion.state->thread.load(), std::this_thread::get_id());
    if (!result) ADD_FAILURE() << "no completion";
    return result ? std::move(*result) : tarvix::UploadAPI::Result(tarvix::UploadAPI::Error{});
}

}  // namespace

TEST_F(Upload, SendsExactFramingAndOnlyTwoHundredWithABodyIsSuccessEveryFailureHasItsErrorAndTheLogKeepsFourKiB)
{
    const std::string archive = "scrivoMacLog_" + tarvix::UtilityFunctions::UniqueId() + "_abc.zip";
    const std::string bytes = writeArchive(sandbox.root() / archive, (4 << 20) + 17);
    // An empty archive whose name's UTF-8 length differs from its character count.
    writeArchive(sandbox.root() / "Journal d’été.zip", 0);
    fs::create_directory(sandbox.root() / "folder.zip");
    const std::string data = "Response Data: {\"result\":\"received\"}", unknown = "Unknown error occurred.";
    const std::string status200 = "Status Code: 200", status500 = "Status Code: 500";
    const std::string server1 = "com.tarvix.upload 1 Internal Server Error.",
                      server0 = "com.tarvix.upload 0 " + unknown;
    // 5000 bytes with a two-byte character across the 4 KiB mark, and exactly 4 KiB.
    const std::string longAnswer = std::string(4095, 'a') + "é" + std::string(903, 'b'), fourKiB(4096, 'c');
    struct Case {
        LogServer::Behaviour server;  ///< status 0: nobody listening
        std::string outcome;
        std::vector<std::string> lines = {};  ///< the log's new entries but progress
        bool sent = true;
        std::string file = {};  ///< empty: the archive
    };
    std::set<std::string> boundaries;
    for (const Case& c :
         std::vector<Case>{{{}, "body {\"result\":\"received\"}", {status200, data}},
                           {{}, "body {\"result\":\"received\"}", {status200, data}, true, "Journal d’été.zip"},
                           {{.mode = Mode::EmptyBody}, "body ", {status200, "Response Data: "}},
                           {{.mode = Mode::NoBody}, server0, {status200, unknown}},
                           {{.status = 201}, server0, {"Status Code: 201", data, unknown}},
                           {{.status = 405}, server1, {"Status Code: 405", data}},
                           {{.status = 413}, server1, {"Status Code: 413", data}},
                           {{.status = 500}, server1, {status500, data}},
                           {{.status = 500, .mode = Mode::NoBody}, server0, {status500, unknown}},
                           {{.body = "\xff\xfe"}, "body \xff\xfe", {status200, "Response Data: "}},
                           {{.body = longAnswer},
                            "body " + longAnswer,
                            {status200, "Response Data: " + longAnswer.substr(0, 4095) + " … (5000 bytes)"}},
                           {{.status = 500, .body = fourKiB}, server1, {status500, "Response Data: " + fourKiB}},
                           {{.mode = Mode::Drop, .afterBytes = 1 << 20}, "NSURLErrorDomain -1005"},
                           {{.mode = Mode::Drop, .afterBytes = 8 << 20}, "NSURLErrorDomain -1005"},
                           {{.untrustedCertificate = true}, "NSURLErrorDomain -1202", {}, false},
                           {{}, "NSCocoaErrorDomain 260", {}, false, "missing.zip"},
                           {{}, "NSCocoaErrorDomain 256", {}, false, "folder.zip"},
                           {{.status = 0}, "NSURLErrorDomain -1004", {}, false}}) {
        const std::string name = c.file.empty() ? archive : c.file;
        SCOPED_TRACE(c.outcome + " " + std::to_string(c.server.status) + " " + name);
        LogServer server(c.server);
        if (c.server.status == 0) server.stop();
        auto progress = std::make_shared<tarvix::test::RecordingTextCell>();
        const auto before = sandbox.logMessages().size();
        const auto result = uploadAndWait(sandbox.root() / name, progress);
        EXPECT_EQ(outcome(result), c.outcome);

        // Whole percentages from 1 to 99 are shown, never 0 or 100.
        for (const auto& text : progress->history())
            EXPECT_TRUE(std::regex_match(text, std::regex("Uploading [1-9][0-9]?%"))) << text;
        const auto* error = result ? nullptr : &result.error();
        std::vector<std::string> lines, all = sandbox.logMessages();
        for (auto line = all.begin() + static_cast<long>(before); line != all.end(); ++line)
            if (!line->starts_with("INFO: Uploading ") && *line != "INFO: ") lines.push_back(line->substr(6));
        if (c.lines.empty())  // a failure before any answer: its description last
            EXPECT_EQ(all.back(), "INFO: " + (error ? error->localizedDescription : ""));
        else
            EXPECT_EQ(lines, c.lines);

        const auto received = server.received();
        ASSERT_EQ(received.size(), c.sent ? 1u : 0u);
        if (!c.sent || c.server.mode == Mode::Drop) continue;
        // A fresh upper-case UUID boundary; the exact framing of the file, with its exact length.
        const auto& request = received.front();
        const std::string& boundary = request.boundary;
        EXPECT_TRUE(boundaries.insert(boundary).second) << boundary;
        EXPECT_TRUE(std::regex_match(boundary, std::regex("[0-9A-F]{8}-([0-9A-F]{4}-){3}[0-9A-F]{12}"))) << boundary;
        EXPECT_TRUE(request.head.starts_with("POST /cr-apip-7.0.0/mac/log HTTP/1.1\r\n")) << request.head;
        for (const std::string& header : {"Content-Type: multipart/form-data; boundary=" + boundary,
                                          "Content-Length: " + std::to_string(request.body.size())})
            EXPECT_NE(request.head.find("\r\n" + header + "\r\n"), std::string::npos) << request.head;
        EXPECT_EQ(request.head.find("\r\nExpect:"), std::string::npos) << request.head;
        const std::string file = name == archive ? bytes : "";
        EXPECT_TRUE(request.body ==
                    "\r\n--" + boundary + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + name +
                        "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + file + "\r\n--" + boundary + "--\r\n")
            << "the body differs from the framing of the file";
        EXPECT_TRUE(request.check == "ok" && request.file == file) << request.check;
    }
    // Without a location nothing starts and no completion ever comes.
    Completion none;
    EXPECT_FALSE(tarvix::UploadAPI::upload(std::nullopt, nullptr, none.handler()));
    EXPECT_FALSE(none.wait(300ms));
}

TEST_F(Upload, CancelEndsOnlyItsOwnTaskEvenWhileTheServerStalls)
{
    // Larger than the socket buffers, so the client is stuck sending when the server stops reading.
    // (A cancel while the server holds back its answer is the window's session flow.)
    std::optional<LogServer> server(LogServer::Behaviour{.mode = Mode::Stall, .afterBytes = 64 << 10});
    writeArchive(sandbox.root() / "big.zip", 16 << 20);
    Completion own, later;
    const auto ownTask = tarvix::UploadAPI::upload(sandbox.root() / "big.zip", nullptr, own.handler());
    tarvix::UploadAPI::upload(sandbox.root() / "big.zip", nullptr, later.handler());
    ASSERT_TRUE(tarvix::test::waitFor([&] { return server->received().size() >= 2; }))
        << "the server never stalled: " << server->output();
    ownTask->cancel();
    const auto result = own.wait();
    ASSERT_TRUE(result);
    EXPECT_EQ(outcome(*result), "NSURLErrorDomain -999");

    // A second cancel completes nothing; the later upload ends only with the server, not as cancelled.
    ownTask->cancel();
    server.reset();
    const auto laterResult = later.wait();
    ASSERT_TRUE(laterResult);
    EXPECT_NE(outcome(*laterResult), "NSURLErrorDomain -999");
    EXPECT_EQ(own.state->calls, 1);
    EXPECT_EQ(std::ranges::count(sandbox.logMessages(), "INFO: The upload was cancelled."), 1);
}

TEST(UploadOfflineChild, NotConnectedToTheInternet)
{
    tarvix::test::Sandbox sandbox;
    writeArchive(sandbox.root() / "a.zip", 1000);
    EXPECT_EQ(outcome(uploadAndWait(sandbox.root() / "a.zip")), "NSURLErrorDomain -1009");
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: The Internet connection appears to be offline.");
}

TEST_F(Upload, OfflineInANetworkNamespaceWithoutInterfacesIsNotConnected)
{
    const auto run = tarvix::test::runSelfInNamespace({"-n"}, "UploadOfflineChild.NotConnectedToTheInternet");
    if (!run.available) GTEST_SKIP() << "unshare cannot make a network namespace here";
    EXPECT_TRUE(run.passed) << run.output;
}

TEST(UploadTaskDelegate, ShowsOnlyOneToNinetyNinePercentAndLogsTheShownTextOtherwise)
{
    tarvix::test::Sandbox sandbox;
    auto cell = std::make_shared<tarvix::test::RecordingTextCell>();
    tarvix::UploadAPI::UploadTaskDelegate delegate{cell};
    // 99.9 %, 1.0 %, 0.9 % (logs the current text), 100 % (logs it again), beyond 100 %, and no or
    // an unknown total (nothing at all).
    for (const auto& [sent, total] :
         {std::pair{999, 1000}, {10, 1000}, {9, 1000}, {1000, 1000}, {2000, 1000}, {5, 0}, {5, -1}})
        delegate.didSendBodyData(1, sent, total);
    EXPECT_EQ(cell->history(), (std::vector<std::string>{"Uploading 99%", "Uploading 1%"}));
    EXPECT_EQ(sandbox.logMessages(),
              (std::vector<std::string>{"INFO: Uploading 1%", "INFO: Uploading 1%", "INFO: Uploading 1%"}));
}

TEST(FileBodyStream, StraddlesHeadFileAndTailInAnyPieceRewindsAndFailsOnAShrunkFile)
{
    tarvix::test::Sandbox sandbox;
    const auto framing = tarvix::UploadAPI::MultipartFraming::make("B", "a.zip");
    const std::string expected = framing.head + writeArchive(sandbox.root() / "a.zip", 100'000) + framing.tail;
    auto body = tarvix::UploadAPI::FileBodyStream::open(sandbox.root() / "a.zip", framing);
    ASSERT_TRUE(body && body->size() == expected.size());
    const auto readAll = [&body](std::size_t piece) {
        std::string text, buffer(piece, '\0');
        for (auto n = body->read(buffer.data(), piece); n; n = body->read(buffer.data(), piece)) {
            if (*n == 0) return text;
            text.append(buffer, 0, *n);
        }
        return std::string("read failed");
    };
    EXPECT_EQ(readAll(7), expected);
    ASSERT_TRUE(body->seek(0) && readAll(65536) == expected && !body->seek(expected.size() + 1) && body->seek(0));
    fs::resize_file(sandbox.root() / "a.zip", 10);
    EXPECT_EQ(readAll(200'000), "read failed");
}
