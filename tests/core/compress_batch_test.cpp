// SPDX-License-Identifier: GPL-3.0-or-later
// The batch writer against the batch runner's own reading of its lines,
// where the batch file goes, and where the runner finds compress.exe.
#include "core/batch_file.h"
#include "core/compress_batch.h"
#include "core/compress_launch.h"
#include "failures/runtime_error.h"
#include "tests/support/failure_number.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"
#include "tools/cmd/batch_line.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <optional>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace crunchwise;
using namespace crunchwise::commands;
using crunchwise::commands::findCompressor;
using crunchwise::testing::readText;
using crunchwise::testing::ScratchFolder;
using crunchwise::testing::writeText;
namespace fs = std::filesystem;

namespace {

class RoundTrip : public ::testing::TestWithParam<const char*> {};

// Whatever the name, the runner reads back exactly the paths and names that
// were written, as a compress or ren line and nothing else.
TEST_P(RoundTrip, TheRunnerReadsBackTheSameNames) {
    const std::string name = GetParam();
    const std::string folder = "/src dir/";
    const std::string destination = "/out & more/";
    const BatchLines lines = batchLinesFor(folder, name, name, destination);

    const tools::BatchLine compress = tools::parseBatchLine(lines.compress);
    ASSERT_EQ(compress.kind, tools::BatchLine::Kind::compress) << lines.compress;
    const std::string packed = name.substr(0, name.size() - 1) + "_";
    EXPECT_EQ(compress.arguments,
              (std::vector<std::string>{"--no-follow", folder + name, destination + packed}));

    const tools::BatchLine ren = tools::parseBatchLine(lines.ren);
    ASSERT_EQ(ren.kind, tools::BatchLine::Kind::ren) << lines.ren;
    EXPECT_EQ(ren.arguments, (std::vector<std::string>{destination + packed, packed}));
}

INSTANTIATE_TEST_SUITE_P(Names, RoundTrip,
                         ::testing::Values("setup.exe", "Read Me.txt", "a&b.txt", "pipe|name",
                                           "less<more>.txt", "100%.txt", "%PATH%", "^caret",
                                           "tab\there", "@at", "semi;colon", "x"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param; // "a&b.txt" is a_b_txt
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(BatchWord, NamesNoQuotingCanCarryAreBadFileNames) {
    for (const char* name : {"quote\"name", "line\nbreak", "carriage\rreturn"})
        EXPECT_EQ(failureNumber([&] { batchWord(name); }), ErrorNumber::BadName) << name;
}

TEST(BatchLines, AFileWithoutANameIsAnInvalidArgument) {
    for (const auto& [shortName, longName] : {std::pair{"", "a.txt"}, std::pair{"A.TXT", ""}})
        EXPECT_EQ(failureNumber([&] { batchLinesFor("/src/", shortName, longName, "/out/"); }),
                  ErrorNumber::InvalidArgument)
            << shortName << longName;
}

TEST(SplitIntoBatches, EveryBatchFitsTheLimitAndKeepsEachFilesLinesTogether) {
    std::vector<BatchLines> files;
    for (int i = 0; i < 500; ++i)
        files.push_back(batchLinesFor("/src/", std::string(200, 'a') + std::to_string(i),
                                      std::string(200, 'a') + std::to_string(i), "/out/"));
    const std::vector<Batch> batches = splitIntoBatches(files, 64 * 1024);
    ASSERT_GT(batches.size(), 2u);
    std::size_t next = 0;
    for (const Batch& batch : batches) {
        EXPECT_LT(batch.text.size(), 64u * 1024);
        EXPECT_EQ(batch.first, next);
        const auto lines = tools::splitBatchLines(batch.text);
        ASSERT_EQ(lines.size(), 2 * batch.count + 1);
        EXPECT_EQ(lines[0], files[batch.first].compress);
        EXPECT_EQ(lines[batch.count], files[batch.first].ren);
        EXPECT_EQ(lines.back(), "del _tempcom.bat");
        next += batch.count;
    }
    EXPECT_EQ(next, files.size());
}

class BatchFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(program_);
        fs::create_directories(root_ / "runtime");
        fs::permissions(root_ / "runtime", fs::perms::owner_all);
    }
    ScratchFolder scratch_;
    const fs::path root_ = scratch_.path();
    const fs::path program_ = root_ / "program";
    const fs::path own_ = root_ / "runtime" / "Crunchwise";
};

TEST_F(BatchFileTest, ProgramFolderWhenFreeElseAFolderOfItsOwnRemovedAfterTheRun) {
    BatchFile first = BatchFile::create(program_, {own_});
    EXPECT_EQ(first.file(), program_ / "_tempcom.bat");
    EXPECT_FALSE(first.inRunFolder());
    first.write("del _tempcom.bat\r\n");
    EXPECT_TRUE(first.inPlace());

    // A batch that has not ended keeps its file; the next one goes elsewhere.
    BatchFile second = BatchFile::create(program_, {own_});
    EXPECT_EQ(second.folder().parent_path(), own_);
    EXPECT_EQ(second.file(), second.folder() / "_tempcom.bat");
    EXPECT_EQ(fs::status(own_).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(second.folder()).permissions() & fs::perms::all, fs::perms::owner_all);
    second.write("x");
    EXPECT_EQ(readText(first.file()), "del _tempcom.bat\r\n");

    // Once the runner has exited, each batch goes, and so does its run folder.
    const fs::path runFolder = second.folder();
    second.remove();
    first.remove();
    EXPECT_FALSE(fs::exists(runFolder));
    EXPECT_FALSE(fs::exists(program_ / "_tempcom.bat"));
    EXPECT_TRUE(fs::exists(own_));
}

TEST_F(BatchFileTest, ReadOnlyProgramFolderUsesTheUsersOwnFolder) {
    fs::permissions(program_, fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    // The superuser writes anywhere: create files as an ordinary user.
    const bool asSuperuser = ::geteuid() == 0;
    if (asSuperuser) {
        fs::permissions(root_, fs::perms(0711));
        ::chown((root_ / "runtime").c_str(), 65534, 65534);
        ::setfsuid(65534);
        ::setresuid(-1, 65534, 0); // geteuid() is the owner that the checks expect
    }
    std::optional<BatchFile> batch;
    const int failed = failureNumber([&] { batch.emplace(BatchFile::create(program_, {own_})); });
    const bool inOwnFolder = batch && batch->folder().parent_path() == own_;
    batch.reset();
    if (asSuperuser) {
        ::setresuid(-1, 0, 0);
        ::setfsuid(0);
    }
    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(inOwnFolder);
    EXPECT_FALSE(fs::exists(program_ / "_tempcom.bat"));
}

// A folder that someone else owns, that others may enter, or that is a
// link is passed over and left as it was; the next place is used.
TEST_F(BatchFileTest, ForeignOpenOrLinkedFoldersArePassedOverUnchanged) {
    fs::permissions(program_, fs::perms::owner_read | fs::perms::owner_exec);
    const fs::path open = root_ / "runtime" / "open";
    fs::create_directory(open);
    fs::permissions(open, fs::perms(0755));
    const fs::path linked = root_ / "runtime" / "linked";
    fs::create_directory_symlink(own_.parent_path(), linked);
    std::vector<fs::path> bases{open, linked};
    const fs::path foreign = root_ / "runtime" / "foreign";
    if (::geteuid() == 0) {
        fs::create_directory(foreign);
        fs::permissions(foreign, fs::perms::owner_all);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        bases.insert(bases.begin(), foreign);
    }
    bases.push_back(own_);
    BatchFile batch = BatchFile::create(::geteuid() == 0 ? root_ / "none" : program_, bases);
    EXPECT_EQ(batch.folder().parent_path(), own_);
    EXPECT_EQ(fs::status(open).permissions() & fs::perms::all, fs::perms(0755));
    EXPECT_TRUE(fs::is_empty(open));
    if (::geteuid() == 0) {
        EXPECT_TRUE(fs::is_empty(foreign));
        EXPECT_EQ(fs::status(foreign).permissions() & fs::perms::all, fs::perms::owner_all);
    }
    // With no usable place at all: Permission denied, not a crash.
    EXPECT_EQ(failureNumber([&] {
                  BatchFile::create(root_ / "none", {open, linked});
              }),
              ErrorNumber::PermissionDenied);
}

// A run folder swapped for another after it was made is noticed, and what
// lies in the impostor is never removed.
TEST_F(BatchFileTest, ASwappedRunFolderIsNotInPlace) {
    fs::permissions(program_, fs::perms::owner_read | fs::perms::owner_exec);
    BatchFile batch = BatchFile::create(program_, {own_});
    batch.write("del _tempcom.bat\r\n");
    ASSERT_TRUE(batch.inPlace());
    fs::rename(batch.folder(), root_ / "moved");
    fs::create_directory(batch.folder());
    fs::permissions(batch.folder(), fs::perms::owner_all);
    { std::ofstream(batch.folder() / "_tempcom.bat") << "theirs"; }
    EXPECT_FALSE(batch.inPlace());
    batch.remove();
    EXPECT_EQ(readText(batch.folder() / "_tempcom.bat"), "theirs");
}

TEST(BatchFolderBases, RuntimeFolderOnlyWhenPrivateThenCacheThenTemporaryFolder) {
    const ScratchFolder scratch;
    const fs::path& root = scratch.path();
    const std::optional<std::string> tmp =
        std::getenv("TMPDIR") ? std::optional<std::string>(std::getenv("TMPDIR")) : std::nullopt;
    fs::create_directories(root / "runtime");
    fs::create_directories(root / "cache");
    fs::permissions(root / "cache", fs::perms::owner_all);
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    ::setenv("TMPDIR", root.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    const std::string user = "crunchwise-" + std::to_string(::geteuid());
    fs::permissions(root / "runtime", fs::perms(0755));
    EXPECT_EQ(batchFolderBases(), (std::vector<fs::path>{root / "cache/Crunchwise", root / user}));
    fs::permissions(root / "runtime", fs::perms::owner_all);
    EXPECT_EQ(batchFolderBases(), (std::vector<fs::path>{root / "runtime/Crunchwise",
                                                         root / "cache/Crunchwise", root / user}));
    // The later tests of this program make their folders in the old one.
    tmp ? ::setenv("TMPDIR", tmp->c_str(), 1) : ::unsetenv("TMPDIR");
}

void makeProgram(const fs::path& file, bool executable = true) {
    fs::create_directories(file.parent_path());
    writeText(file, "#!/bin/sh\n");
    fs::permissions(file, executable ? fs::perms(0755) : fs::perms(0644));
}

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

} // namespace
