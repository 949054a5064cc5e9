#include <stdexcept>

#include "SamplePlist.h"
#include "platform/TreeCopy.h"

namespace fs = std::filesystem;

namespace tarvix::sample {
namespace {

using PlistPtr = tarvix::PlistNode;

// Not fs::copy_file: the platform copy keeps both descriptors close-on-exec, or a test thread
// that spawns a process meanwhile would keep the copy open for writing and the later exec of the
// copy would fail with ETXTBSY.
void copyExecutable(const fs::path& from, const fs::path& to)
{
    if (auto copied = tarvix::platform::copyTree(from, to, nullptr, {}); !copied)
        throw std::runtime_error("sample: cannot copy " + from.string() + " to " + to.string() + ": " +
                                 copied.message());
    // Others run it too: the tests start it as another account.
    fs::permissions(to, fs::perms(0755));
}

plist_t stringArray(std::initializer_list<const char*> items)
{
    plist_t array = plist_new_array();
    for (const char* item : items) plist_array_append_item(array, plist_new_string(item));
    return array;
}

/// Settings a real flavour dictionary has, one of every property-list type.
plist_t flavourDictionary(const std::string& flavour, bool userLoggingEntry)
{
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "WindowFrame", plist_new_string("{{10, 20}, {800, 600}}"));
    plist_dict_set_item(dict, "DocumentTitle", plist_new_string("Résumé – 文書 <draft> & \"notes\""));
    plist_dict_set_item(dict, "Channel", plist_new_string(flavour.c_str()));
    plist_dict_set_item(dict, "LaunchCount", plist_new_uint(17));
    plist_dict_set_item(dict, "RulerOffset", plist_new_uint(static_cast<uint64_t>(-3)));
    plist_dict_set_item(dict, "Zoom", plist_new_real(1.25));
    plist_dict_set_item(dict, "ShowRulers", plist_new_bool(1));
    plist_dict_set_item(dict, "AutoSave", plist_new_bool(0));
    plist_dict_set_item(dict, "LastOpened", plist_new_date(700000000, 0));
    const char bookmark[] = {'\x00', '\x01', '\xfe', '\xff', 'b', 'm'};
    plist_dict_set_item(dict, "RecentBookmark", plist_new_data(bookmark, sizeof bookmark));
    plist_dict_set_item(dict, "RecentFiles", stringArray({"/home/user/Report.scv", "/home/user/Notes.scv"}));
    plist_t toolbar = plist_new_dict();
    plist_dict_set_item(toolbar, "Visible", plist_new_bool(1));
    plist_dict_set_item(toolbar, "Items", stringArray({"bold", "italic", "share"}));
    plist_dict_set_item(dict, "Toolbar", toolbar);
    plist_dict_set_item(dict, "EmptyList", plist_new_array());
    if (userLoggingEntry) {
        plist_t logging = plist_new_dict();
        plist_t levels = plist_new_array();
        plist_array_append_item(levels, plist_new_uint(3));
        plist_array_append_item(levels, plist_new_uint(1));
        plist_dict_set_item(logging, "EnableScrivoLogging", levels);
        plist_dict_set_item(logging, "Note", plist_new_string("set by the user"));
        plist_dict_set_item(dict, "ScrivoLogging", logging);
    }
    return dict;
}

/// Logs, licensing, updater and in-product-message material of one edition.
void writeTargetLogs(const Layout& layout, Edition edition, const std::string& version)
{
    const std::string flavour = flavourForVersion(version);
    const std::string name = editionName(edition);
    const fs::path scrivoRoot = layout.library / "Application Support/Norvane/Scrivo" / flavour;
    const fs::path logFolder = scrivoRoot / name / "ScrivoLog";
    detail::writeText(logFolder / (name + ".log"), name + " " + version + " started\nverbose logging off\n");
    detail::writeText(logFolder / (name + "_previous.log"), "earlier run\n");
    detail::writeText(logFolder / "Crashes" / "crash_1.dmp", std::string("MDMP\0\x01", 6));
    std::error_code ignored;
    fs::remove(logFolder / "latest.log", ignored);
    fs::create_symlink(name + ".log", logFolder / "latest.log");

    const std::string messages = edition == Edition::Scrivo ? "Bastion-ProMessages" : "GlanceMessages";
    detail::writeText(scrivoRoot / messages / "messages.json", "{\"items\":[{\"id\":1,\"seen\":false}]}\n");
}

void writeSharedLogs(const Layout& layout)
{
    const fs::path logs = layout.library / "Logs";
    detail::writeText(logs / "scrivoQLMLog.txt", "QLM: licence valid\n");
    detail::writeText(logs / "scrivoQLMLicenseLog.txt", "QLM: licence check 2\n");
    detail::writeText(logs / "QLM" / "qlm.log", "activation ok\n");
    detail::writeText(logs / "QLM" / "logging.qlmlogcontrolconfig", "level=debug\n");
    detail::writeText(logs / "scrivocef_low" / "cef.log", "cef renderer started\n");
    detail::writeText(logs / "Norvane" / "Scrivo Update Helper QX.log", "helper: up to date\n");
    detail::writeText(logs / "Norvane" / "Scrivo Updater QX.log", "updater: checked\n");
    detail::writeText(layout.systemLog / "scrivoUpdaterTools.log", "tools: installed\n");
    detail::writeText(layout.systemLog / "syslog", "not the target's\n");
}

void writeCrashReporterPreferences(const fs::path& preferences, PlistFormat format)
{
    PlistPtr root(plist_new_dict());
    plist_dict_set_item(raw(root), "SendReports", plist_new_bool(1));
    plist_dict_set_item(raw(root), "LastReport", plist_new_string("2026-11-30"));
    detail::writePlist(std::move(root), preferences / "com.norvane.crashreporter.plist", format);
}

}  // namespace

