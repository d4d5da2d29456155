// SPDX-License-Identifier: GPL-3.0-or-later
// compress.exe and expand.exe in a user's session: naming, times and
// no-clobber; and when things go wrong, the right exit code and message, the
// source never overwritten, no half-written destination.
#include "tests/support/szdd_file.h"
#include "tests/tools/tool_session.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

const std::string kPrevious = "previous destination";

class ToolFailure : public ToolSession {};

TEST_F(ToolFailure, WrongArgumentsExitWithOne) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"one"}, {"a", "b", "c"}, {"-x", "a", "b"}, {"-r"}}) {
        EXPECT_EQ(run(kCompress, arguments), 1);
        EXPECT_EQ(run(kExpand, arguments), 1);
    }
    EXPECT_NE(errors().find("expand.exe: -r needs at least one file"), std::string::npos);
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"--format=zip", "a", "b"}, "unknown format 'zip' (szdd, sz or kwaj)"},
        {{"--format=kwaj", "--method=5", "a", "b"}, "unknown method '5' (0 to 4)"},
        {{"--method=3", "a", "b"}, "--method needs --format=kwaj"},
        {{"-r", "-"}, "-r cannot name the output of standard input"},
    };
    for (const auto& [arguments, reason] : rows) {
        EXPECT_EQ(run(kCompress, arguments), 1);
        EXPECT_EQ(errors().rfind("compress.exe: " + reason + "\n", 0), 0u) << errors();
    }
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"-l"}, {"-l", "-t", "a"}, {"-t", "-", "-"}, {"-l", "-r", "a"}, {"--format=sz"}})
        EXPECT_EQ(run(kExpand, arguments), 1) << arguments[0];
}

TEST_F(ToolFailure, RefusesToWriteOverTheSourceUnderAnySpelling) {
    const Bytes data = testData(5000);
    fs::create_directory(folder / "sub");
    writeBytes(folder / "data.bin", data);
    fs::create_hard_link(folder / "data.bin", folder / "hard.bin");
    fs::create_symlink("data.bin", folder / "soft.bin");
    for (const std::string& destination :
         std::vector<std::string>{"data.bin", "./data.bin", "sub/../data.bin",
                                  (folder / "data.bin").string(), "hard.bin", "soft.bin"}) {
        EXPECT_EQ(run(kCompress, {"data.bin", destination}), 4) << destination;
        EXPECT_EQ(run(kExpand, {"data.bin", destination}), 4) << destination;
    }
    EXPECT_EQ(readBytes(folder / "data.bin"), data);
    EXPECT_NE(errors().find("expand.exe: soft.bin: is the source file"), std::string::npos);
    // -r of a name that already ends in "_" would name the source itself.
    writeText(folder / "x.tx_", "x");
    EXPECT_EQ(run(kCompress, {"-r", "x.tx_"}), 4);
    EXPECT_EQ(readText(folder / "x.tx_"), "x");
}

TEST_F(ToolFailure, EachFailureHasItsExitCodeAndReasonAndWritesNothing) {
    constexpr std::uint64_t kFourGibibytes = 0x100000000ull;
    writeBytes(folder / "a.bin", testData(20000));
    ASSERT_EQ(run(kCompress, {"a.bin", "a.bi_"}), 0) << errors();
    Bytes otherMethod = readBytes(folder / "a.bi_");
    otherMethod[kMethodOffset] = 'Q';
    writeBytes(folder / "q.bi_", otherMethod);
    writeBytes(folder / "cut.bi_", cutInsideMatch());
    { std::ofstream create(folder / "huge.bin"); } // sparse: only the size is looked at
    fs::resize_file(folder / "huge.bin", kFourGibibytes);
    fs::create_directory(folder / "adir");
    fs::create_symlink("loop", folder / "loop");
    fs::create_symlink("missing/a.txt", folder / "dangling");
    writeText(folder / "out.bin", kPrevious);
    const std::vector<std::string> before = folder.entries();
    const std::string tooLong(300, 'n');
    struct Case {
        fs::path program;
        std::string source, destination;
        int code;
        std::string reason; // "PROGRAM: " before it, a line end after it
    };
    const Case cases[] = {
        {kCompress, "missing.bin", "out.bin", 2, "missing.bin: No such file or directory"},
        {kExpand, "adir", "out.bin", 2, "adir: not a regular file"},
        {kCompress, "a.bin", "nowhere/a.bi_", 3, "nowhere/a.bi_: folder nowhere does not exist"},
        {kExpand, "a.bi_", "a.bin/x", 3, "a.bin/x: a.bin is not a folder"},
        {kCompress, "a.bin", "adir", 3, "adir: Is a directory"},
        {kCompress, "huge.bin", "out.bin", 5, "huge.bin: larger than 4 GiB - 1 bytes"},
        {kExpand, "cut.bi_", "out.bin", 6,
         "cut.bi_: compressed data cut short: expanded 0 bytes, the header says 1; out.bin not "
         "replaced"},
        {kExpand, "q.bi_", "out.bin", 6, "q.bi_: unknown compression method"},
        // Both tools give the host's reason for the same failure.
        {kCompress, "a.bin", tooLong, 3, tooLong + ": File name too long"},
        {kExpand, "a.bi_", tooLong, 3, tooLong + ": File name too long"},
        {kCompress, "a.bin", "loop", 3, "loop: Too many levels of symbolic links"},
        {kExpand, "a.bi_", "loop", 3, "loop: Too many levels of symbolic links"},
        {kCompress, "a.bin", "dangling", 3,
         "dangling: symbolic link to a missing file; not followed"},
        {kExpand, "a.bi_", "dangling", 3,
         "dangling: symbolic link to a missing file; not followed"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.program, {c.source, c.destination}), c.code) << c.reason;
        EXPECT_EQ(errors(), c.program.filename().string() + ": " + c.reason + "\n");
    }
    EXPECT_EQ(readText(folder / "out.bin"), kPrevious);
    EXPECT_EQ(folder.entries(), before);
    EXPECT_TRUE(fs::is_empty(folder / "adir"));
    EXPECT_TRUE(fs::is_symlink(folder / "loop"));
}

