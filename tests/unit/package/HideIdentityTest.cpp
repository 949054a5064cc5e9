#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <tuple>

#include "core/collect/PreferenceFile.h"
#include "core/package/ArchiveProof.h"
#include "core/package/FilePreview.h"
#include "core/package/IdentityHider.h"
#include "core/package/Packaging.h"
#include "core/package/ShareArchive.h"
#include "core/workspace/MachineIdentifier.h"
#include "platform/Applications.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;

namespace {

/// Checks a zip as support would: every entry parses by its kind (else the listing stops there); prints "LEAK value
/// entry" for each value found (ASCII case-blind) in an entry's name or bytes, then the entry names (a property list's
/// with its head and items).
constexpr const char* kCheckArchive = R"(import sys, zipfile, json, plistlib, xml.dom.minidom
z = zipfile.ZipFile(sys.argv[1])
for i in sorted(z.infolist(), key=lambda i: i.filename):
    data, name = z.read(i), i.filename
    if name.endswith(".json"): json.loads(data)
    if name.endswith(".xml"): xml.dom.minidom.parseString(data)
    if name.endswith(".plist"): p = plistlib.loads(data); data += repr(p).encode(); name += " " + repr((data[:8], sorted(p.items())))
    for v in sys.argv[2:]:
        if any(v.lower().encode(e) in data.lower() for e in ("utf-8", "utf-16-le", "utf-16-be")) or v.lower() in name.lower(): print("LEAK", v, name)
    if name.endswith("/") and not i.external_attr & 0x10: print("NOT A FOLDER", name)
    print(name)
)";

/// `ascii` as UTF-16 code units, little-endian unless `bigEndian`.
std::string utf16(std::string_view ascii, bool bigEndian = false)
{
    std::string units;
    for (const char c : ascii) units += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return units;
}

/// 28 arrays, each holding the one before twice: 154 bytes whose tree would have 2^29 - 1 nodes.
std::string expandingPlist()
{
    std::string bytes = "bplist00\x08", table = "\x08";
    for (char i = 1; i <= 28; ++i) {
        table += static_cast<char>(bytes.size());
        bytes += {'\xA2', static_cast<char>(i - 1), static_cast<char>(i - 1)};
    }
    const auto tableAt = static_cast<char>(bytes.size());
    return bytes + table + std::string(6, '\0') + "\x01\x01" + std::string(7, '\0') + "\x1d" + std::string(7, '\0') +
           "\x1c" + std::string(7, '\0') + tableAt;
}

}  // namespace

