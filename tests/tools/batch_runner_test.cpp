// SPDX-License-Identifier: GPL-3.0-or-later
// The batch runner: how it reads single lines, and whole batches as the
// launcher starts them, crunchws-cmd /c _tempcom.bat in a program folder,
// with compress.exe beside it or along PATH.
#include "tests/tools/tool_session.h"
#include "tools/cmd/batch_line.h"

#include <csignal>
#include <sys/stat.h>
#include <thread>

using namespace crunchwise::testing;

using crunchwise::tools::BatchLine;
using crunchwise::tools::parseBatchLine;
using crunchwise::tools::splitBatchLines;
using Kind = BatchLine::Kind;

TEST(BatchLine, KindOfEachLine) {
    const std::pair<const char*, Kind> cases[] = {
        {"COMPRESS.EXE a b", Kind::compress},
        {"rename a b", Kind::ren},
        {"@del _tempcom.bat", Kind::del},
        {"", Kind::nothing},
        {"@echo off", Kind::nothing},
        {"ECHO ON", Kind::nothing},
        {"rem a | b", Kind::nothing},
        {":: note", Kind::nothing},
        {"echo hello", Kind::unknown},
        {"format c: & del a", Kind::refused},
        {"  DEL x", Kind::del},
    };
    for (const auto& [line, kind] : cases) {
        EXPECT_EQ(parseBatchLine(line).kind, kind) << line;
    }
}

TEST(BatchLine, SplitsOnCarriageReturnLineFeedOrLineFeed) {
    EXPECT_EQ(splitBatchLines("a\r\nb\nc\r\n"), (std::vector<std::string_view>{"a", "b", "c"}));
    EXPECT_EQ(splitBatchLines("a\r\n\r\nlast"), (std::vector<std::string_view>{"a", "", "last"}));
    EXPECT_TRUE(splitBatchLines("").empty());
}

class BatchRunner : public ToolSession {
protected:
    // A program folder with the batch runner; compress.exe is put where each
    // test wants it.
    void SetUp() override {
        fs::create_directory(program());
        fs::copy_file(kBatchRunner, program() / "crunchws-cmd");
        fs::create_directory(folder / "bin");
        environment.workingFolder = program();
        environment.env["PATH"] = (folder / "bin").string() + ":/nonexistent";
    }
    fs::path program() const { return folder / "program"; }
    void stageCompressor(const fs::path& place) { fs::copy_file(kCompress, place); }

    // Writes _tempcom.bat with CR LF line ends and runs it; what it reports
    // on its standard output goes to progress().
    int runBatch(const std::vector<std::string>& lines, const std::string& lineEnd = "\r\n") {
        std::string text;
        for (const std::string& line : lines)
            text += line + lineEnd;
        writeText(program() / "_tempcom.bat", text);
        RunOptions options = environment;
        options.output = errorFile / "stdout";
        return run(program() / "crunchws-cmd", {"/c", "_tempcom.bat"}, options);
    }
    std::string progress() const { return readText(errorFile / "stdout"); }
    // A stand-in for compress.exe, a shell script.
    void stageScript(const fs::path& place, const std::string& body) {
        writeText(place, "#!/bin/sh\nPATH=/usr/bin:/bin\n" + body);
        fs::permissions(place, fs::perms::owner_all);
    }

    RunOptions environment;
};

TEST_F(BatchRunner, CompressesQuotedNamesWithBlanksRenamesAndDeletesItself) {
    stageCompressor(program() / "compress.exe");
    fs::create_directories(folder / "My Files");
    fs::create_directories(folder / "Out Dir");
    writeBytes(folder / "My Files/Read Me.txt", testData(5000, 1));
    writeBytes(folder / "My Files/setup.exe", testData(9000, 2));
    const std::string in = (folder / "My Files").string() + "/";
    const std::string out = (folder / "Out Dir").string() + "/";
    ASSERT_EQ(runBatch({
                  "compress \"" + in + "Read Me.txt\" \"" + out + "README~1.TX_\"",
                  "compress \"" + in + "setup.exe\" \"" + out + "SETUP.EX_\"",
                  "ren \"" + out + "README~1.TX_\" \"Read Me.tx_\"",
                  "ren \"" + out + "SETUP.EX_\" \"setup.ex_\"",
                  "del _tempcom.bat",
              }),
              0)
        << errors();
    EXPECT_EQ(folder.entries(folder / "Out Dir"),
              (std::vector<std::string>{"Read Me.tx_", "setup.ex_"}));
    EXPECT_FALSE(fs::exists(program() / "_tempcom.bat"));
    ASSERT_EQ(run(kExpand, {out + "Read Me.tx_", out + "back.txt"}), 0) << errors();
    EXPECT_TRUE(same(in + "Read Me.txt", out + "back.txt"));
}

