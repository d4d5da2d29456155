// SPDX-License-Identifier: GPL-3.0-or-later
// Where the batch file of a Compress run is written and run from. Qt-free.
//
// The program folder when the user owns it, nobody else may write to it and
// no batch lies there yet (one that does belongs to a run that has not
// ended); else a run folder of its own, made with mkdtemp under the first
// usable one of:
//   $XDG_RUNTIME_DIR/Crunchwise, $XDG_CACHE_HOME (~/.cache)/Crunchwise,
//   $TMPDIR (/tmp)/crunchwise-UID.
// Each of those, and the runtime and cache folders themselves, is used only
// when it is a real folder (not a link) of the user's own with mode 0700: a
// folder that someone else owns or may enter is passed over, never changed.
// The run folder is held open from its creation, and checked again before
// the batch runs, so that nobody can swap it for another.
#pragma once

#include "platform/posix_file.h"

#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace crunchwise::commands {

inline constexpr std::string_view kBatchFileName = "_tempcom.bat";

// The folders in which run folders are made, in order of preference: see
// above. The runtime and cache folders are checked here (the cache folder is
// created, mode 0700, when missing); the folders named are not.
std::vector<std::filesystem::path> batchFolderBases();

class BatchFile {
public:
    // Creates an empty batch file: in `programFolder` or in a new run folder
    // under the first usable one of `bases` (created with mode 0700 when
    // missing). Raises the host error (70 Permission denied, ...) when
    // there is no place at all.
    static BatchFile create(const std::filesystem::path& programFolder,
                            const std::vector<std::filesystem::path>& bases);

    BatchFile(BatchFile&&) noexcept = default;
    BatchFile& operator=(BatchFile&&) noexcept = default;
    ~BatchFile() { remove(); }

    const std::filesystem::path& file() const { return file_; }
    // The runner's current folder: the program folder or the run folder.
    const std::filesystem::path& folder() const { return folder_; }
    bool inRunFolder() const { return runFolder_; }

    // Writes `text` as the whole batch and closes the file. Raises the host
    // error on failure.
    void write(std::string_view text);

    // True when the folder is still the one the batch was made in (a real
    // folder of the user's own, not swapped) and the batch file is still in
    // it.
    bool inPlace() const;

    // Removes the batch file when it is still the one written here, then a
    // run folder of its own when it is empty. Never fails.
    void remove();

private:
    BatchFile() = default;
    bool folderInPlace() const;
    bool writtenFileThere() const;

    PosixFile folderHandle_;
    PosixFile batch_;
    struct stat written_ {};
    std::filesystem::path folder_;
    std::filesystem::path file_;
    bool runFolder_ = false;
};

// Removes the empty run folders that earlier runs left under `bases`
// (folders still holding a batch stay). Never fails.
void removeFinishedRunFolders(const std::vector<std::filesystem::path>& bases);

} // namespace crunchwise::commands