TEST_F(ToolFailure, WriteFailureMidwayLeavesThePreviousDestination) {
    writeBytes(folder / "big.bin", testData(3 * 1024 * 1024));
    writeText(folder / "big.bi_", kPrevious);
    RunOptions limited;
    // Writes past 256 KiB raise SIGXFSZ, whose default action ends the
    // program; the tools ignore it and report the EFBIG of the write.
    limited.fileSizeLimit = 256 * 1024;
    EXPECT_EQ(run(kCompress, {"big.bin", "big.bi_"}, limited), 3);
    EXPECT_EQ(errors(), "compress.exe: big.bi_: File too large\n");
    EXPECT_EQ(readText(folder / "big.bi_"), kPrevious);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"big.bi_", "big.bin"}));
}

TEST_F(ToolFailure, PermissionsAreHonouredForAnOrdinaryUser) {
    // Permission checks do not bind root: run the programs as "nobody".
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to switch users";
    }
    fs::permissions(folder.path(), fs::perms(0755));
    fs::permissions(errorFile.path(), fs::perms(0777));
    fs::create_directory(folder / "locked");
    fs::create_directory(folder / "open");
    fs::permissions(folder / "locked", fs::perms(0555));
    fs::permissions(folder / "open", fs::perms(0777));
    writeBytes(folder / "a.bin", testData(1000));
    writeText(folder / "open/kept.bi_", kPrevious);
    fs::permissions(folder / "open/kept.bi_", fs::perms(0444));
    writeText(folder / "secret.bin", "secret");
    fs::permissions(folder / "secret.bin", fs::perms(0600));
    RunOptions nobody;
    nobody.user = kNobody;
    // Copies nobody can run: the build folder may be closed to it (a clone under /root).
    const fs::path compress = folder / "compress.exe";
    const fs::path expand = folder / "expand.exe";
    fs::copy_file(kCompress, compress);
    fs::copy_file(kExpand, expand);

    EXPECT_EQ(run(compress, {"a.bin", "locked/a.bi_"}, nobody), 3);
    EXPECT_EQ(errors(), "compress.exe: locked/a.bi_: Permission denied\n");
    EXPECT_EQ(run(expand, {"a.bin", "open/kept.bi_"}, nobody), 3);
    EXPECT_EQ(run(compress, {"secret.bin", "open/s.bi_"}, nobody), 2);
    EXPECT_EQ(errors(), "compress.exe: secret.bin: Permission denied\n");
    EXPECT_TRUE(fs::is_empty(folder / "locked"));
    EXPECT_EQ(folder.entries(folder / "open"), std::vector<std::string>{"kept.bi_"});
    EXPECT_EQ(readText(folder / "open/kept.bi_"), kPrevious);
    // The control: the same user may write where it is allowed to.
    EXPECT_EQ(run(compress, {"a.bin", "open/a.bi_"}, nobody), 0) << errors();
}

