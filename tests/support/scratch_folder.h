// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for a test's real files, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace crunchwise::testing {

namespace fs = std::filesystem;

class ScratchFolder {
public:
    ScratchFolder(); // throws std::runtime_error when none can be made
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const fs::path& name) const { return path_ / name; }

    // Names of the entries directly in `folder` (the scratch folder itself by
    // default), sorted, hidden ones included.
    std::vector<std::string> entries(const fs::path& folder = {}) const;

private:
    fs::path path_;
};

} // namespace crunchwise::testing
