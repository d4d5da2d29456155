// SPDX-License-Identifier: GPL-3.0-or-later
// The three commands that the batch runner carries out.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace crunchwise::tools {

struct CommandOutcome {
    bool ok = true;
    std::string reason; // why, when not ok
};

// Finds compress.exe (letter case ignored; a regular, executable file) in
// `currentFolder`, then in each folder of `searchPath` (":"-separated).
// Returns nothing when there is none.
std::optional<std::filesystem::path> findCompressor(const std::filesystem::path& currentFolder,
                                                    const std::string& searchPath);

// compress SOURCE DEST: runs the compressor found by findCompressor (in the
// current folder and along PATH) directly, never through a shell, and waits
// for it. Fails when none is found, it cannot be started, or it fails.
CommandOutcome runCompress(const std::vector<std::string>& arguments);

// ren SOURCE NEWNAME: renames SOURCE within its folder. Fails for a missing
// SOURCE, a NEWNAME with a folder in it, or an existing file of that name,
// which is never replaced. Renaming to the same name succeeds unchanged.
CommandOutcome runRen(const std::vector<std::string>& arguments);

// del NAME: deletes one file. Fails for a missing file or a folder.
CommandOutcome runDel(const std::vector<std::string>& arguments);

} // namespace crunchwise::tools
