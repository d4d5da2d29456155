// SPDX-License-Identifier: GPL-3.0-or-later
// The staged programs and a scratch folder to run them in.
#pragma once

#include "tests/support/file_contents.h"
#include "tests/support/program_runner.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

namespace crunchwise::testing {

inline const fs::path kProgramDir = CRUNCHWISE_PROGRAM_DIR;
inline const fs::path kCompress = kProgramDir / "compress.exe";
inline const fs::path kExpand = kProgramDir / "expand.exe";
inline const fs::path kBatchRunner = kProgramDir / "crunchws-cmd";

class ToolSession : public ::testing::Test {
protected:
    // Runs `program` in the scratch folder; stderr goes to `errors()`.
    int run(const fs::path& program, const std::vector<std::string>& arguments,
            RunOptions options = {}) {
        return runProgram(program, arguments, inFolder(std::move(options)));
    }
    pid_t start(const fs::path& program, const std::vector<std::string>& arguments,
                RunOptions options = {}) {
        return startProgram(program, arguments, inFolder(std::move(options)));
    }
    std::string errors() const { return readText(errorFile / "stderr"); }

    // True when both files have the same contents, by cmp.
    bool same(const fs::path& a, const fs::path& b) {
        return runProgram("/usr/bin/cmp", {"-s", a.string(), b.string()}) == 0;
    }

    ScratchFolder folder;
    ScratchFolder errorFile;

private:
    RunOptions inFolder(RunOptions options) const {
        if (options.workingFolder.empty())
            options.workingFolder = folder.path();
        options.errors = errorFile / "stderr";
        return options;
    }
};

} // namespace crunchwise::testing
