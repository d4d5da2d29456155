// SPDX-License-Identifier: GPL-3.0-or-later
// The batch writer against the batch runner's own reading of its lines, and
// where the batch file goes.
#include "commands/compress_batch.h"
#include "errors/runtime_error.h"
#include "tools/cmd/batch_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace crunchwise;
using namespace crunchwise::commands;
namespace fs = std::filesystem;

namespace {

class RoundTrip : public testing::TestWithParam<const char*> {};

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
    EXPECT_EQ(compress.arguments, (std::vector<std::string>{folder + name, destination + packed}));

    const tools::BatchLine ren = tools::parseBatchLine(lines.ren);
    ASSERT_EQ(ren.kind, tools::BatchLine::Kind::ren) << lines.ren;
    EXPECT_EQ(ren.arguments, (std::vector<std::string>{destination + packed, packed}));
}

INSTANTIATE_TEST_SUITE_P(Names, RoundTrip,
                         testing::Values("setup.exe", "Read Me.txt", "a&b.txt", "pipe|name",
                                         "less<more>.txt", "100%.txt", "%PATH%", "^caret",
                                         "tab\there", "@at", "semi;colon", "x"));

TEST(BatchWord, NamesNoQuotingCanCarryAreBadFileNames) {
    for (const char* name : {"quote\"name", "line\nbreak", "carriage\rreturn"}) {
        try {
            batchWord(name);
            ADD_FAILURE() << name;
        } catch (const RuntimeError& failure) {
            EXPECT_EQ(failure.number(), ErrorNumber::BadFileName);
        }
    }
}

TEST(BatchLines, AFileWithoutANameIsAnInvalidArgument) {
    for (const auto& [shortName, longName] : {std::pair{"", "a.txt"}, std::pair{"A.TXT", ""}}) {
        try {
            batchLinesFor("/src/", shortName, longName, "/out/");
            ADD_FAILURE() << shortName << longName;
        } catch (const RuntimeError& failure) {
            EXPECT_EQ(failure.number(), ErrorNumber::InvalidArgument);
        }
    }
}

class BatchPlaceTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/batch-place-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        program_ = root_ / "program";
        fs::create_directories(program_);
        own_ = root_ / "runtime" / "Crunchwise";
    }
    void TearDown() override {
        fs::permissions(program_, fs::perms::owner_all);
        fs::remove_all(root_);
    }
    fs::path root_, program_, own_;
};

TEST_F(BatchPlaceTest, ProgramFolderWhenFreeElseAFolderOfItsOwn) {
    const BatchPlace first = createBatchFile(program_, own_);
    EXPECT_EQ(first.file, program_ / "_tempcom.bat");
    EXPECT_EQ(first.folder, program_);
    writeBatchFile(first.file, "del _tempcom.bat\r\n");

    // A batch that has not finished keeps its file; the next one goes elsewhere.
    const BatchPlace second = createBatchFile(program_, own_);
    EXPECT_EQ(second.folder.parent_path(), own_);
    EXPECT_EQ(second.file, second.folder / "_tempcom.bat");
    EXPECT_EQ(fs::status(own_).permissions() & fs::perms::all, fs::perms::owner_all);
    std::ifstream kept(first.file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "del _tempcom.bat\r\n");

    // Once its batch has deleted itself, an emptied run folder is removed.
    const BatchPlace third = createBatchFile(program_, own_);
    fs::remove(second.file);
    removeFinishedRunFolders(own_);
    EXPECT_FALSE(fs::exists(second.folder));
    EXPECT_TRUE(fs::exists(third.file));
}

TEST_F(BatchPlaceTest, ReadOnlyProgramFolderUsesTheUsersOwnFolder) {
    fs::permissions(program_, fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    fs::create_directories(own_.parent_path());
    fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(own_.parent_path(), fs::perms::all);
    // The superuser writes anywhere: create files as an ordinary user.
    const bool asSuperuser = ::geteuid() == 0;
    if (asSuperuser)
        ::setfsuid(65534);
    BatchPlace place;
    bool created = true;
    try {
        place = createBatchFile(program_, own_);
    } catch (const RuntimeError& failure) {
        created = false;
        ADD_FAILURE() << failure.number();
    }
    if (asSuperuser)
        ::setfsuid(0);
    ASSERT_TRUE(created);
    EXPECT_EQ(place.folder.parent_path(), own_);
    EXPECT_FALSE(fs::exists(program_ / "_tempcom.bat"));
}

} // namespace
