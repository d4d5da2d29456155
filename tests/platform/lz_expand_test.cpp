// SPDX-License-Identifier: GPL-3.0-or-later
// The LZ library on real files: opening, expanding, copying, closing.
#include "tests/platform/lz_test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

using namespace crunchwise;
using namespace crunchwise::testing;

TEST(LzExpand, ExpandsCompressedFilesAndCopiesOthersUnchanged) {
    const Bytes reference(kReferenceText.begin(), kReferenceText.end());
    std::vector<std::pair<Bytes, Bytes>> cases = {
        {referenceWithTrueLength(), reference},
        {{}, {}},
        {{'x'}, {'x'}},
        {testData(200000), testData(200000)},
    };
    for (const std::size_t size : {0u, 1u, 15u, 4095u, 4096u, 4097u, 70000u, 1500000u}) {
        const Bytes data = testData(size, static_cast<unsigned>(size));
        cases.emplace_back(compressed(data), data);
    }
    const Bytes data = testData(100000, 7);
    Bytes sz;
    ASSERT_EQ(szdd::compressSz(data, sz), szdd::Status::ok);
    cases.emplace_back(sz, data);
    for (int method = 0; method <= 4; ++method)
        cases.emplace_back(kwajOf(method, data), data);
    ScratchFolder folder;
    for (const auto& [file, expanded] : cases) {
        writeBytes(folder / "in", file);
        EXPECT_EQ(expandFile(folder / "in", folder / "out"),
                  static_cast<std::int64_t>(expanded.size()));
        EXPECT_TRUE(readBytes(folder / "out") == expanded) << expanded.size() << " bytes";
    }
}

TEST(LzExpand, ReplacesThroughALinkKeepingPermissionsWithTheSourceTime) {
    ScratchFolder folder;
    writeBytes(folder / "a.tx_", referenceWithTrueLength());
    const auto then = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(folder / "a.tx_", then);
    writeText(folder / "a.txt", std::string(100000, 'o'));
    fs::permissions(folder / "a.txt", fs::perms(0640));
    fs::create_symlink("a.txt", folder / "link.txt");
    ASSERT_EQ(expandFile(folder / "a.tx_", folder / "link.txt"), 20);
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
    EXPECT_EQ(readText(folder / "a.txt"), kReferenceText);
    EXPECT_EQ(fs::status(folder / "a.txt").permissions(), fs::perms(0640));
    EXPECT_EQ(fs::last_write_time(folder / "a.txt"), then);
}

TEST(LzExpand, ExpandsAFileOntoItself) {
    ScratchFolder folder;
    const Bytes data = testData(100000);
    writeBytes(folder / "same.dat", compressed(data));
    EXPECT_EQ(expandFile(folder / "same.dat", folder / "same.dat"), 100000);
    EXPECT_EQ(readBytes(folder / "same.dat"), data);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"same.dat"});
}

TEST(LzExpand, CreateWithoutCopyCreatesOrEmptiesAndHandlesCloseOnce) {
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
    // Handles are distinct, non-negative, and close only once.
    std::set<int> handles;
    for (int i = 0; i < 20; ++i) {
        const int handle = LZOpenFileA((folder / "new.txt").string(), record, OF_READ);
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
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i], 300000);
        EXPECT_EQ(readBytes(folder / ("out" + std::to_string(i))), data);
    }
}

// LZStop ends a copy running on another thread, and one started after it at
// once; the file at the destination stays as it was and no temporary is left.
TEST(LzExpand, StopEndsTheCopyAndKeepsTheDestination) {
    ScratchFolder folder;
    writeZeroStream(folder / "big.tx_", 20 * 1000 * 1000); // 480 MB expanded
    writeText(folder / "big.txt", "previous");
    for (const bool whileCopying : {false, true}) {
        OFSTRUCT record;
        const int in = LZOpenFileA((folder / "big.tx_").string(), record, OF_READ);
        const int out = LZOpenFileA((folder / "big.txt").string(), record, OF_CREATE);
        std::int64_t result = 0;
        if (!whileCopying)
            LZStop(out);
        std::thread copy([&] { result = LZCopy(in, out); });
        // Stops once the temporary beside the file has grown.
        while (whileCopying && [&] {
            for (const auto& entry : fs::directory_iterator(folder.path()))
                if (entry.path().filename().string().front() == '.' && entry.file_size() > 0)
                    return false;
            return true;
        }())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(LZStop(out), 0);
        copy.join();
        EXPECT_EQ(result, LZERROR_STOPPED);
        EXPECT_EQ(LZClose(in), 0);
        EXPECT_EQ(LZClose(out), 0);
        EXPECT_EQ(readText(folder / "big.txt"), "previous");
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"big.tx_", "big.txt"}));
    }
    EXPECT_EQ(LZStop(12345), LZERROR_BADOUTHANDLE);
}