TEST_F(BatchRunner, OperatorsInsideQuotesAreNameCharacters) {
    stageCompressor(program() / "compress.exe");
    writeBytes(program() / "a&b.txt", testData(300));
    writeText(program() / "victim.txt", "keep me");
    ASSERT_EQ(runBatch({"compress \"a&b.txt\" \"x|del victim.txt>y.tx_\""}), 0) << errors();
    EXPECT_TRUE(fs::exists(program() / "x|del victim.txt>y.tx_"));
    EXPECT_EQ(readText(program() / "victim.txt"), "keep me");
    EXPECT_FALSE(fs::exists(program() / "y.tx_"));
}

TEST_F(BatchRunner, RenStaysInTheSourceFolderAndNeverReplaces) {
    fs::create_directory(folder / "out");
    writeText(folder / "out/SETUP.EX_", "s");
    writeText(folder / "out/b.tx_", "b");
    EXPECT_EQ(runBatch({"ren ../out/SETUP.EX_ \"setup.ex_\"", "ren ../out/setup.ex_ setup.ex_",
                        "ren ../out/setup.ex_ ../x", "ren ../out/setup.ex_ b.tx_"}),
              1);
    EXPECT_EQ(errors(),
              "crunchws-cmd: line 3: ren: \"../x\" is not a plain file name\n"
              "crunchws-cmd: line 4: ren: ../out/b.tx_: a file of that name already exists\n");
    EXPECT_EQ(folder.entries(folder / "out"), (std::vector<std::string>{"b.tx_", "setup.ex_"}));
    EXPECT_EQ(readText(folder / "out/b.tx_"), "b");
}

TEST_F(BatchRunner, EachLineIsReportedAsItEndsAndTheNextLineRuns) {
    fs::create_directory(program() / "sub");
    EXPECT_EQ(runBatch({"compress a b", "", "del missing.txt", "del sub", "del _tempcom.bat"}), 1);
    EXPECT_EQ(errors(), "crunchws-cmd: line 1: compress.exe not found in the current folder, "
                        "the program folder or along PATH\n"
                        "crunchws-cmd: line 3: del: missing.txt: No such file or directory\n"
                        "crunchws-cmd: line 4: del: sub: is a folder\n");
    EXPECT_EQ(progress(), "line 1 failed\nline 3 failed\nline 4 failed\nline 5 ok\n");
    EXPECT_TRUE(fs::is_directory(program() / "sub"));
    EXPECT_FALSE(fs::exists(program() / "_tempcom.bat"));
    // The compressor's own messages become the reason of its line.
    stageCompressor(program() / "compress.exe");
    writeBytes(program() / "a.txt", testData(300));
    EXPECT_EQ(runBatch({"compress missing.txt out.tx_", "compress a.txt a.tx_"}), 1);
    EXPECT_EQ(errors(), "crunchws-cmd: line 1: compress.exe: missing.txt: No such file or "
                        "directory\n");
    // The two lines ran side by side: either may end first.
    const std::string reported = progress();
    EXPECT_TRUE(reported == "line 1 failed\nline 2 ok\n" ||
                reported == "line 2 ok\nline 1 failed\n")
        << reported;
}

// The program folder is the runner's own: a ":" in its path does not matter,
// since the folder is never put on PATH.
TEST_F(BatchRunner, FindsTheCompressorInItsOwnFolderWhateverItsName) {
    const fs::path own = folder / "odd:name";
    fs::create_directory(own);
    fs::copy_file(kBatchRunner, own / "crunchws-cmd");
    stageCompressor(own / "compress.exe");
    writeBytes(folder / "a.txt", testData(3000));
    writeText(program() / "_tempcom.bat", "compress ../a.txt ../a.tx_\r\n");
    ASSERT_EQ(run(own / "crunchws-cmd", {"/c", "_tempcom.bat"}, environment), 0) << errors();
    ASSERT_EQ(run(kExpand, {"a.tx_", "back.txt"}), 0) << errors();
    EXPECT_TRUE(same(folder / "a.txt", folder / "back.txt"));
}

// Consecutive compress lines run side by side once their outputs are shown
// to be distinct; a line whose output another line reads or writes makes
// them run one after another. The stand-in waits up to two seconds for a
// second one to start and writes how many it saw.
TEST_F(BatchRunner, IndependentCompressLinesRunSideBySide) {
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) != 0 || CPU_COUNT(&set) < 2) {
        GTEST_SKIP() << "one processor";
    }
    stageScript(program() / "compress.exe",
                "while [ $# -gt 2 ]; do shift; done\n" // SOURCE DEST after any option
                "touch \"$1.started\"\n"
                "n=0; while [ $(ls *.started | wc -l) -lt 2 ] && [ $n -lt 20 ]; do\n"
                "  sleep 0.1; n=$((n+1)); done\n"
                "ls *.started | wc -l > \"$2\"\n");
    for (const char* name : {"a", "b", "c"})
        writeText(program() / name, name);
    ASSERT_EQ(runBatch({"compress --no-follow a a.out", "compress b b.out"}), 0) << errors();
    EXPECT_EQ(readText(program() / "a.out"), "2\n");
    EXPECT_EQ(readText(program() / "b.out"), "2\n");
    for (const auto& entry : fs::directory_iterator(program()))
        if (entry.path().extension() == ".started")
            fs::remove(entry.path());
    // c's output is a's source: one after another.
    ASSERT_EQ(runBatch({"compress a a.out", "compress c a"}), 0) << errors();
    EXPECT_EQ(readText(program() / "a.out"), "1\n");
    EXPECT_EQ(readText(program() / "a"), "2\n");
}

