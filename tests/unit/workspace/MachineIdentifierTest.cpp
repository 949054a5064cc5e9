#include "core/workspace/MachineIdentifier.h"

#include <gtest/gtest.h>

#include "platform/Identity.h"
#include "platform/Users.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
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
    // What hiding takes from the same interfaces and the hosts file (generic names left out).
    char name[256] = {};
    ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
    const std::string host = std::string(name).substr(0, std::string(name).find('.'));
    const std::string full = host == name ? host + ".lab.example" : std::string(name);
    writeFile(sandbox.root() / "hosts", "# " + host + "\n127.0.1.1 " + full + " " + host + " files-" + host +
                                            " localhost\n10.0.0.9 other.lab.example other\n");
    const auto identity = tarvix::platform::identityFromSystem({sandbox.root() / "hosts", folders.networkInterfaces});
    EXPECT_EQ(identity.fullHostName, full);
    EXPECT_EQ(identity.hostAliases, std::vector<std::string>{"files-" + host});
    EXPECT_EQ(identity.hardwareAddresses, (std::vector<std::string>{"52:54:00:ab:cd:56", "02:00:00:00:00:03"}));
    // Keyed by the account's secret: stable, owner-only, and none of the machine's addresses with
    // the login digests to it.
    const fs::path system = sandbox.root() / "System", other = sandbox.root() / "Other";
    fs::create_directories(system);
    fs::create_directories(other);
    const auto keyed = UF::getKeyedMachineHash(folders, system);
    ASSERT_TRUE(keyed.ok()) << keyed.message();
    EXPECT_EQ(keyed->size(), 128u);
    EXPECT_EQ(UF::getKeyedMachineHash(folders, system).value(), *keyed);
    EXPECT_EQ(fs::status(system / "MachineKey").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(treeListing(system), std::vector<std::string>{"MachineKey"});
    for (const char* mac : {"00:00:00:00:00:00", "02:00:00:00:00:03", "52:54:00:ab:cd:56", "52:54:00:AB:CD:56"})
        EXPECT_NE(*keyed, sha512sum(mac + user)) << mac;
    EXPECT_NE(UF::getKeyedMachineHash(folders, other).value(), *keyed);
    fs::create_symlink(system / "MachineKey", other / "Linked");  // a key that is a link is not the user's own
    fs::rename(other / "Linked", other / "MachineKey");
    EXPECT_FALSE(UF::getKeyedMachineHash(folders, other).ok());
    folders.networkInterfaces = sandbox.root() / "none";  // still names the user
    EXPECT_FALSE(UF::getUnitMachineString(folders).ok());
    EXPECT_EQ(UF::getMachineHash(folders), sha512sum(user));
}
