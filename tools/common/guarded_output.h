// SPDX-License-Identifier: GPL-3.0-or-later
// The output file of a command-line program, whose hidden temporary is
// removed when the program is interrupted (SIGINT, SIGTERM, SIGHUP) before
// the program ends by that signal as it would have.
#pragma once

#include "platform/replacing_file.h"

#include <filesystem>

namespace crunchwise::tools {

class GuardedOutput {
public:
    // Sets up the signal handlers once per process. SIGXFSZ is ignored, so
    // that a write past the file-size limit fails with EFBIG and is reported
    // instead of ending the program silently. Signals that the program was
    // started ignoring stay ignored.
    static void installHandlers();

    GuardedOutput() = default;
    ~GuardedOutput() { discard(); }
    GuardedOutput(const GuardedOutput&) = delete;
    GuardedOutput& operator=(const GuardedOutput&) = delete;

    // As ReplacingFile::open; at most one GuardedOutput is open at a time.
    int open(const std::filesystem::path& target,
             ReplacingFile::Links links = ReplacingFile::Links::follow);
    ReplacingFile& file() { return file_; }
    // As ReplacingFile::commit and discard.
    int commit();
    void discard();

private:
    ReplacingFile file_;
};

} // namespace crunchwise::tools
