// SPDX-License-Identifier: GPL-3.0-or-later
// compress.exe and expand.exe in a user's session: round trips, interchange
// with msexpand, naming.
#include "szdd/szdd.h"
#include "tests/tools/tool_session.h"

using namespace crunchwise::testing;

namespace {

const std::size_t kSizes[] = {0, 1, 15, 16, 4095, 4096, 4097, 3 * 1024 * 1024 + 7};

} // namespace

class CompressExpand : public ToolSession {};

TEST_F(CompressExpand, RoundTripsEverySizeByteForByte) {
    for (const std::size_t size : kSizes) {
        SCOPED_TRACE(size);
        writeBytes(folder / "data.bin", testData(size, static_cast<unsigned>(size) + 3));
        ASSERT_EQ(run(kCompress, {"data.bin", "data.bi_"}), 0) << errors();
        ASSERT_EQ(run(kExpand, {"data.bi_", "back.bin"}), 0) << errors();
        EXPECT_TRUE(same(folder / "data.bin", folder / "back.bin"));
    }
}

TEST_F(CompressExpand, CompressedFilesExpandIdenticallyWithMsexpand) {
    for (const std::size_t size : kSizes) {
        SCOPED_TRACE(size);
        writeBytes(folder / "data.bin", testData(size, static_cast<unsigned>(size) + 5));
        ASSERT_EQ(run(kCompress, {"data.bin", "data.bi_"}), 0) << errors();
        RunOptions redirect;
        redirect.input = folder / "data.bi_";
        redirect.output = folder / "peer.bin";
        ASSERT_EQ(run("/usr/bin/msexpand", {}, redirect), 0);
        EXPECT_TRUE(same(folder / "data.bin", folder / "peer.bin"));
    }
}

TEST_F(CompressExpand, ExpandsFilesOfThePeerCompressor) {
    // mscompress garbles inputs under 16 bytes, so those are left out.
    for (const std::size_t size : {16u, 4095u, 4096u, 4097u, 300000u}) {
        SCOPED_TRACE(size);
        writeBytes(folder / "data.bin", testData(size, static_cast<unsigned>(size) + 9));
        ASSERT_EQ(run("/usr/bin/mscompress", {"data.bin"}), 0);
        ASSERT_EQ(run(kExpand, {"data.bin_", "back.bin"}), 0) << errors();
        EXPECT_TRUE(same(folder / "data.bin", folder / "back.bin"));
        fs::remove(folder / "data.bin_");
    }
}

TEST_F(CompressExpand, HeaderRecordsTheMissingCharacterAndTheLength) {
    writeBytes(folder / "setup.exe", testData(5000));
    ASSERT_EQ(run(kCompress, {"setup.exe", "SETUP.EX_"}), 0) << errors();
    const Bytes file = readBytes(folder / "SETUP.EX_");
    ASSERT_GE(file.size(), szdd::kHeaderSize);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 8),
              Bytes(std::begin(szdd::kMagic), std::end(szdd::kMagic)));
    EXPECT_EQ(file[8], 'A');
    EXPECT_EQ(file[9], 'e');
    EXPECT_EQ(file[10] | file[11] << 8 | file[12] << 16 | file[13] << 24, 5000);
}

TEST_F(CompressExpand, CompressKeepsTheSourceModificationTime) {
    writeText(folder / "a.txt", "some text some text some text");
    const fs::file_time_type then = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(folder / "a.txt", then);
    ASSERT_EQ(run(kCompress, {"a.txt", "a.tx_"}), 0) << errors();
    ASSERT_EQ(run(kExpand, {"a.tx_", "b.txt"}), 0) << errors();
    EXPECT_EQ(fs::last_write_time(folder / "a.tx_"), then);
    EXPECT_EQ(fs::last_write_time(folder / "b.txt"), then);
}

