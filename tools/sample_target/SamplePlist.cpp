#include "SamplePlist.h"

#include <fstream>
#include <stdexcept>

namespace tarvix::sample::detail {

void writeText(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw std::runtime_error("sample: cannot write " + file.string());
}

void writePlist(PlistNode root, const std::filesystem::path& file, PlistFormat format)
{
    const auto bytes = encodePlist(PlistDocument{std::move(root), format == PlistFormat::Binary});
    if (!bytes) throw std::runtime_error("sample: cannot encode " + file.string());
    writeText(file, *bytes);
}

}  // namespace tarvix::sample::detail