TEST(IdentityHider, ReplacesEveryValueInEveryFormAlikeWhereverTheStreamIsCut)
{
    const tarvix::platform::Identity identity{"jo", "Zo\u00eb D'Arcy", "/home/jo", "box7", "box7.corp.example"};
    std::string cjk;
    while (cjk.size() < 65532) cjk += "\u65e5\u672c";  // the address crosses the 64 KiB mark of its run
    using Layout = tarvix::IdentityHider::Layout;
    // Placeholders: home1, user1, name1, host1 (the full name), host2; addresses by first sight.
    const std::vector<std::tuple<Layout, std::string, std::string>> rows = {
        {Layout::text, "user jo logged in; jobs ran for Jo, not Jo\u00eb or \u00e9jo",
         "user user1 logged in; jobs ran for user1, not Jo\u00eb or \u00e9jo"},
        {Layout::text, "path /home/jo/Library/x and /home/jon", "path home1/Library/x and home1n"},
        {Layout::text, "Zo\u00eb D'Arcy <zoe.darcy@corp.example>, cc Bob@X.io; me@keep.org, Me@Keep.ORG",
         "name1 <email1@redacted.invalid>, cc email2@redacted.invalid; me@keep.org, Me@Keep.ORG"},
        {Layout::text, "on box7.corp.example and BOX7 but not box77", "on host1 and host2 but not host27"},
        {Layout::text, "again ZOE.DARCY@corp.example\u2019s and bob@x.io.",
         "again email1@redacted.invalid\u2019s and email2@redacted.invalid."},
        {Layout::text, "not mail: a@b, x@@y.io, @corp.example jo@ a%40b",
         "not mail: a@b, x@@y.io, @corp.example user1@ a%40b"},
        {Layout::text, R"({"n": "Zo\u00EB D'Arcy", "p": "\/home\/jo\/x"} <o a="Zo&#xEB; D&#39;Arcy"/>)",
         R"({"n": "name1", "p": "home1\/x"} <o a="name1"/>)"},
        // Cases beyond ASCII, decomposed (NFD), XML references of every kind, URLs.
        {Layout::text, "ZO\u00cb D'ARCY, zO\u00cb d'arcy, Zoe\u0308 D'Arcy, ZOE\u0308 D'ARCY",
         "name1, name1, name1, name1"},
        {Layout::text,
         "Zo&#235; D&#x27;Arcy|Zo&euml; D&apos;Arcy|&#90;&#111;&#235;&#32;&#68;&#39;&#65;&#114;&#99;&#121;",
         "name1|name1|name1"},
        {Layout::text, "/x?n=Zo%C3%AB+D%27Arcy&h=%2Fhome%2Fjo", "/x?n=name1&h=home1"},
        // An address's "@" escaped as JSON, XML and URLs write it.
        {Layout::text, R"(mailto:bob%40x.io "bob\u0040x.io" bob&#64;x.io bob&#x40;x.io &lt;bob@x.io&gt;)",
         R"(mailto:email1@redacted.invalid "email1@redacted.invalid" email1@redacted.invalid )"
         R"(email1@redacted.invalid &lt;email1@redacted.invalid&gt;)"},
        // An address inside a run without spaces longer than any buffer.
        {Layout::text, cjk + "zoe.darcy@corp.example" + cjk, cjk + "email1@redacted.invalid" + cjk},
        // A binary file keeps its layout: UTF-8 and UTF-16 alike, each as long as before.
        {Layout::kept, std::string("\x01\0Zo\u00eb D'Arcy\0", 14) + utf16("box7") + std::string("\0bob@x.io\0", 10),
         std::string("\x01\0name1______\0", 14) + utf16("host") + std::string("\0email1@r\0", 10)},
    };
    for (const auto& [layout, input, expected] : rows) {
        // Every cut in two for short rows; around each "@" for long ones; and pieces of a few sizes.
        std::vector<std::vector<std::size_t>> cuttings;
        for (std::size_t at = 0; at <= input.size(); ++at)
            if (input.size() < 2000 || input.substr(at > 40 ? at - 40 : 0, 80).find('@') != std::string::npos)
                cuttings.push_back({at, input.size()});
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}, std::size_t{4096}}) {
            cuttings.emplace_back();
            for (std::size_t at = piece; at < input.size() + piece; at += piece)
                cuttings.back().push_back(std::min(at, input.size()));
        }
        // One hider for every cutting: a stream ends cleanly, and the same values keep their placeholders.
        tarvix::Placeholders placeholders;
        tarvix::IdentityHider hider(identity, "ME@keep.org", placeholders);
        for (const auto& cuts : cuttings) {
            std::string out;
            const tarvix::IdentityHider::Sink sink = [&](std::string_view bytes) { out.append(bytes); };
            const auto before = hider.replacements();
            std::size_t from = 0;
            for (const std::size_t cut : cuts)
                hider.feed(std::string_view(input).substr(from, cut - from), sink, layout), from = cut;
            hider.finish(sink, layout);
            ASSERT_EQ(out, expected) << "cut at " << cuts.front() << " of " << input.substr(0, 60);
            EXPECT_LE(out.size(), input.size() + (hider.replacements() - before) * placeholders.longest());
        }
    }
    // Where a file escaped a value (JSON, XML, a URL) it is hidden alike.
    tarvix::Placeholders escaped;
    tarvix::IdentityHider hider({"zoe", "Zo\u00eb D'Arcy & Co", "/home/zoe", "box7", "box7.corp.example"}, "", escaped);
    EXPECT_EQ(hider.hide(R"({"n": "Zo\u00EB D'Arcy & Co", "p": "\/home\/zoe\/x"} <o a="Zoë D&apos;Arcy &amp; Co"/> )"
                         "file:///home/zoe/Zo%C3%AB%20D%27Arcy%20%26%20Co.scriv"),
              R"({"n": "name1", "p": "home1\/x"} <o a="name1"/> file://home1/name1.scriv)");
    // Every way files write the name, the machine's other names and addresses, the user's words.
    tarvix::platform::Identity wide{"jm", "J\u00fcrgen M\u00fcller", "/home/jm", "box7", "", "/srv/home/jm"};
    wide.hostAliases = {"files7.lab"};
    wide.hardwareAddresses = {"52:54:00:ab:cd:56"};
    wide.ipAddresses = {"10.1.2.3", "fe80::5054:ff:feab:cd56"};
    tarvix::Placeholders widePlaceholders;
    tarvix::IdentityHider wideHider(tarvix::hiddenValues(wide, {"Acme"}), "", widePlaceholders);
    EXPECT_EQ(wideHider.hide("J\u00fcrgen.M\u00fcller J\u00fcrgen_M\u00fcller J\u00fcrgenM\u00fcller "
                             "J\u00fcrgen-M\u00fcller J\u00fcrgen+M\u00fcller M\u00fcller, J\u00fcrgen "
                             "J\u00dcRGEN M\u00dcLLER Ju\u0308rgen Mu\u0308ller JU\u0308RGEN.MU\u0308LLER\n"
                             "/srv/home/jm/x FILES7.LAB 52-54-00-AB-CD-56 52:54:00:ab:cd:56 FE80::5054:ff:feab:cd56\n"
                             "from 10.1.2.3 not 10.1.2.30 or 110.1.2.3 for ACME and acmes"),
              "name1 name1 name1 name1 name1 name1 name1 name1 name1\n"
              "home2/x host2 mac1 mac1 ip2\nfrom ip1 not 10.1.2.30 or 110.1.2.3 for word1 and word1s");
}

