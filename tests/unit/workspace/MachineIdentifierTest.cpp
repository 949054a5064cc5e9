#include "core/workspace/MachineIdentifier.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "platform/Users.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::Sandbox;
namespace UF = UtilityFunctions;

namespace {

/// An independent digest: the system's sha512sum over the exact bytes.
std::string sha512sum(const std::string& text)
{
    const auto out = tarvix::test::runCommand("printf '%s' '" + text + "' | sha512sum");
    return out.substr(0, 128);
}

void addInterface(const fs::path& root, const std::string& name, int index, const std::string& address)
{
    fs::create_directories(root / name);
    std::ofstream(root / name / "ifindex") << index << '\n';
    std::ofstream(root / name / "address") << address << '\n';
}

}  // namespace

TEST(MachineIdentifier, FirstAddressInIndexOrderJoinedToTheLoginName)
{
    Sandbox sandbox;
    const fs::path net = sandbox.root() / "sys/class/net";
    addInterface(net, "lo", 1, "00:00:00:00:00:00");
    addInterface(net, "wlan0", 3, "AA:bb:cc:00:00:03");
    addInterface(net, "eth0", 2, "52:54:00:12:34:56");
    auto folders = sandbox.folders();
    folders.networkInterfaces = net;

    const std::string user = platform::userName();
    ASSERT_EQ(UF::getUnitMachineString(folders), "52:54:00:12:34:56_" + user);
    const std::string hash = UF::getMachineHash(folders);
    EXPECT_TRUE(std::regex_match(hash, std::regex("[0-9a-f]{128}")));
    EXPECT_EQ(hash, sha512sum("52:54:00:12:34:56_" + user));
    EXPECT_EQ(UF::getMachineHash(folders), hash);

    // A later interface changes nothing; a new first one does.
    addInterface(net, "eth9", 9, "02:00:00:00:00:09");
    EXPECT_EQ(UF::getMachineHash(folders), hash);
    addInterface(net, "eth0", 4, "52:54:00:12:34:56");
    EXPECT_EQ(UF::getUnitMachineString(folders), "aa:bb:cc:00:00:03_" + user) << "addresses are written in lower case";
}

TEST(MachineIdentifier, NoAddressOrNoInterfaceListStillNamesTheUser)
{
    Sandbox sandbox;
    const fs::path net = sandbox.root() / "sys/class/net";
    addInterface(net, "lo", 1, "00:00:00:00:00:00");
    auto folders = sandbox.folders();
    folders.networkInterfaces = net;
    const std::string user = platform::userName();
    EXPECT_EQ(UF::getUnitMachineString(folders), "_" + user);
    EXPECT_EQ(UF::getMachineHash(folders), sha512sum("_" + user));

    folders.networkInterfaces = sandbox.root() / "no/such/folder";
    EXPECT_FALSE(UF::getUnitMachineString(folders));
    EXPECT_EQ(UF::getMachineHash(folders), sha512sum("_" + user));
}

TEST(MachineIdentifier, RealMachineGivesAStableDigest)
{
    Sandbox sandbox;
    const auto text = UF::getUnitMachineString(sandbox.folders());
    ASSERT_TRUE(text);
    EXPECT_EQ(UF::getMachineHash(sandbox.folders()), sha512sum(*text));
}
