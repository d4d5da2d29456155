// SPDX-License-Identifier: GPL-3.0-or-later
// Where the batch runner finds compress.exe.
#include "core/compress_launch.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

using namespace crunchwise::testing;
using crunchwise::commands::findCompressor;

namespace {

void makeProgram(const fs::path& file, bool executable = true) {
    fs::create_directories(file.parent_path());
    writeText(file, "#!/bin/sh\n");
    fs::permissions(file, executable ? fs::perms(0755) : fs::perms(0644));
}

} // namespace

TEST(FindCompressor, CurrentFolderThenOwnFolderThenPathInOrderSkippingWhatCannotRun) {
    ScratchFolder folder;
    makeProgram(folder / "current/Compress.Exe");
    makeProgram(folder / "own:folder/compress.exe");
    makeProgram(folder / "one/compress.exe");
    makeProgram(folder / "two/COMPRESS.EXE");
    const fs::path own = folder / "own:folder";
    const std::string path = (folder / "one").string() + ":" + (folder / "two").string();
    EXPECT_EQ(findCompressor(folder / "current", own, path), folder / "current/Compress.Exe");
    EXPECT_EQ(findCompressor(folder / "none", own, path), own / "compress.exe");
    EXPECT_EQ(findCompressor(folder / "none", folder / "none", path), folder / "one/compress.exe");
    EXPECT_EQ(findCompressor(folder / "none", "", "::" + (folder / "two").string()),
              folder / "two/COMPRESS.EXE");
    // Folders, files not executable and other names are skipped.
    fs::create_directories(folder / "a/compress.exe");
    makeProgram(folder / "b/compress.exe", false);
    makeProgram(folder / "c/compress");
    makeProgram(folder / "c/compress.exe.bak");
    makeProgram(folder / "d/compress.EXE");
    EXPECT_EQ(findCompressor(folder / "a", folder / "b",
                             (folder / "c").string() + ":" + (folder / "d").string()),
              folder / "d/compress.EXE");
    EXPECT_EQ(findCompressor(folder / "a", folder / "b", (folder / "c").string()), std::nullopt);
    EXPECT_EQ(findCompressor(folder / "a", "", ""), std::nullopt);
}
