#include "core/package/FeedbackRecord.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/workspace/MachineIdentifier.h"
#include "core/workspace/SharedValues.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::readFile;
namespace UF = UtilityFunctions;

TEST(CreateUserDetailContent, WritesOneLineWithMembersInOrderAndEscapes)
{
    tarvix::test::Sandbox sandbox;
    // A session folder with its edition folder, as the start flow leaves it.
    const fs::path session = sandbox.root() / "Output" / "20261206080000";
    fs::create_directories(session / "Scrivo");
    UF::tempTimeStampedURL.set(session);
    UF::tempOutputURL.set(session / "Scrivo");
    const std::string feedback = "He said \"crash\"\nthen C:\\path\t\x01 — ünïcødé";

    UF::CreateUserDetailContent(sandbox.folders(), tarvix::sessionFromSharedValues(), "jane.doe@example.com", feedback);
    const std::string text = readFile(session / "UserEmailFeedback.json");
    EXPECT_EQ(text, "{\"machineid\":\"" + UF::getMachineHash(sandbox.folders()) +
                        "\",\"email\":\"jane.doe@example.com\",\"problemdesc\":\"He said \\\"crash\\\"\\nthen "
                        "C:\\\\path\\t\\u0001 — ünïcødé\"}");
    EXPECT_EQ(nlohmann::json::parse(text)["problemdesc"], feedback);
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: File created and content written successfully.");

    // An invalid address is stored as "", an empty description still makes a record, and the
    // second record replaces the first.
    UF::CreateUserDetailContent(sandbox.folders(), tarvix::sessionFromSharedValues(), "not an address@", "");
    EXPECT_EQ(readFile(session / "UserEmailFeedback.json"),
              "{\"machineid\":\"" + UF::getMachineHash(sandbox.folders()) + "\",\"email\":\"\",\"problemdesc\":\"\"}");
    EXPECT_EQ(fs::status(session / "UserEmailFeedback.json").permissions() & fs::perms::all, fs::perms(0644));
    // Nothing but the record and the edition folder: no temporary files left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(session), fs::directory_iterator()), 2);
}

TEST(CreateUserDetailContent, FailuresAreLoggedOrSilentAsTheirCause)
{
    tarvix::test::Sandbox sandbox;
    // No output location: nothing written, nothing logged.
    UF::CreateUserDetailContent(sandbox.folders(), tarvix::sessionFromSharedValues(), "a@b.io", "text");
    EXPECT_TRUE(sandbox.logMessages().empty());

    // The session folder is gone: the file cannot be created.
    UF::tempOutputURL.set(sandbox.root() / "missing" / "Scrivo");
    UF::CreateUserDetailContent(sandbox.folders(), tarvix::sessionFromSharedValues(), "a@b.io", "text");
    EXPECT_EQ(sandbox.logMessages().back(), "ERROR: Failed to create the file.");
    EXPECT_FALSE(fs::exists(sandbox.root() / "missing"));

    // CreateFile itself ignores an absent location and an empty content.
    UF::CreateFile(sandbox.root() / "plain.txt", "");
    UF::CreateFile(std::nullopt, "x");
    EXPECT_FALSE(fs::exists(sandbox.root() / "plain.txt"));
}