TEST(ArchiveForUpload, HidesTheIdentityInEveryEntryAndLeavesOutWhatWasCleared)
{
    Sandbox sandbox;
    tarvix::Session session = collectedSession(sandbox.library());
    const fs::path folder = *session.folder, system = *session.system, home = sandbox.home();
    const tarvix::platform::Identity identity{"mkowal", "Marta Kowalska", home, "aurora", "aurora.lab.example"};
    sandbox.platform().folders.identity = identity;
    const std::string log = "plain line one\nuser mkowal opened " + home.string() +
                            "/Documents/a.scriv on AURORA\n\tplain line two \xE2\x9C\x93\r\n" +
                            std::string(300000, 'x') + "mkowal\nmail marta@studio.example, me@keep.example\n";
    writeFile(folder / "Scrivo/ScrivoLog/mkowal-aurora.log", log);
    writeFile(folder / "Scrivo/Users/mkowal/prefs.xml",
              "<?xml version=\"1.0\"?><prefs owner=\"Marta Kowalska\"><path>" + home.string() + "/x</path></prefs>");
    writeFile(folder / "Scrivo/state.json", "{\"host\": \"aurora.lab.example\", \"to\": [\"ops-team@lab.example\"]}");
    fs::create_directories(folder / "Scrivo/Preferences");
    // Hidden as property lists (binary and XML), compressed content known by its bytes, UTF-16, a crash dump.
    python(
        "import plistlib,sys; open(sys.argv[1],'wb').write(plistlib.dumps(eval(sys.argv[2]), fmt=plistlib.FMT_BINARY));"
        "open(sys.argv[3],'wb').write(plistlib.dumps({'b': b'mkowal@aurora'}))",
        {folder / "Scrivo/Preferences/com.norvane.Scrivo.Pro.plist",
         "{'mkowal': 'Marta Kowalska', 'MKOWAL': 'x', 'paths': ['" + home.string() +
             "/Library'], 'blob': b'ops-team@lab.example', 'n': 3, 'user1': 'kept'}",
         folder / "Scrivo/Preferences/recent.plist"});
    runCommand("echo mkowal | gzip > " + shellWord(folder / "Scrivo/ScrivoLog/rotated.LOG"));
    writeFile(folder / "Scrivo/export.reg", "\xFF\xFE" + utf16("mkowal on aurora") + std::string("\0\x09", 2));
    writeFile(folder / "Scrivo/notes.txt", utf16("mkowal on aurora", true));
    writeFile(folder / "Scrivo/crash.dmp",
              std::string("MDMP\0", 5) + home.string() + std::string(2, '\0') + utf16("aurora"));
    writeFile(folder / "Scrivo/caf\xE9.log", "a name that is not UTF-8 is written as zip writes it\n");
    writeFile(folder / "Scrivo/Preferences/broken.plist", std::string("bplist00\x01\x02garbage", 17));
    writeFile(folder / "Scrivo/left/out.log", "left out");
    writeFile(folder / "Scrivo/ScrivoLog/user1-host2.log", "its name is another file's hidden one");

    const tarvix::ShareChoices choices{.leftOut = {"Scrivo/left/out.log"}, .hideIdentity = true};
    const auto packaged =
        tarvix::archiveForUpload(sandbox.folders(), session, true, "me@keep.example",
                                 "it broke for Marta Kowalska; ask ops-team@lab.example or me@keep.example", choices);
    ASSERT_TRUE(packaged.upload) << sandbox.logText();
    const fs::path archive = packaged.upload.value();
    EXPECT_EQ(
        python(kCheckArchive, {archive, "mkowal", "Marta Kowalska", home, "aurora", "aurora.lab.example",
                               "marta@studio.example", "ops-team@lab.example"}),
        "Scrivo/\nScrivo/Preferences/\nScrivo/Preferences/com.norvane.Scrivo.Pro.plist (b'bplist00', [('blob', "
        "b'email1@redacted.invalid'), ('n', 3), ('paths', ['home1/Library']), ('user1', 'kept'), ('user1 (2)', 'x'), "
        "('user1 (3)', 'name1')])\nScrivo/Preferences/recent.plist (b'<?xml ve', [('b', "
        "b'user1@host2')])\nScrivo/ScrivoLog/\nScrivo/ScrivoLog/user1-host2.log\nScrivo/Users/\n"
        "Scrivo/Users/user1/\nScrivo/Users/user1/prefs.xml\nScrivo/caf\u0398.log\nScrivo/crash.dmp\n"
        "Scrivo/export.reg\nScrivo/left/\nScrivo/notes.txt\nScrivo/state.json\nUserEmailFeedback.json\n");
    EXPECT_EQ(packaged.couldNotHide,
              (std::vector<std::string>{"Scrivo/Preferences/broken.plist", "Scrivo/ScrivoLog/rotated.LOG",
                                        "Scrivo/ScrivoLog/user1-host2.log"}));
    for (const auto& [entry, expected] : std::vector<std::pair<std::string, std::string>>{
             {"Scrivo/crash.dmp", std::string("MDMP\0", 5) + "home1" + std::string(home.string().size() - 5, '_') +
                                      std::string(2, '\0') + utf16("host2_")},
             {"Scrivo/export.reg", "\xFF\xFE" + utf16("user1 on host2") + std::string("\0\x09", 2)},  // U+0900
             {"Scrivo/notes.txt", utf16("user1 on host2", true)},
             // The record's description is hidden like the files; the address typed into the form stays.
             {"UserEmailFeedback.json",
              "{\"machineid\":\"" + tarvix::UtilityFunctions::getKeyedMachineHash(sandbox.folders(), system).value() +
                  "\",\"email\":\"me@keep.example\",\"problemdesc\":\"it broke for name1; ask "
                  "email1@redacted.invalid or me@keep.example\"}"}})
        EXPECT_EQ(runCommand("unzip -p " + shellWord(archive) + " " + entry), expected) << entry;

    // Lines without a value are byte for byte as they were.
    const std::string hidden = runCommand("unzip -p " + shellWord(archive) + " Scrivo/ScrivoLog/user1-host2.log");
    EXPECT_TRUE(
        hidden ==
        "plain line one\nuser user1 opened home1/Documents/a.scriv on host2\n\tplain line two \xE2\x9C\x93\r\n" +
            std::string(300000, 'x') + "user1\nmail email2@redacted.invalid, me@keep.example\n")
        << hidden.substr(0, 200) << "..." << hidden.substr(hidden.size() - 60);

    // The mapping stays on the machine, the user's alone, outside what the upload removes.
    const fs::path mapping = tarvix::hiddenNamesFile(session);
    EXPECT_EQ(mapping, system / "HiddenNames-20261206093000.txt");
    EXPECT_EQ(fs::symlink_status(mapping).permissions(), fs::perms(0600));
    EXPECT_NE(readFile(mapping).find("host1\taurora.lab.example\n"), std::string::npos) << readFile(mapping);
}

