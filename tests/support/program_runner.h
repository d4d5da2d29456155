// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program the way a user's shell would: its own folder, environment,
// redirections, limits, and signals at their default actions.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

namespace crunchwise::testing {

// The unprivileged user "nobody", and its group, for permission tests as root.
inline constexpr uid_t kNobody = 65534;

struct RunOptions {
    std::filesystem::path workingFolder;         // current folder when empty
    std::map<std::string, std::string> env;      // variables to set or replace
    std::optional<std::filesystem::path> input;  // stdin from this file
    std::optional<std::filesystem::path> output; // stdout to this file
    std::optional<int> outputDescriptor;         // or to this open descriptor
    std::optional<std::filesystem::path> errors; // stderr to this file
    std::optional<rlim_t> fileSizeLimit;         // RLIMIT_FSIZE in bytes
    std::optional<uid_t> user;                   // run as this user and group id (needs root)
    std::optional<unsigned> timeLimitSeconds;    // then ended by SIGALRM
};

// Starts `program` with `arguments`. Returns its process id, or -1.
pid_t startProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const RunOptions& options = {});

// Waits for a started program. Returns its exit status, or minus the number
// of the signal that ended it, or -1000 when there is nothing to wait for.
int finishProgram(pid_t child);

// Starts `program` and waits for it, as finishProgram.
int runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const RunOptions& options = {});

} // namespace crunchwise::testing
