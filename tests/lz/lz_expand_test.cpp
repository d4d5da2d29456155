// SPDX-License-Identifier: GPL-3.0-or-later
// The LZ library on real files: opening, expanding, copying, closing.
#include "tests/lz/lz_test_files.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

using namespace crunchwise;
using namespace crunchwise::testing;

TEST(LzExpand, ExpandsTheReferenceFileWhoseLengthFieldIsWrong) {
    ScratchFolder folder;
    writeBytes(folder / "TESTFILE.TX_", kReferenceCompressed);
    EXPECT_EQ(expandFile(folder / "TESTFILE.TX_", folder / "TESTFILE.TXT"), 20);
    EXPECT_EQ(readText(folder / "TESTFILE.TXT"), kReferenceText);
}

TEST(LzExpand, ExpandsOwnCompressedFilesOfEverySize) {
    ScratchFolder folder;
    for (const std::size_t size : {0u, 1u, 15u, 4095u, 4096u, 4097u, 70000u, 1500000u}) {
        const Bytes data = testData(size, static_cast<unsigned>(size));
        writeBytes(folder / "in.bi_", compressed(data));
        EXPECT_EQ(expandFile(folder / "in.bi_", folder / "out.bin"),
                  static_cast<std::int64_t>(size));
        EXPECT_EQ(readBytes(folder / "out.bin"), data) << size << " bytes";
    }
}

TEST(LzExpand, CopiesFilesThatAreNotCompressedUnchanged) {
    ScratchFolder folder;
    const Bytes shortMagic = {0x53, 0x5a, 0x44, 0x44, 0x88, 0xf0, 0x27, 0x33, 0x41};
    for (const Bytes& data : {Bytes{}, Bytes{'x'}, shortMagic, testData(200000)}) {
        writeBytes(folder / "plain", data);
        EXPECT_EQ(expandFile(folder / "plain", folder / "copy"),
                  static_cast<std::int64_t>(data.size()));
        EXPECT_EQ(readBytes(folder / "copy"), data);
    }
}

TEST(LzExpand, GivesTheDestinationTheSourceModificationTime) {
    ScratchFolder folder;
    writeBytes(folder / "a.tx_", kReferenceCompressed);
    writeText(folder / "plain.txt", "plain");
    const auto then = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(folder / "a.tx_", then);
    fs::last_write_time(folder / "plain.txt", then - std::chrono::hours(1));
    ASSERT_EQ(expandFile(folder / "a.tx_", folder / "a.txt"), 20);
    ASSERT_EQ(expandFile(folder / "plain.txt", folder / "copy.txt"), 5);
    EXPECT_EQ(fs::last_write_time(folder / "a.txt"), then);
    EXPECT_EQ(fs::last_write_time(folder / "copy.txt"), then - std::chrono::hours(1));
}

TEST(LzExpand, ExpandsAFileOntoItself) {
    ScratchFolder folder;
    const Bytes data = testData(100000);
    writeBytes(folder / "same.dat", compressed(data));
    EXPECT_EQ(expandFile(folder / "same.dat", folder / "same.dat"), 100000);
    EXPECT_EQ(readBytes(folder / "same.dat"), data);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"same.dat"});
}

TEST(LzExpand, ReplacesAnExistingFileKeepingItsPermissions) {
    ScratchFolder folder;
    writeBytes(folder / "a.tx_", kReferenceCompressed);
    writeText(folder / "a.txt", std::string(100000, 'o'));
    fs::permissions(folder / "a.txt", fs::perms(0640));
    ASSERT_EQ(expandFile(folder / "a.tx_", folder / "a.txt"), 20);
    EXPECT_EQ(readText(folder / "a.txt"), kReferenceText);
    EXPECT_EQ(fs::status(folder / "a.txt").permissions(), fs::perms(0640));
}

TEST(LzExpand, WritesThroughASymbolicLinkAtTheDestination) {
    ScratchFolder folder;
    writeBytes(folder / "a.tx_", kReferenceCompressed);
    writeText(folder / "real.txt", "old");
    fs::create_symlink("real.txt", folder / "link.txt");
    ASSERT_EQ(expandFile(folder / "a.tx_", folder / "link.txt"), 20);
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
    EXPECT_EQ(readText(folder / "real.txt"), kReferenceText);
}

TEST(LzExpand, CreateWithoutCopyCreatesOrEmptiesTheFile) {
    ScratchFolder folder;
    writeText(folder / "full.txt", "contents");
    OFSTRUCT record;
    for (const char* name : {"new.txt", "full.txt"}) {
        const int handle = LZOpenFileA((folder / name).string(), record, OF_CREATE);
        ASSERT_GE(handle, 0);
        EXPECT_EQ(LZClose(handle), 0);
        EXPECT_TRUE(fs::is_regular_file(folder / name));
        EXPECT_EQ(fs::file_size(folder / name), 0u) << name;
    }
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"full.txt", "new.txt"}));
}

TEST(LzExpand, HandlesAreDistinctNonNegativeAndCloseOnlyOnce) {
    ScratchFolder folder;
    writeText(folder / "a", "a");
    OFSTRUCT record;
    std::set<int> handles;
    for (int i = 0; i < 20; ++i) {
        const int handle = LZOpenFileA((folder / "a").string(), record, OF_READ);
        ASSERT_GE(handle, 0);
        handles.insert(handle);
    }
    EXPECT_EQ(handles.size(), 20u);
    for (const int handle : handles) {
        EXPECT_EQ(LZClose(handle), 0);
        EXPECT_EQ(LZClose(handle), LZERROR_BADINHANDLE); // closed twice
    }
}

TEST(LzExpand, ExpandsFromSeveralThreadsAtOnce) {
    ScratchFolder folder;
    const Bytes data = testData(300000);
    writeBytes(folder / "in.da_", compressed(data));
    std::vector<std::thread> threads;
    std::vector<std::int64_t> results(8);
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&, i] {
            results[i] = expandFile(folder / "in.da_", folder / ("out" + std::to_string(i)));
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i], 300000);
        EXPECT_EQ(readBytes(folder / ("out" + std::to_string(i))), data);
    }
}
