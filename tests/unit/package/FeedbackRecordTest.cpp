#include "core/package/FeedbackRecord.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/workspace/MachineIdentifier.h"
#include "core/workspace/SharedValues.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;
namespace UF = tarvix::UtilityFunctions;

TEST(CreateUserDetailContent, WritesOneOwnerOnlyLineWithMembersInOrderAndEscapes)
{
    ::umask(022);
    Sandbox sandbox;
    const fs::path session = sandbox.root() / "Output/20261206080000", record = session / "UserEmailFeedback.json";
    fs::create_directories(session / "Scrivo");
    const std::string feedback = "He said \"crash\"\nthen C:\\path\t\x01 — ünïcødé";
    const std::string machine = "{\"machineid\":\"" + UF::getMachineHash(sandbox.folders());

    const tarvix::Session collected{.output = session / "Scrivo"};
    ASSERT_TRUE(tarvix::CreateUserDetailContent(sandbox.folders(), collected, "jane.doe@example.com", feedback).ok());
    EXPECT_EQ(readFile(record), machine + "\",\"email\":\"jane.doe@example.com\",\"problemdesc\":\"He said "
                                          "\\\"crash\\\"\\nthen C:\\\\path\\t\\u0001 — ünïcødé\"}");
    // An invalid address is stored as "", an empty description still makes a record, and the
    // second record replaces the first, for the user alone and with no temporary file left.
    ASSERT_TRUE(tarvix::CreateUserDetailContent(sandbox.folders(), collected, "not an address@", "").ok());
    EXPECT_EQ(readFile(record), machine + "\",\"email\":\"\",\"problemdesc\":\"\"}");
    EXPECT_EQ(fs::status(record).permissions() & fs::perms::all, fs::perms(0600));
    EXPECT_EQ(treeListing(session), (std::vector<std::string>{"Scrivo/", "UserEmailFeedback.json"}));

    EXPECT_FALSE(
        tarvix::CreateUserDetailContent(sandbox.folders(), {.output = sandbox.root() / "missing/Scrivo"}, "", "x")
            .ok());
    EXPECT_EQ(sandbox.logMessages().back(), "ERROR: Failed to create the file.");
}
