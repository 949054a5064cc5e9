#include <fstream>
#include <stdexcept>

#include "SamplePlist.h"

namespace tarvix::sample::detail {

void writeText(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw std::runtime_error("sample: cannot write " + file.string());
}

void writePlist(plist_t root, const std::filesystem::path& file, PlistFormat format)
{
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == PlistFormat::Binary)
        plist_to_bin(root, &bytes, &length);
    else
        plist_to_xml(root, &bytes, &length);
    if (!bytes) throw std::runtime_error("sample: cannot encode " + file.string());
    std::string text(bytes, length);
    if (format == PlistFormat::Binary)
        plist_to_bin_free(bytes);
    else
        plist_to_xml_free(bytes);
    writeText(file, text);
}

}  // namespace tarvix::sample::detail
