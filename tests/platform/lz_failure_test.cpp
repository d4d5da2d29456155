// SPDX-License-Identifier: GPL-3.0-or-later
// The LZ library's failures: each reported by its code, none of them costing
// the file that the destination names.
#include "tests/platform/lz_test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

using namespace crunchwise;
using namespace crunchwise::testing;

const std::string kPrevious = "the previous destination file";

// Each leaves the host's reason for LZLastError.
TEST(LzFailure, UnopenableSourceOrUncreatableDestinationGivesBadInHandle) {
    ScratchFolder folder;
    writeText(folder / "file", "x");
    fs::create_directory(folder / "folder");
    fs::create_symlink("loop", folder / "loop");
    OFSTRUCT record;
    EXPECT_EQ(LZOpenFileA((folder / "absent.tx_").string(), record, OF_READ), LZERROR_BADINHANDLE);
    EXPECT_EQ(LZLastError(), ENOENT);
    EXPECT_EQ(LZOpenFileA((folder / "folder").string(), record, OF_READ), LZERROR_BADINHANDLE);
    EXPECT_EQ(LZLastError(), EISDIR);
    EXPECT_EQ(LZOpenFileA((folder / "folder").string(), record, 0x0002), LZERROR_BADVALUE);
    EXPECT_EQ(LZOpenFileA((folder / "missing/a.txt").string(), record, OF_CREATE),
              LZERROR_BADINHANDLE);
    EXPECT_EQ(LZLastError(), ENOENT);
    const fs::path tooLong = folder / std::string(256, 'n');
    const fs::path withNul = folder.path().string() + std::string("/a\0b", 4);
    for (const fs::path& name : {folder / "file" / "a.txt", folder / "folder", fs::path(""),
                                 folder / "folder/", tooLong, withNul, folder / "loop"})
        EXPECT_EQ(LZOpenFileA(name.string(), record, OF_CREATE), LZERROR_BADINHANDLE) << name;
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"file", "folder", "loop"}));
    // The control: a name of the largest length can still be created.
    writeBytes(folder / "a.tx_", referenceWithTrueLength());
    EXPECT_EQ(expandFile(folder / "a.tx_", folder / std::string(255, 'n')), 20);
    EXPECT_EQ(LZLastError(), 0);
    EXPECT_EQ(readText(folder / std::string(255, 'n')), kReferenceText);
}

// A regular file in name whose every read fails: this process's memory at
// address 0. (An unknown method is LzFormats'.)
TEST(LzFailure, UnreadableSourceKeepsThePreviousFileOrLeavesNone) {
    ScratchFolder folder;
    writeText(folder / "old.txt", kPrevious);
    EXPECT_EQ(expandFile("/proc/self/mem", folder / "old.txt"), LZERROR_READ);
    EXPECT_EQ(expandFile("/proc/self/mem", folder / "new.txt"), LZERROR_READ);
    EXPECT_EQ(readText(folder / "old.txt"), kPrevious);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"old.txt"});
}

TEST(LzFailure, WriteFailureGivesWriteErrorAndKeepsThePreviousFile) {
    ScratchFolder folder;
    writeBytes(folder / "big.da_", compressed(testData(2000000)));
    writeText(folder / "big.dat", kPrevious);
    // Files may grow to 64 KiB only: a real EFBIG from write().
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limited{64 * 1024, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::int64_t result = expandFile(folder / "big.da_", folder / "big.dat");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, LZERROR_WRITE);
    EXPECT_EQ(readText(folder / "big.dat"), kPrevious);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"big.da_", "big.dat"}));
}

TEST(LzFailure, BadHandlesAreReportedAndTheDestinationKept) {
    ScratchFolder folder;
    writeBytes(folder / "a.tx_", referenceWithTrueLength());
    writeText(folder / "a.txt", kPrevious);
    OFSTRUCT record;
    const int in = LZOpenFileA((folder / "a.tx_").string(), record, OF_READ);
    const int out = LZOpenFileA((folder / "a.txt").string(), record, OF_CREATE);
    ASSERT_GE(in, 0);
    ASSERT_GE(out, 0);
    EXPECT_EQ(LZCopy(in, in), LZERROR_BADOUTHANDLE);
    EXPECT_EQ(LZCopy(in, 100000), LZERROR_BADOUTHANDLE);
    EXPECT_EQ(LZCopy(-1, out), LZERROR_BADINHANDLE); // as after a failed source open
    // The failed copy stays failed: the destination is not replaced later.
    EXPECT_EQ(LZCopy(in, out), LZERROR_BADOUTHANDLE);
    EXPECT_EQ(LZClose(in), 0);
    EXPECT_EQ(LZClose(out), 0);
    EXPECT_EQ(LZClose(12345), LZERROR_BADINHANDLE);
    EXPECT_EQ(readText(folder / "a.txt"), kPrevious);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"a.tx_", "a.txt"}));
}

// What happens at the destination while the copy runs is reported at the
// close: its folder removed, or a file that appeared at a new destination's
// name, which is not replaced.
TEST(LzFailure, ChangesAtTheDestinationBeforeCloseAreReported) {
    for (const bool folderRemoved : {true, false}) {
        ScratchFolder folder;
        writeBytes(folder / "a.tx_", referenceWithTrueLength());
        fs::create_directory(folder / "out");
        OFSTRUCT record;
        const int in = LZOpenFileA((folder / "a.tx_").string(), record, OF_READ);
        const int out = LZOpenFileA((folder / "out/a.txt").string(), record, OF_CREATE);
        ASSERT_EQ(LZCopy(in, out), 20);
        if (folderRemoved)
            fs::remove_all(folder / "out");
        else
            writeText(folder / "out/a.txt", kPrevious);
        EXPECT_EQ(LZClose(in), 0);
        EXPECT_EQ(LZClose(out), LZERROR_WRITE);
        if (!folderRemoved) {
            EXPECT_EQ(LZLastError(), EEXIST);
            EXPECT_EQ(readText(folder / "out/a.txt"), kPrevious);
            EXPECT_EQ(folder.entries(folder / "out"), std::vector<std::string>{"a.txt"});
        }
    }
}
