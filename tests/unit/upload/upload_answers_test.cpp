#include <gtest/gtest.h>

#include "UploadHelpers.h"
#include "support/LogServer.h"
#include "support/PrivateNamespace.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace upload_test;
using tarvix::test::LogServer;
using tarvix::test::Sandbox;
using Mode = LogServer::Mode;

namespace {

LogServer::Behaviour answer(int status, Mode mode = Mode::Normal, std::string body = "{\"id\":\"42\"}")
{
    LogServer::Behaviour behaviour;
    behaviour.status = status;
    behaviour.mode = mode;
    behaviour.body = std::move(body);
    return behaviour;
}

LogServer::Behaviour interrupted(Mode mode, std::uint64_t afterBytes)
{
    LogServer::Behaviour behaviour;
    behaviour.mode = mode;
    behaviour.afterBytes = afterBytes;
    return behaviour;
}

UploadAPI::Result uploadAndWait(const fs::path& file)
{
    Completion completion;
    UploadAPI::upload(file, completion.handler());
    auto result = completion.wait();
    if (!result)
        ADD_FAILURE() << "no completion";
    return result ? std::move(*result) : UploadAPI::Result(UploadAPI::Error{});
}

std::vector<std::string> linesSince(const Sandbox& sandbox, std::size_t count)
{
    auto lines = sandbox.logMessages();
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(std::min(count, lines.size())));
    return lines;
}

#define REQUIRE_LOG_SERVER()                                 \
    if (!LogServer::available())                             \
        GTEST_SKIP() << LogServer::skipReason();

}  // namespace

