#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/package/FeedbackRecord.h"
#include "core/workspace/UtilityFunctions.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::Sandbox;
namespace UF = UtilityFunctions;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// A session folder with its edition folder, as the start flow leaves it.
fs::path makeSession(const Sandbox& sandbox)
{
    const fs::path session = sandbox.root() / "Output" / "20261206080000";
    fs::create_directories(session / "Scrivo");
    UF::tempTimeStampedURL.set(session);
    UF::tempOutputURL.set(session / "Scrivo");
    return session;
}

}  // namespace

TEST(CreateUserDetailContent, WritesOneLineWithMembersInOrderAndEscapes)
{
    Sandbox sandbox;
    const fs::path session = makeSession(sandbox);
    const std::string feedback = "He said \"crash\"\nthen C:\\path\t\x01 — ünïcødé";

    UF::CreateUserDetailContent("jane.doe@example.com", feedback);

    const std::string text = readFile(session / "UserEmailFeedback.json");
    const std::string expected = "{\"machineid\":\"" + UF::getMachineHash() +
                                 "\",\"email\":\"jane.doe@example.com\",\"problemdesc\":\"He said \\\"crash\\\"\\nthen "
                                 "C:\\\\path\\t\\u0001 — ünïcødé\"}";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(nlohmann::json::parse(text)["problemdesc"], feedback);
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: File created and content written successfully.");

    // An invalid address is stored as "", an empty description still makes a record, and the
    // second record replaces the first.
    UF::CreateUserDetailContent("not an address@", "");
    const auto record = nlohmann::ordered_json::parse(readFile(session / "UserEmailFeedback.json"));
    EXPECT_EQ(record.dump(), "{\"machineid\":\"" + UF::getMachineHash() + "\",\"email\":\"\",\"problemdesc\":\"\"}");
    EXPECT_EQ(fs::status(session / "UserEmailFeedback.json").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    // Nothing but the record and the edition folder: no temporary files left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(session), fs::directory_iterator()), 2);
}

TEST(CreateUserDetailContent, FailuresAreLoggedOrSilentAsTheirCause)
{
    Sandbox sandbox;
    // No output location: nothing written, nothing logged.
    const auto before = sandbox.logMessages().size();
    UF::CreateUserDetailContent("a@b.io", "text");
    EXPECT_EQ(sandbox.logMessages().size(), before);

    // The session folder is gone: the file cannot be created.
    UF::tempOutputURL.set(sandbox.root() / "missing" / "Scrivo");
    UF::CreateUserDetailContent("a@b.io", "text");
    EXPECT_EQ(sandbox.logMessages().back(), "ERROR: Failed to create the file.");
    EXPECT_FALSE(fs::exists(sandbox.root() / "missing"));

    // CreateFile itself ignores an absent location and an empty content.
    const fs::path file = sandbox.root() / "plain.txt";
    UF::CreateFile(file, "");
    UF::CreateFile(std::nullopt, "x");
    EXPECT_FALSE(fs::exists(file));
}
