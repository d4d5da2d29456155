// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/short_path_name.h"

#include <filesystem>

namespace crunchwise {

std::string GetShortPathNameA(const std::string& longPath) {
    std::error_code error;
    if (longPath.empty() ||
        !std::filesystem::exists(std::filesystem::symlink_status(longPath, error)))
        return {};
    return longPath;
}

} // namespace crunchwise