TEST(UploadAnswers, OnlyTwoHundredWithABodyIsSuccess)
{
    REQUIRE_LOG_SERVER();
    Sandbox sandbox;
    LogServer server;
    const fs::path file = writeArchive(sandbox.root() / "a.zip", randomBytes(50'000));

    struct Case {
        LogServer::Behaviour behaviour;
        std::optional<long> uploadErrorCode;  // absent: success
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {answer(200, Mode::EmptyBody), std::nullopt, {"INFO: Status Code: 200", "INFO: Response Data: "}},
        {answer(200, Mode::NoBody), 0, {"INFO: Status Code: 200", "INFO: Unknown error occurred."}},
        {answer(201), 0, {"INFO: Status Code: 201", "INFO: Response Data: {\"id\":\"42\"}", "INFO: Unknown error occurred."}},
        {answer(404), 0, {"INFO: Status Code: 404", "INFO: Response Data: {\"id\":\"42\"}", "INFO: Unknown error occurred."}},
        {answer(405), 1, {"INFO: Status Code: 405", "INFO: Response Data: {\"id\":\"42\"}"}},
        {answer(413), 1, {"INFO: Status Code: 413", "INFO: Response Data: {\"id\":\"42\"}"}},
        {answer(500), 1, {"INFO: Status Code: 500", "INFO: Response Data: {\"id\":\"42\"}"}},
        {answer(500, Mode::NoBody), 0, {"INFO: Status Code: 500", "INFO: Unknown error occurred."}},
        {answer(200, Mode::Normal, "\xff\xfe"), std::nullopt, {"INFO: Status Code: 200", "INFO: Response Data: "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("status " + std::to_string(c.behaviour.status) + " mode " +
                     std::to_string(static_cast<int>(c.behaviour.mode)));
        ASSERT_TRUE(server.restart(c.behaviour)) << server.output();
        const auto before = sandbox.logMessages().size();
        const auto result = uploadAndWait(file);
        // The 100 % progress callback comes first and logs the status text, empty without a window.
        auto expected = c.lines;
        expected.insert(expected.begin(), "INFO: ");
        EXPECT_EQ(linesSince(sandbox, before), expected);
        if (!c.uploadErrorCode) {
            EXPECT_FALSE(failure(result));
            continue;
        }
        const auto* error = failure(result);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain, "com.tarvix.upload");
        EXPECT_EQ(error->code, *c.uploadErrorCode);
        EXPECT_EQ(error->localizedDescription, *c.uploadErrorCode ? "Internal Server Error." : "Unknown error occurred.");
        EXPECT_EQ(error->userInfoLocalizedDescription, error->localizedDescription);
    }
    EXPECT_EQ(server.received().size(), cases.size());
}

TEST(UploadTransport, CancelCompletesPromptlyEvenWhileTheServerStalls)
{
    REQUIRE_LOG_SERVER();
    Sandbox sandbox;
    // Larger than the socket buffers, so the client is stuck sending when the server stops reading;
    // then a small one that the server takes whole and never answers.
    const std::vector<std::pair<std::size_t, std::uint64_t>> cases = {{16 * 1024 * 1024, 64 * 1024}, {10'000, 1'000'000}};
    LogServer server;
    for (const auto& [size, stallAfter] : cases) {
        ASSERT_TRUE(server.restart(interrupted(Mode::Stall, stallAfter))) << server.output();
        const fs::path file = writeArchive(sandbox.root() / "big.zip", randomBytes(size));
        const auto requestsBefore = server.received().size();
        Completion completion;
        UploadAPI::upload(file, completion.handler());
        ASSERT_TRUE(server.waitForRequests(requestsBefore + 1)) << "the server never stalled";
        EXPECT_FALSE(completion.wait(std::chrono::milliseconds(200))) << "completed without a cancel";

        const auto start = std::chrono::steady_clock::now();
        UploadAPI::uploadTask.get()->cancel();
        const auto result = completion.wait(std::chrono::seconds(5));
        const auto elapsed = std::chrono::steady_clock::now() - start;
        ASSERT_TRUE(result);
        EXPECT_LT(elapsed, std::chrono::milliseconds(500));
        const auto* error = failure(*result);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain, "NSURLErrorDomain");
        EXPECT_EQ(error->code, -999);
        EXPECT_EQ(sandbox.logMessages().back(), "INFO: " + error->localizedDescription);
        // A late second cancel is harmless and no second completion follows.
        UploadAPI::uploadTask.get()->cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(completion.calls(), 1);
    }
}

TEST(UploadTransport, FailuresMapToUrlErrors)
{
    REQUIRE_LOG_SERVER();
    Sandbox sandbox;
    const fs::path big = writeArchive(sandbox.root() / "big.zip", randomBytes(4 * 1024 * 1024));
    const fs::path small = writeArchive(sandbox.root() / "small.zip", randomBytes(1000));
    LogServer server;

    auto expectUrlError = [&](const fs::path& file, long code) {
        const auto result = uploadAndWait(file);
        const auto* error = failure(result);
        ASSERT_TRUE(error) << "succeeded";
        EXPECT_EQ(error->domain, "NSURLErrorDomain");
        EXPECT_EQ(error->code, code) << error->localizedDescription;
        EXPECT_FALSE(error->localizedDescription.empty());
    };

    // Connection dropped mid-body, and after the whole body without an answer.
    ASSERT_TRUE(server.restart(interrupted(Mode::Drop, 100'000)));
    expectUrlError(big, -1005);
    ASSERT_TRUE(server.restart(interrupted(Mode::Drop, 1'000'000)));
    expectUrlError(small, -1005);

    // A certificate from a CA the build does not pin: refused before any request is sent.
    LogServer::Behaviour untrusted;
    untrusted.untrustedCertificate = true;
    ASSERT_TRUE(server.restart(untrusted));
    const auto requestsBefore = server.received().size();
    expectUrlError(small, -1202);
    EXPECT_EQ(server.received().size(), requestsBefore);

    // Nobody listening on the port.
    server.stop();
    expectUrlError(small, -1004);
}

// Runs only inside the network namespace started by OfflineIsNotConnectedToTheInternet.
TEST(UploadOffline, DISABLED_InsideANetworkNamespaceWithoutInterfaces)
{
    Sandbox sandbox;
    const fs::path file = writeArchive(sandbox.root() / "a.zip", randomBytes(1000));
    const auto result = uploadAndWait(file);
    const auto* error = failure(result);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, "NSURLErrorDomain");
    EXPECT_EQ(error->code, -1009);
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: The Internet connection appears to be offline.");
}

TEST(UploadTransport, OfflineIsNotConnectedToTheInternet)
{
    REQUIRE_LOG_SERVER();
    const auto run = tarvix::test::runSelfInNamespace({"-n"}, "UploadOffline.DISABLED_InsideANetworkNamespaceWithoutInterfaces");
    if (!run.available)
        GTEST_SKIP() << "unshare cannot make a network namespace here";
    EXPECT_TRUE(run.passed()) << run.output;
}
