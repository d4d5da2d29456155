// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for a test's real files, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>

namespace szdd_test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace szdd_test
