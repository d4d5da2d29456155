// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compress_launch.h"

#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace crunchwise::commands {
namespace fs = std::filesystem;

namespace {

bool isCompressorName(const std::string& name) {
    static constexpr std::string_view kName = "compress.exe";
    if (name.size() != kName.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c) != kName[i])
            return false;
    }
    return true;
}

std::optional<fs::path> compressorIn(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (isCompressorName(it->path().filename().string()) && it->is_regular_file(error) &&
            ::access(it->path().c_str(), X_OK) == 0)
            return it->path();
    return std::nullopt;
}

} // namespace

bool pifPresent(const fs::path& programFolder) {
    std::error_code error;
    return fs::is_regular_file(programFolder / kPifFileName, error);
}

std::optional<fs::path> findCompressor(const fs::path& currentFolder, const fs::path& ownFolder,
                                       const std::string& searchPath) {
    if (auto found = compressorIn(currentFolder))
        return found;
    if (auto found = ownFolder.empty() ? std::nullopt : compressorIn(ownFolder))
        return found;
    std::string_view rest = searchPath;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        if (folder.empty())
            continue; // the current folder, searched already
        if (auto found = compressorIn(fs::path(folder)))
            return found;
    }
    return std::nullopt;
}

bool compressorPresent(const fs::path& programFolder) {
    const char* path = std::getenv("PATH");
    return findCompressor(programFolder, programFolder, path ? path : "").has_value();
}

} // namespace crunchwise::commands