std::string bundleIdentifier(Edition edition)
{
    return edition == Edition::Scrivo ? "com.norvane.Scrivo.Pro" : "com.norvane.Glance";
}

std::string editionName(Edition edition) { return edition == Edition::Scrivo ? "Scrivo" : "Glance"; }

std::string flavourForVersion(const std::string& version)
{
    const auto dot = version.rfind('.');
    const std::string last = dot == std::string::npos ? version : version.substr(dot + 1);
    if (last.empty()) return "Trunk";
    if (last[0] == '1') return "Beta";
    if (last[0] == '2') return "QX";
    return "Trunk";
}

fs::path defaultExecutable() { return TARVIX_SAMPLE_EXECUTABLE; }

fs::path writeBundle(const fs::path& folder, Edition edition, const std::string& version, const fs::path& executable)
{
    const std::string name = editionName(edition);
    const fs::path bundle = folder / (name + ".app");
    fs::create_directories(bundle / "Contents" / "MacOS");

    PlistPtr info(plist_new_dict());
    plist_dict_set_item(raw(info), "CFBundleIdentifier", plist_new_string(bundleIdentifier(edition).c_str()));
    plist_dict_set_item(raw(info), "CFBundleShortVersionString", plist_new_string(version.c_str()));
    plist_dict_set_item(raw(info), "CFBundleExecutable", plist_new_string(name.c_str()));
    plist_dict_set_item(raw(info), "CFBundleName", plist_new_string(name.c_str()));
    detail::writePlist(std::move(info), bundle / "Contents" / "Info.plist", PlistFormat::Xml);

    const fs::path program = bundle / "Contents" / "MacOS" / name;
    std::error_code ignored;
    fs::remove(program, ignored);
    copyExecutable(executable, program);
    return bundle;
}

fs::path writePreferences(const fs::path& preferences, Edition edition, PlistFormat format, bool userLoggingEntry)
{
    PlistPtr root(plist_new_dict());
    plist_dict_set_item(raw(root), "NSWindow Frame Main", plist_new_string("0 0 1024 768"));
    plist_dict_set_item(raw(root), "SUEnableAutomaticChecks", plist_new_bool(1));
    for (const char* flavour : {"Trunk", "Beta", "QX"})
        plist_dict_set_item(raw(root), flavour, flavourDictionary(flavour, userLoggingEntry));
    plist_dict_set_item(raw(root), "LastLaunchVersion", plist_new_real(4.120000000000001));
    const fs::path file = preferences / (bundleIdentifier(edition) + ".plist");
    detail::writePlist(std::move(root), file, format);
    return file;
}

Layout install(const fs::path& root, const Options& options)
{
    Layout layout;
    layout.root = root;
    layout.home = root / "home";
    layout.library = layout.home / "Library";
    layout.preferences = layout.library / "Preferences";
    layout.applications = root / "Applications";
    layout.systemLog = root / "var" / "log";
    for (const fs::path& folder : {layout.preferences, layout.applications, layout.systemLog,
                                   layout.home / "Applications", root / "opt", layout.home / ".cache"})
        fs::create_directories(folder);

    struct Wanted {
        bool wanted;
        Edition edition;
        const std::string& version;
        fs::path& bundle;
    };
    for (const Wanted& item : {Wanted{options.scrivo, Edition::Scrivo, options.scrivoVersion, layout.scrivoBundle},
                               Wanted{options.glance, Edition::Glance, options.glanceVersion, layout.glanceBundle}}) {
        if (!item.wanted) continue;
        item.bundle = writeBundle(layout.applications, item.edition, item.version, options.executable);
        writePreferences(layout.preferences, item.edition, options.preferencesFormat, options.userLoggingEntry);
        writeTargetLogs(layout, item.edition, item.version);
    }
    writeCrashReporterPreferences(layout.preferences, options.preferencesFormat);
    detail::writeText(layout.preferences / "com.example.unrelated.plist", "not the target's\n");
    writeSharedLogs(layout);
    return layout;
}

}  // namespace tarvix::sample
