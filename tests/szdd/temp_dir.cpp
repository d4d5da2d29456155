// SPDX-License-Identifier: GPL-3.0-or-later
#include "temp_dir.h"

#include <stdexcept>
#include <unistd.h>

namespace szdd_test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "szdd-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace szdd_test