// Stopped by a signal, the runner stops the compressor it started, runs no
// further line and ends by that signal.
TEST_F(BatchRunner, AnInterruptStopsTheCompressorAndTheRun) {
    stageScript(program() / "compress.exe", "trap 'touch \"$2.stopped\"; exit 143' TERM\n"
                                            "touch \"$2.started\"\n"
                                            "while :; do sleep 0.05; done\n");
    writeText(program() / "a.txt", "a");
    writeText(program() / "victim", "keep me");
    writeText(program() / "_tempcom.bat", "compress a.txt a.tx_\r\ndel victim\r\n");
    const pid_t runner = start(program() / "crunchws-cmd", {"/c", "_tempcom.bat"}, environment);
    for (int i = 0; i < 200 && !fs::exists(program() / "a.tx_.started"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    const bool started = fs::exists(program() / "a.tx_.started");
    ::kill(runner, started ? SIGTERM : SIGKILL); // the runner alone, not its process group
    ASSERT_TRUE(started);
    EXPECT_EQ(finishProgram(runner), -SIGTERM);
    EXPECT_TRUE(fs::exists(program() / "a.tx_.stopped"));
    EXPECT_EQ(readText(program() / "victim"), "keep me");
}

TEST_F(BatchRunner, RefusedAndUnknownLinesAreReportedAndNotRun) {
    using namespace std::string_literals;
    stageCompressor(program() / "compress.exe");
    writeBytes(program() / "a.txt", testData(300));
    writeText(program() / "victim", "keep me");
    writeText(folder / "bin/format", "#!/bin/sh\ntouch ran\n");
    fs::permissions(folder / "bin/format", fs::perms::owner_all);
    EXPECT_EQ(runBatch({"compress a.txt a.tx_ & del victim", "compress a.txt b.tx_ > log.txt",
                        "del victim | rem", "compress a.txt c.tx_ < victim",
                        "format c:", "%COMSPEC% /c x", "del victim\0.tmp"s, "ren a.txt \"b\0\""s}),
              1);
    EXPECT_EQ(errors(), "crunchws-cmd: line 1: unquoted '&' is not supported; line not run\n"
                        "crunchws-cmd: line 2: unquoted '>' is not supported; line not run\n"
                        "crunchws-cmd: line 3: unquoted '|' is not supported; line not run\n"
                        "crunchws-cmd: line 4: unquoted '<' is not supported; line not run\n"
                        "crunchws-cmd: line 5: unknown command \"format\"; line not run\n"
                        "crunchws-cmd: line 6: unknown command \"%COMSPEC%\"; line not run\n"
                        "crunchws-cmd: line 7: holds a NUL character; line not run\n"
                        "crunchws-cmd: line 8: holds a NUL character; line not run\n");
    EXPECT_EQ(folder.entries(program()),
              (std::vector<std::string>{"_tempcom.bat", "a.txt", "compress.exe", "crunchws-cmd",
                                        "victim"}));
}

TEST_F(BatchRunner, WrongArgumentsOrABatchMissingNoRegularFileOrTooLargeExitWithTwo) {
    EXPECT_EQ(run(program() / "crunchws-cmd", {}, environment), 2);
    EXPECT_EQ(run(program() / "crunchws-cmd", {"/k", "_tempcom.bat"}, environment), 2);
    EXPECT_EQ(run(program() / "crunchws-cmd", {"/c", "_tempcom.bat"}, environment), 2);
    EXPECT_EQ(errors(), "crunchws-cmd: _tempcom.bat: cannot be read\n");
    ASSERT_EQ(::mkfifo((program() / "fifo.bat").c_str(), 0600), 0);
    writeText(program() / "victim", "keep me");
    writeText(program() / "huge.bat", "del victim\r\n" + std::string(2 * 1024 * 1024, ' '));
    RunOptions limited = environment;
    limited.timeLimitSeconds = 10; // a batch runner waiting on the pipe is ended
    EXPECT_EQ(run(program() / "crunchws-cmd", {"/c", "fifo.bat"}, limited), 2);
    EXPECT_EQ(errors(), "crunchws-cmd: fifo.bat: not a regular file\n");
    EXPECT_EQ(run(program() / "crunchws-cmd", {"/c", "huge.bat"}, limited), 2);
    EXPECT_EQ(errors(), "crunchws-cmd: huge.bat: larger than 1 MiB; not run\n");
    EXPECT_EQ(readText(program() / "victim"), "keep me");
}