TEST(ArchiveProof, FindsEveryFormInEveryEncodingAndRefusesTheShareOfABrokenHider)
{
    Sandbox sandbox;
    const tarvix::platform::Identity identity{"jm", "J\u00fcrgen M\u00fcller", "/home/jm", "box7", ""};
    const auto values = tarvix::hiddenValues(identity);
    // One archive per row, its entry written as a file would carry it.
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"b'user1 on host1 by name1, email1@redacted.invalidUuser1 or me@keep.exampleQ'", ""},
        {"'J\u00fcrgen M\u00fcller'.encode('utf-16')", "name"},
        {"'JÜRGEN.MÜLLER'.encode('utf-16-be')", "name"},
        {"unicodedata.normalize('NFD', 'jürgen_müller').encode()", "name"},
        {"b'{\"n\": \"J\\\\u00fcrgen M\\\\u00fcller\"}'", "name"},
        {"b'<a>M&#252;ller, J&#xFC;rgen</a>'", "name"},
        {"b'mailto:bob%40example.com'", "email"},
        {"b'{\"to\": \"bob\\\\u0040example.com\"}'", "email"},
        {"b'<to>bob&#64;example.com</to>'", "email"},
        {"plistlib.dumps({'d': b'/home/jm/x'})", "home"},
        {"plistlib.dumps({'JM': 1}, fmt=plistlib.FMT_BINARY)", "user"},
        {"b'%2Fhome%2Fjm'", "home"},
        {"b'x' * (2**20 - 2) + b'box7'", "host"},  // across the first 1 MiB chunk
        // Cut by the chunk's end or by the next window's start (1 KiB before it): seen whole beside it.
        {"b'x' * (2**20 - 19) + b' email1@redacted.invalid'", ""},
        {"b'x' * (2**20 - 3) + b' jmx'", ""},
        {"b'x' * (2**20 - 1024) + b'jm ' + b'y' * 1100", ""},
        {"b'x' * (2**20 - 3) + b' jm'", "user"},
        {"gzip.compress(b'nothing to see')", "compressed"},
    };
    std::string script = "import zipfile, plistlib, gzip, unicodedata, sys\nrows = [";
    for (const auto& row : rows) script += row.first + ", ";
    python(script +
               "]\nfor i, r in enumerate(rows): zipfile.ZipFile(sys.argv[1] + str(i), 'w').writestr('Scrivo/f', r)",
           {sandbox.root() / "row"});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto hit = tarvix::proveArchive(sandbox.root() / ("row" + std::to_string(i)), values, "me@keep.example",
                                              {"user1", "host1", "name1"});
        ASSERT_TRUE(hit.ok()) << hit.message();
        EXPECT_EQ(*hit ? (*hit)->kind : "", rows[i].second) << rows[i].first;
    }

    // A hider with one form switched off: the share is refused, the file named, nothing made.
    tarvix::Session session = collectedSession(sandbox.library());
    const fs::path folder = *session.folder;
    sandbox.platform().folders.identity = identity;
    writeFile(folder / "Scrivo/a.log", "plain\n");
    writeFile(folder / "Scrivo/notes.log", "written by J\u00fcrgen.M\u00fcller\n");
    tarvix::ShareChoices broken{
        .leftOut = {}, .hideIdentity = true, .hiderForms = tarvix::HiderForms::withoutNameVariants};
    const auto refused = tarvix::archiveForUpload(sandbox.folders(), session, true, "", "x", broken);
    EXPECT_EQ(refused.upload.error(), tarvix::ArchiveRefusal::notHidden);
    EXPECT_EQ(refused.notHidden, "Scrivo/notes.log");
    EXPECT_FALSE(refused.archive);
    EXPECT_TRUE(fs::is_empty(*session.scratch));
    EXPECT_NE(sandbox.logText().find("A hidden value (name) is still in Scrivo/notes.log"), std::string::npos);
    EXPECT_EQ(sandbox.logText().find("M\u00fcller"), std::string::npos);
    broken.hiderForms = tarvix::HiderForms::all;
    EXPECT_TRUE(tarvix::archiveForUpload(sandbox.folders(), session, true, "", "x", broken).upload.ok());
}

