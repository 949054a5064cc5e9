#include <gtest/gtest.h>

#include "UploadHelpers.h"
#include "support/PrivateNamespace.h"

namespace fs = std::filesystem;
using namespace upload_test;
using tarvix::test::LogServer;
using Mode = LogServer::Mode;

namespace {

UploadAPI::Result uploadAndWait(const fs::path& file)
{
    Completion completion;
    UploadAPI::upload(file, completion.handler());
    auto result = completion.wait();
    if (!result) ADD_FAILURE() << "no completion";
    return result ? std::move(*result) : UploadAPI::Result(UploadAPI::Error{});
}

void expectError(const UploadAPI::Result& result, const std::string& domain, long code)
{
    const auto* error = failure(result);
    ASSERT_TRUE(error) << "succeeded";
    EXPECT_EQ(error->domain, domain);
    EXPECT_EQ(error->code, code) << error->localizedDescription;
    EXPECT_FALSE(error->localizedDescription.empty());
}

}  // namespace

using UploadAnswers = WithLogServer;
using UploadTransport = WithLogServer;

TEST_F(UploadAnswers, OnlyTwoHundredWithABodyIsSuccessAndTheLogKeepsFourKiBOfAnAnswer)
{
    LogServer server;
    const fs::path file = writeArchive(sandbox.root() / "a.zip", randomBytes(50'000));
    const std::string data = "INFO: Response Data: {\"id\":\"42\"}", unknown = "INFO: Unknown error occurred.";
    // 5000 bytes with a two-byte character across the 4 KiB mark, and exactly 4 KiB.
    const std::string longAnswer = std::string(4095, 'a') + "é" + std::string(903, 'b'), fourKiB(4096, 'c');
    struct Case {
        int status;
        Mode mode;
        std::optional<long> uploadErrorCode;  // absent: success
        std::vector<std::string> lines;
        std::string body = "{\"id\":\"42\"}";
    };
    const std::vector<Case> cases = {
        {200, Mode::EmptyBody, std::nullopt, {"INFO: Response Data: "}},
        {200, Mode::NoBody, 0, {unknown}},
        {201, Mode::Normal, 0, {data, unknown}},
        {404, Mode::Normal, 0, {data, unknown}},
        {405, Mode::Normal, 1, {data}},
        {413, Mode::Normal, 1, {data}},
        {500, Mode::Normal, 1, {data}},
        {500, Mode::NoBody, 0, {unknown}},
        {200, Mode::Normal, std::nullopt, {"INFO: Response Data: "}, "\xff\xfe"},
        {200,
         Mode::Normal,
         std::nullopt,
         {"INFO: Response Data: " + std::string(4095, 'a') + " … (5000 bytes)"},
         longAnswer},
        {500, Mode::Normal, 1, {"INFO: Response Data: " + fourKiB}, fourKiB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("status " + std::to_string(c.status) + " mode " + std::to_string(static_cast<int>(c.mode)));
        ASSERT_TRUE(server.restart({.status = c.status, .body = c.body, .mode = c.mode})) << server.output();
        const auto before = sandbox.logMessages().size();
        const auto result = uploadAndWait(file);
        // The 100 % progress callback comes first and logs the status text, empty without a window.
        std::vector<std::string> expected = {"INFO: ", "INFO: Status Code: " + std::to_string(c.status)};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        const auto lines = sandbox.logMessages();
        EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(before), lines.end()), expected);
        const auto* error = failure(result);
        ASSERT_EQ(error != nullptr, c.uploadErrorCode.has_value());
        if (const auto* answer = std::get_if<std::vector<std::uint8_t>>(&result)) {
            EXPECT_EQ(std::string(answer->begin(), answer->end()), c.mode == Mode::EmptyBody ? "" : c.body);
        }
        if (!error) continue;
        EXPECT_EQ(error->domain, "com.tarvix.upload");
        EXPECT_EQ(error->code, *c.uploadErrorCode);
        EXPECT_EQ(error->localizedDescription,
                  *c.uploadErrorCode ? "Internal Server Error." : "Unknown error occurred.");
        EXPECT_EQ(error->userInfoLocalizedDescription, error->localizedDescription);
    }
    EXPECT_EQ(server.received().size(), cases.size());
}

TEST_F(UploadTransport, CancelOfItsOwnTaskCompletesPromptlyEvenWhileTheServerStalls)
{
    // Larger than the socket buffers, so the client is stuck sending when the server stops reading;
    // then a small one that the server takes whole and never answers.
    const std::vector<std::pair<std::size_t, std::uint64_t>> cases = {{16 * 1024 * 1024, 64 * 1024},
                                                                      {10'000, 1'000'000}};
    LogServer server;
    for (const auto& [size, stallAfter] : cases) {
        ASSERT_TRUE(server.restart({.mode = Mode::Stall, .afterBytes = stallAfter})) << server.output();
        SCOPED_TRACE(size);
        const auto requestsBefore = server.received().size();
        const fs::path file = writeArchive(sandbox.root() / "big.zip", randomBytes(size));
        Completion own, later;
        const auto ownTask = UploadAPI::upload(file, own.handler());
        UploadAPI::upload(file, later.handler());
        ASSERT_TRUE(server.waitForRequests(requestsBefore + 2)) << "the server never stalled: " << server.output();
        EXPECT_FALSE(own.wait(std::chrono::milliseconds(200))) << "completed without a cancel";

        const auto start = std::chrono::steady_clock::now();
        ownTask->cancel();
        const auto result = own.wait(std::chrono::seconds(5));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        ASSERT_TRUE(result);
        expectError(*result, "NSURLErrorDomain", -999);
        EXPECT_EQ(sandbox.logMessages().back(), "INFO: " + failure(*result)->localizedDescription);
        EXPECT_FALSE(later.wait(std::chrono::milliseconds(100))) << "the cancel reached the later upload";

        // The stored task is the later upload's. A late second cancel is harmless and no second
        // completion follows.
        UploadAPI::uploadTask.get()->cancel();
        ASSERT_TRUE(later.wait(std::chrono::seconds(5)));
        ownTask->cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(own.calls(), 1);
        EXPECT_EQ(later.calls(), 1);
    }
}

TEST_F(UploadTransport, FailuresMapToUrlErrors)
{
    const fs::path big = writeArchive(sandbox.root() / "big.zip", randomBytes(4 * 1024 * 1024));
    const fs::path small = writeArchive(sandbox.root() / "small.zip", randomBytes(1000));
    LogServer server;

    // Connection dropped mid-body, and after the whole body without an answer.
    ASSERT_TRUE(server.restart({.mode = Mode::Drop, .afterBytes = 100'000}));
    expectError(uploadAndWait(big), "NSURLErrorDomain", -1005);
    ASSERT_TRUE(server.restart({.mode = Mode::Drop, .afterBytes = 1'000'000}));
    expectError(uploadAndWait(small), "NSURLErrorDomain", -1005);

    // A certificate from a CA the build does not pin: refused before any request is sent.
    ASSERT_TRUE(server.restart({.untrustedCertificate = true}));
    const auto requestsBefore = server.received().size();
    expectError(uploadAndWait(small), "NSURLErrorDomain", -1202);
    EXPECT_EQ(server.received().size(), requestsBefore);

    // Nobody listening on the port.
    server.stop();
    expectError(uploadAndWait(small), "NSURLErrorDomain", -1004);
}

// Runs only inside the network namespace started by OfflineIsNotConnectedToTheInternet.
TEST(UploadOffline, DISABLED_InsideANetworkNamespaceWithoutInterfaces)
{
    tarvix::test::Sandbox sandbox;
    expectError(uploadAndWait(writeArchive(sandbox.root() / "a.zip", randomBytes(1000))), "NSURLErrorDomain", -1009);
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: The Internet connection appears to be offline.");
}

TEST_F(UploadTransport, OfflineIsNotConnectedToTheInternet)
{
    const auto run =
        tarvix::test::runSelfInNamespace({"-n"}, "UploadOffline.DISABLED_InsideANetworkNamespaceWithoutInterfaces");
    if (!run.available) GTEST_SKIP() << "unshare cannot make a network namespace here";
    EXPECT_TRUE(run.passed()) << run.output;
}
