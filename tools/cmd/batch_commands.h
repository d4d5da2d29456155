// SPDX-License-Identifier: GPL-3.0-or-later
// The three commands that the batch runner carries out.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace crunchwise::tools {

struct CommandOutcome {
    bool ok = true;
    std::string reason; // why, when not ok
};

// The folder of the running program; empty when it cannot be told.
std::filesystem::path ownProgramFolder();

// ren SOURCE NEWNAME: renames SOURCE within its folder. Fails for a missing
// SOURCE, a NEWNAME with a folder in it, or an existing file of that name,
// which is never replaced. Renaming to the same name succeeds unchanged.
CommandOutcome runRen(const std::vector<std::string>& arguments);

// del NAME: deletes one file. Fails for a missing file or a folder.
CommandOutcome runDel(const std::vector<std::string>& arguments);

} // namespace crunchwise::tools
