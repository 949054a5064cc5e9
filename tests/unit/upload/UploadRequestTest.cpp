#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "UploadHelpers.h"
#include "core/upload/FileBodyStream.h"
#include "core/workspace/SharedValues.h"

namespace fs = std::filesystem;
using namespace upload_test;
using tarvix::test::LogServer;
using UploadRequest = WithLogServer;

TEST_F(UploadRequest, SendsExactlyTheMultipartFramingOfTheFile)
{
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();

    // The real archive name, then a name whose UTF-8 length differs from its character count.
    const std::vector<std::pair<std::string, std::size_t>> uploads = {
        {"scrivoMacLog_" + UtilityFunctions::UniqueId() + "_abc.zip", 3 * 1024 * 1024 + 17}, {"Journal d’été.zip", 0}};
    std::vector<std::string> boundaries;
    for (const auto& [name, size] : uploads) {
        const std::string bytes = randomBytes(size, static_cast<unsigned>(size));
        Completion completion;
        UploadAPI::upload(writeArchive(sandbox.root() / name, bytes), completion.handler());
        const auto result = completion.wait();
        ASSERT_TRUE(result);
        ASSERT_FALSE(failure(*result)) << failure(*result)->localizedDescription;
        const auto& answer = std::get<std::vector<std::uint8_t>>(*result);
        EXPECT_EQ(std::string(answer.begin(), answer.end()), "{\"result\":\"received\"}");
        EXPECT_NE(completion.thread(), std::this_thread::get_id());

        const auto received = server.received();
        ASSERT_EQ(received.size(), boundaries.size() + 1);
        const auto& request = received.back();
        EXPECT_EQ(request.requestLine, "POST /cr-apip-7.0.0/mac/log HTTP/1.1");
        const std::string boundary = request.boundary;
        EXPECT_TRUE(
            std::regex_match(boundary, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}")))
            << boundary;
        EXPECT_EQ(request.header("Content-Type"), "multipart/form-data; boundary=" + boundary);
        EXPECT_EQ(request.header("Content-Length"), std::to_string(request.body.size()));
        EXPECT_FALSE(request.header("Expect"));
        const std::string expected =
            "\r\n--" + boundary + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + name +
            "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + bytes + "\r\n--" + boundary + "--\r\n";
        EXPECT_TRUE(request.body == expected) << "the body differs from the framing of the file";
        EXPECT_TRUE(request.wellFormed) << request.problem;
        boundaries.push_back(boundary);
    }
    EXPECT_NE(boundaries[0], boundaries[1]);
    const auto lines = sandbox.logMessages();
    for (const std::string line : {"INFO: Status Code: 200", "INFO: Response Data: {\"result\":\"received\"}"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
}

TEST_F(UploadRequest, NothingIsSentWithoutAReadableArchive)
{
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    UploadAPI::uploadTask.set(nullptr);

    // No location: no task, and the completion never comes.
    Completion none;
    EXPECT_FALSE(UploadAPI::upload(std::nullopt, none.handler()));
    EXPECT_FALSE(UploadAPI::uploadTask.get());
    EXPECT_FALSE(none.wait(std::chrono::milliseconds(300)));

    // A missing file and a folder: failures through the completion, nothing on the wire.
    fs::create_directory(sandbox.root() / "folder.zip");
    for (const auto& [name, code] :
         std::vector<std::pair<std::string, long>>{{"missing.zip", 260}, {"folder.zip", 256}}) {
        Completion completion;
        UploadAPI::upload(sandbox.root() / name, completion.handler());
        const auto result = completion.wait();
        ASSERT_TRUE(result);
        const auto* error = failure(*result);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain, "NSCocoaErrorDomain");
        EXPECT_EQ(error->code, code);
        EXPECT_EQ(sandbox.logMessages().back(), "INFO: " + error->localizedDescription);
    }
    EXPECT_TRUE(server.received().empty());
    EXPECT_EQ(none.calls(), 0);
}

TEST(FileBodyStream, ReadsInPiecesAndRewinds)
{
    tarvix::test::Sandbox sandbox;
    const std::string bytes = randomBytes(100'000);
    const fs::path file = writeArchive(sandbox.root() / "a.zip", bytes);
    const auto framing = UploadAPI::MultipartFraming::make("B", "a.zip");
    UploadAPI::Error error;
    auto body = UploadAPI::FileBodyStream::open(file, framing, error);
    ASSERT_TRUE(body);
    const std::string expected = framing.head + bytes + framing.tail;
    ASSERT_EQ(body->size(), expected.size());

    auto readAll = [&body](std::size_t piece) {
        std::string text;
        std::vector<char> buffer(piece);
        while (const auto n = body->read(buffer.data(), buffer.size())) {
            if (*n == 0) break;
            text.append(buffer.data(), *n);
        }
        return text;
    };
    EXPECT_EQ(readAll(7), expected);  // pieces that straddle head, file and tail
    ASSERT_TRUE(body->seek(0));
    EXPECT_EQ(readAll(65536), expected);
    EXPECT_FALSE(body->seek(expected.size() + 1));

    // A file that shrinks after it was opened is a read failure, not a short body.
    ASSERT_TRUE(body->seek(0));
    fs::resize_file(file, 10);
    std::vector<char> buffer(200'000);
    EXPECT_FALSE(body->read(buffer.data(), buffer.size()));
}
