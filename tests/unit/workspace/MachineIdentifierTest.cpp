#include "core/workspace/MachineIdentifier.h"

#include <gtest/gtest.h>

#include "platform/Users.h"
#include "support/Sandbox.h"

using namespace tarvix::test;
namespace UF = tarvix::UtilityFunctions;

TEST(MachineIdentifier, DigestsTheFirstAddressInIndexOrderInLowerCaseWithTheLoginName)
{
    Sandbox sandbox;
    auto folders = sandbox.folders();
    folders.networkInterfaces = sandbox.root() / "net";
    for (const auto& [name, index, address] :
         std::vector<std::array<std::string, 3>>{{"lo", "1", "00:00:00:00:00:00"},
                                                 {"wlan0", "3", "02:00:00:00:00:03"},
                                                 {"eth0", "2", "52:54:00:AB:CD:56"}}) {
        writeFile(folders.networkInterfaces / name / "ifindex", index + "\n");
        writeFile(folders.networkInterfaces / name / "address", address + "\n");
    }
    const auto sha512sum = [](const std::string& text) {  // an independent digest of the exact bytes
        return runCommand("printf '%s' " + shellWord(text) + " | sha512sum").substr(0, 128);
    };
    const std::string user = "_" + tarvix::platform::userName();
    EXPECT_EQ(UF::getUnitMachineString(folders).value(), "52:54:00:ab:cd:56" + user);
    EXPECT_EQ(UF::getMachineHash(folders), sha512sum("52:54:00:ab:cd:56" + user));
    folders.networkInterfaces = sandbox.root() / "none";  // still names the user
    EXPECT_FALSE(UF::getUnitMachineString(folders).ok());
    EXPECT_EQ(UF::getMachineHash(folders), sha512sum(user));
}
