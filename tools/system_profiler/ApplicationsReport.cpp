#include "ApplicationsReport.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/Clock.h"

namespace tarvix::system_profiler {
namespace {

/// Keeps every value on its one line: the layout is read back by indentation.
std::string oneLine(const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return line;
}

std::string lowered(const std::string& text)
{
    std::string result = text;
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string dateTime(time_t when)
{
    return tarvix::platform::formatTime(when, "%Y-%m-%d %H:%M", tarvix::platform::TimeZone::local);
}

void field(std::ostream& out, const char* name, const std::string& value)
{
    out << "      " << name << ": " << oneLine(value) << '\n';
}

}  // namespace

void printApplications(std::ostream& out, std::vector<Application> applications)
{
    std::stable_sort(applications.begin(), applications.end(), [](const Application& a, const Application& b) {
        auto left = lowered(a.name), right = lowered(b.name);
        return left != right ? left < right : a.location < b.location;
    });

    out << "Applications:\n\n";
    for (const Application& application : applications) {
        out << "    " << oneLine(application.name) << ":\n\n";
        // A desktop entry's own Version key is that of the entry format, so its version is the
        // package's.
        auto version = application.version;
        if (!version && application.package) version = application.package->version;
        if (version) field(out, "Version", *version);
        field(out, "Obtained from", application.package ? "Debian package" : "Unknown");
        if (application.lastModified) field(out, "Last Modified", dateTime(*application.lastModified));
        field(out, "Kind", application.kind == Application::Kind::Bundle ? "Application bundle" : "Desktop entry");
        field(out, "Location", application.location.string());
        if (application.bundleIdentifier) field(out, "Bundle Identifier", *application.bundleIdentifier);
        if (application.command) field(out, "Command", *application.command);
        if (application.package)
            field(out, "Package", application.package->name + " (" + application.package->version + ")");
        out << '\n';
    }
}

}  // namespace tarvix::system_profiler