TEST_F(CompressExpand, CompressRenamingWritesBesideEachSource) {
    fs::create_directory(folder / "src");
    writeBytes(folder / "src/SETUP.EXE", testData(3000, 1));
    writeBytes(folder / "src/Read Me.txt", testData(200, 2));
    ASSERT_EQ(run(kCompress, {"-r", "src/SETUP.EXE", "src/Read Me.txt"}), 0) << errors();
    EXPECT_EQ(folder.entries(folder / "src"),
              (std::vector<std::string>{"Read Me.tx_", "Read Me.txt", "SETUP.EXE", "SETUP.EX_"}));
    EXPECT_EQ(readBytes(folder / "src/SETUP.EX_")[9], 'E');
}

TEST_F(CompressExpand, RenamingIntoAFolderGivenLastThenExpandingByTheNameRule) {
    fs::create_directories(folder / "src");
    fs::create_directories(folder / "packed");
    fs::create_directories(folder / "out");
    writeBytes(folder / "src/LIB.DLL", testData(9000, 1));
    writeBytes(folder / "src/index.html", testData(700, 2));
    writeBytes(folder / "src/README", testData(70, 3));
    ASSERT_EQ(run(kCompress, {"-r", "src/LIB.DLL", "src/index.html", "src/README", "packed"}), 0)
        << errors();
    EXPECT_EQ(folder.entries(folder / "packed"),
              (std::vector<std::string>{"LIB.DL_", "READM_", "index.htm_"}));
    ASSERT_EQ(run(kExpand, {"-r", "packed/LIB.DL_", "packed/index.htm_", "packed/READM_", "out"}),
              0)
        << errors();
    // README has no known suffix, so it comes back as READM$.
    EXPECT_EQ(folder.entries(folder / "out"),
              (std::vector<std::string>{"LIB.DLL", "READM$", "index.html"}));
    EXPECT_TRUE(same(folder / "src/LIB.DLL", folder / "out/LIB.DLL"));
    EXPECT_TRUE(same(folder / "src/index.html", folder / "out/index.html"));
    EXPECT_TRUE(same(folder / "src/README", folder / "out/READM$"));
}

TEST_F(CompressExpand, ExpandRenamingWritesBesideTheSource) {
    writeBytes(folder / "Setup.Ex_", {});
    writeBytes(folder / "plain.exe", testData(100));
    ASSERT_EQ(run(kCompress, {"plain.exe", "Setup.Ex_"}), 0) << errors();
    ASSERT_EQ(run(kExpand, {"-r", "Setup.Ex_"}), 0) << errors();
    EXPECT_TRUE(same(folder / "plain.exe", folder / "Setup.ExE"));
}

TEST_F(CompressExpand, ExpandCopiesAFileThatIsNotCompressed) {
    writeText(folder / "notes.txt", "not compressed at all");
    ASSERT_EQ(run(kExpand, {"notes.txt", "copy.txt"}), 0) << errors();
    EXPECT_TRUE(same(folder / "notes.txt", folder / "copy.txt"));
}

TEST_F(CompressExpand, ReplacesAnExistingDestination) {
    writeBytes(folder / "a.bin", testData(10000, 1));
    writeText(folder / "a.bi_", "old");
    writeText(folder / "b.bin", "old");
    ASSERT_EQ(run(kCompress, {"a.bin", "a.bi_"}), 0) << errors();
    ASSERT_EQ(run(kExpand, {"a.bi_", "b.bin"}), 0) << errors();
    EXPECT_TRUE(same(folder / "a.bin", folder / "b.bin"));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"a.bi_", "a.bin", "b.bin"}));
}

TEST_F(CompressExpand, HelpAndVersion) {
    RunOptions options;
    options.output = errorFile / "stdout";
    EXPECT_EQ(run(kCompress, {"--help"}, options), 0);
    EXPECT_NE(readText(errorFile / "stdout").find("Usage: compress.exe SOURCE DEST"),
              std::string::npos);
    EXPECT_EQ(run(kExpand, {"-h"}, options), 0);
    EXPECT_NE(readText(errorFile / "stdout").find("Usage: expand.exe SOURCE DEST"),
              std::string::npos);
    EXPECT_EQ(run(kExpand, {"--version"}, options), 0);
    EXPECT_EQ(readText(errorFile / "stdout"), "expand.exe (Crunchwise) 1.61\n");
}
