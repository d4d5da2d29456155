// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for a test's real files, removed with everything in it, names
// that are not UTF-8 included. Header-only, so that widget tests can use it
// without linking the rest of the test support.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace crunchwise::testing {

namespace fs = std::filesystem;

class ScratchFolder {
public:
    // Throws std::runtime_error when no folder can be made.
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "crunchwise-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const fs::path& name) const { return path_ / name; }

    // Names of the entries directly in `folder` (the scratch folder itself by
    // default), sorted, hidden ones included.
    std::vector<std::string> entries(const fs::path& folder = {}) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.empty() ? path_ : folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path path_;
};

} // namespace crunchwise::testing