TEST_F(ToolFailure, SeveralFilesGoOnAfterAFailureAndReportTheFirst) {
    writeBytes(folder / "a.bin", testData(300));
    writeBytes(folder / "c.bin", testData(400));
    EXPECT_EQ(run(kCompress, {"-r", "a.bin", "missing.bin", "c.bin"}), 2);
    EXPECT_EQ(errors(), "compress.exe: missing.bin: No such file or directory\n");
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"a.bi_", "a.bin", "c.bi_", "c.bin"}));
}

TEST_F(ToolFailure, RenamingRefusesASecondSourceForTheSameOutput) {
    for (const char* place : {"a", "b", "d", "out", "outd"})
        fs::create_directory(folder / place);
    writeBytes(folder / "a.txt", testData(3000, 1));
    writeBytes(folder / "b.txt", testData(4000, 2));
    ASSERT_EQ(run(kCompress, {"a.txt", "a/FILE.TX_"}), 0) << errors();
    ASSERT_EQ(run(kCompress, {"b.txt", "b/FILE.TX_"}), 0) << errors();
    EXPECT_EQ(run(kExpand, {"-r", "a/FILE.TX_", "b/FILE.TX_", "out"}), 3);
    EXPECT_EQ(errors(), "expand.exe: out/FILE.TXT: also the output of a/FILE.TX_; not written\n");
    EXPECT_TRUE(same(folder / "a.txt", folder / "out/FILE.TXT"));

    fs::copy_file(folder / "a.txt", folder / "d/FOO.TXT");
    fs::copy_file(folder / "b.txt", folder / "d/FOO.TXA");
    EXPECT_EQ(run(kCompress, {"-r", "d/FOO.TXT", "d/FOO.TXA", "outd"}), 3);
    EXPECT_EQ(errors(), "compress.exe: outd/FOO.TX_: also the output of d/FOO.TXT; not written\n");
    ASSERT_EQ(run(kExpand, {"outd/FOO.TX_", "back.txt"}), 0) << errors();
    EXPECT_TRUE(same(folder / "a.txt", folder / "back.txt"));
}

TEST_F(ToolFailure, InterruptedRunRemovesItsTemporaryAndEndsByTheSignal) {
    writeBytes(folder / "big.bin", testData(8 * 1024 * 1024));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = start(kCompress, {"big.bin", "big.bi_"});
        // Wait for the hidden temporary to appear, then interrupt.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (folder.entries().size() < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(::kill(child, signal), 0);
        EXPECT_EQ(finishProgram(child), -signal);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"big.bin"}) << signal;
    }
}

TEST_F(ToolFailure, SourceChangedWhileCompressedIsReportedAndTheDestinationKept) {
    writeBytes(folder / "big.bin", testData(1024 * 1024));
    writeText(folder / "big.bi_", kPrevious);
    // Another program keeps touching the source meanwhile.
    std::atomic<bool> done = false;
    std::thread writer([&] {
        for (time_t second = 1000000000; !done; ++second) {
            const struct timespec times[2] = {{0, UTIME_OMIT}, {second, 0}};
            ::utimensat(AT_FDCWD, (folder / "big.bin").c_str(), times, 0);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    const int result = run(kCompress, {"big.bin", "big.bi_"});
    done = true;
    writer.join();
    EXPECT_EQ(result, 2);
    EXPECT_EQ(errors(), "compress.exe: big.bin: changed while it was read; big.bi_ not replaced\n");
    EXPECT_TRUE(readText(folder / "big.bi_") == kPrevious);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"big.bi_", "big.bin"}));
}

// A file whose expansion's length differs from its header's (a cut file, or
// a compressor's wrong length: each kind is LzFailure's): expand.exe says so
// and exits with 6; a new DEST holds what could be expanded, an existing one
// is kept.
TEST_F(ToolFailure, LengthOtherThanTheHeadersIsReportedAndReplacesNothing) {
    writeBytes(folder / "ref.tx_", kReferenceCompressed);
    writeText(folder / "old.txt", kPrevious);
    EXPECT_EQ(run(kExpand, {"ref.tx_", "old.txt"}), 6);
    EXPECT_EQ(
        errors(),
        "expand.exe: ref.tx_: expanded 20 bytes, the header says 5237; old.txt not replaced\n");
    EXPECT_EQ(readText(folder / "old.txt"), kPrevious);
    EXPECT_EQ(run(kExpand, {"ref.tx_", "ref.txt"}), 6);
    EXPECT_EQ(readText(folder / "ref.txt"), kReferenceText);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"old.txt", "ref.tx_", "ref.txt"}));
}
