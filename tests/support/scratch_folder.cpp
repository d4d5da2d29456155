// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace crunchwise::testing {

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "crunchwise-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
}

std::vector<std::string> ScratchFolder::entries(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? path_ : folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace crunchwise::testing
