// SPDX-License-Identifier: GPL-3.0-or-later
// compress.exe and expand.exe in a user's session: round trips, headers,
// naming. Files of msexpand and mscompress are checked on the codec.
#include "tests/tools/tool_session.h"

using namespace crunchwise::testing;

class CompressExpand : public ToolSession {};

// The header's fields are the codec's (FormatRoundTrip), the name rule
// core's (CompressedNameTest); README below comes back by its missing character.
TEST_F(CompressExpand, BothToolsKeepTheSourcesTime) {
    writeBytes(folder / "setup.exe", testData(5000));
    const auto then = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(folder / "setup.exe", then);
    ASSERT_EQ(run(kCompress, {"setup.exe", "SETUP.EX_"}), 0) << errors();
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
