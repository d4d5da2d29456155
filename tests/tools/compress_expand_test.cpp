// SPDX-License-Identifier: GPL-3.0-or-later
// compress.exe and expand.exe in a user's session: round trips, headers,
// naming. Files of msexpand and mscompress are checked on the codec.
#include "szdd/szdd.h"
#include "tests/tools/tool_session.h"

using namespace crunchwise::testing;

class CompressExpand : public ToolSession {};

// That msexpand reads what the codec writes is SzddPeers'.
TEST_F(CompressExpand, HeaderRecordsTheMissingCharacterAndLengthAndTheTimeIsKept) {
    constexpr std::size_t kMissingCharAt = 9;
    constexpr std::size_t kLengthAt = 10;
    writeBytes(folder / "setup.exe", testData(5000));
    const auto then = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(folder / "setup.exe", then);
    ASSERT_EQ(run(kCompress, {"setup.exe", "SETUP.EX_"}), 0) << errors();
    const Bytes file = readBytes(folder / "SETUP.EX_");
    ASSERT_GE(file.size(), szdd::kHeaderSize);
    EXPECT_TRUE(std::equal(std::begin(szdd::kMagic), std::end(szdd::kMagic), file.begin()));
    EXPECT_EQ(file[kMissingCharAt], 'e');
    EXPECT_EQ(file[kLengthAt] | file[kLengthAt + 1] << 8, 5000);
    ASSERT_EQ(run(kExpand, {"SETUP.EX_", "back.exe"}), 0) << errors();
    EXPECT_EQ(fs::last_write_time(folder / "SETUP.EX_"), then);
    EXPECT_EQ(fs::last_write_time(folder / "back.exe"), then);
}

TEST_F(CompressExpand, RenamingWritesBesideTheSourcesOrIntoTheFolderGivenLast) {
    for (const char* place : {"src", "packed", "out"})
        fs::create_directories(folder / place);
    writeBytes(folder / "src/LIB.DLL", testData(9000, 1));
    writeBytes(folder / "src/Read Me.txt", testData(700, 2));
    writeBytes(folder / "src/README", testData(70, 3));
    ASSERT_EQ(run(kCompress, {"-r", "src/Read Me.txt"}), 0) << errors();
    EXPECT_TRUE(fs::exists(folder / "src/Read Me.tx_"));
    ASSERT_EQ(run(kCompress, {"-r", "src/LIB.DLL", "src/Read Me.txt", "src/README", "packed"}), 0)
        << errors();
    EXPECT_EQ(folder.entries(folder / "packed"),
              (std::vector<std::string>{"LIB.DL_", "READM_", "Read Me.tx_"}));
    ASSERT_EQ(run(kExpand, {"-r", "packed/LIB.DL_", "packed/Read Me.tx_", "packed/READM_", "out"}),
              0)
        << errors();
    // README has no known suffix: its header's missing character brings it back.
    EXPECT_EQ(folder.entries(folder / "out"),
              (std::vector<std::string>{"LIB.DLL", "README", "Read Me.txt"}));
    EXPECT_TRUE(same(folder / "src/README", folder / "out/README"));
    ASSERT_EQ(run(kExpand, {"-r", "packed/LIB.DL_"}), 0) << errors();
    EXPECT_TRUE(same(folder / "src/LIB.DLL", folder / "packed/LIB.DLL"));
}

// As the file manager actions run them: an output that exists is kept and
// named, the other files are still done, and names starting with "-" are
// files after "--".
TEST_F(CompressExpand, NoClobberKeepsExistingOutputs) {
    writeBytes(folder / "-r.txt", testData(500, 4));
    writeBytes(folder / "a b.txt", testData(600, 5));
    writeText(folder / "a b.tx_", "mine");
    ASSERT_EQ(run(kCompress, {"-r", "-n", "--", "-r.txt", "a b.txt"}), 3) << errors();
    EXPECT_EQ(readText(folder / "a b.tx_"), "mine");
    EXPECT_NE(errors().find("a b.tx_: exists already; not replaced"), std::string::npos)
        << errors();
    fs::rename(folder / "-r.txt", folder / "-r.orig");
    ASSERT_EQ(run(kExpand, {"--no-clobber", "-r", "--", "-r.tx_"}), 0) << errors();
    EXPECT_TRUE(same(folder / "-r.orig", folder / "-r.txt"));
    ASSERT_EQ(run(kExpand, {"-n", "-r", "--", "-r.tx_"}), 3);
    EXPECT_TRUE(same(folder / "-r.orig", folder / "-r.txt"));
}

TEST_F(CompressExpand, RenamingReplacesTheLastWholeCharacter) {
    constexpr std::size_t kMissingCharAt = 9;
    // A UTF-8 name loses its whole last character; a name that is not UTF-8
    // its last byte, which the header then keeps.
    const std::pair<std::string, std::pair<std::string, int>> cases[] = {
        {"caf\xC3\xA9", {"caf_", 0}}, {"caf\xC3", {"caf_", 0xC3}}};
    for (const auto& [name, expected] : cases) {
        fs::create_directories(folder / "out");
        writeBytes(folder / name, testData(100));
        ASSERT_EQ(run(kCompress, {"-r", name, "out"}), 0) << errors();
        EXPECT_EQ(folder.entries(folder / "out"), std::vector<std::string>{expected.first});
        EXPECT_EQ(readBytes(folder / "out" / expected.first).at(kMissingCharAt), expected.second);
        fs::remove_all(folder / "out");
    }
}