// Runs in a private mount namespace with bounded address space: files that fail only while they
// are read, and property lists whose tree would take tens of GiB.
TEST(ShareArchiveChild, FilesThatFailHalfwayOrWouldExpandAreLeftOutWhereverTheyAreRead)
{
    Sandbox sandbox;
    const fs::path folder = sandbox.library() / "Tarvix/Output/20261206093000", archive = sandbox.root() / "out.zip",
                   app = sandbox.root() / "Bomb.app";
    const tarvix::Session session{.folder = folder, .output = folder / "Scrivo"};
    writeFile(folder / "Scrivo/a.log", "mkowal was here\n");
    writeFile(folder / "Scrivo/z.log", "and here\n");
    writeFile(folder / "Scrivo/bomb.plist", expandingPlist());
    writeFile(app / "Contents/Info.plist", expandingPlist());
    // Our own memory at address 0 opens as a regular file and fails with EIO at the first read.
    for (const char* name : {"Scrivo/m1.log", "Scrivo/sub/m2.log"}) {
        writeFile(folder / name);
        ASSERT_EQ(::mount("/proc/self/mem", (folder / name).c_str(), nullptr, MS_BIND, nullptr), 0) << name;
    }
    const tarvix::platform::Identity identity{"mkowal", "", "/home/mkowal", "aurora", ""};
    const auto content = tarvix::FilesPathDirectory::writeShareArchive(session, {.leftOut = {}, .hideIdentity = true},
                                                                       identity, "", archive);
    ASSERT_TRUE(content.ok()) << content.message();
    EXPECT_EQ(content->targetFiles, 5u);
    EXPECT_EQ(content->sentFiles, 2u);
    EXPECT_EQ(content->couldNotHide,
              (std::vector<std::string>{"Scrivo/bomb.plist", "Scrivo/m1.log", "Scrivo/sub/m2.log"}));
    EXPECT_EQ(python("import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); print(z.testzip(), "
                     "sorted(n for n in z.namelist() if not n.endswith('/')), z.read('Scrivo/a.log'))",
                     {archive}),
              "None ['Scrivo/a.log', 'Scrivo/z.log'] b'user1 was here\\n'\n");
    const auto lines = sandbox.logMessages();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("ERROR: Left out of the archive"); }),
              3);
    const auto preview = tarvix::previewFile(folder, "Scrivo/bomb.plist");
    EXPECT_EQ(preview.ok() ? "" : preview.message(),
              "The file “Scrivo/bomb.plist” can’t be shown: The property list would expand to more than 1048576 "
              "objects or nest deeper than 512; it is not read.");
    namespace plists = tarvix::PListOperations::detail;
    const auto preferences = plists::readDictionaryPlist(folder / "Scrivo/bomb.plist");
    EXPECT_EQ(preferences.ok() ? 0 : preferences.failure().errorNumber, EFBIG);
    EXPECT_EQ(plists::editPlist(folder / "Scrivo/bomb.plist", [](plist_t) { return true; }), plists::Edit::unreadable);
    EXPECT_EQ(tarvix::platform::bundleInfoString(app, "CFBundleShortVersionString"), std::nullopt);
}

TEST(ShareArchive, FilesThatFailHalfwayOrWouldExpandAreLeftOutWhereverTheyAreRead)
{
    // A sanitizer reserves more address space than the limit itself.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const std::string limit;
#else
    const std::string limit = "prlimit --as=1073741824";
#endif
    const auto run =
        runSelfInNamespace({"-m", "--propagation", "private"},
                           "ShareArchiveChild.FilesThatFailHalfwayOrWouldExpandAreLeftOutWhereverTheyAreRead", limit);
    if (!run.available) GTEST_SKIP() << "unshare cannot make a private mount namespace here";
    EXPECT_TRUE(run.passed) << run.output;
}
