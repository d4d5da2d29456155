// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher file: what it names, its failures, and how its command lines
// split into words by the command interpreter's quoting.
#include "platform/command_words.h"
#include "platform/pif_file.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

using namespace crunchwise;
using namespace crunchwise::testing;
using Status = PifReadResult::Status;
using Words = std::vector<std::string>;

TEST(PifFile, TheShippedLauncherNamesTheBatchRunnerBesideIt) {
    const fs::path folder = CRUNCHWISE_PROGRAM_DIR;
    const PifReadResult result = readPifFile(folder / "crunchws.pif");
    ASSERT_EQ(result.status, Status::ok) << result.error;
    EXPECT_EQ(result.pif.program, folder / "crunchws-cmd");
    EXPECT_TRUE(fs::is_regular_file(result.pif.program));
    EXPECT_EQ(result.pif.arguments, (std::vector<std::string>{"/c", "_tempcom.bat"}));
}

TEST(PifFile, ParsesCommentsBlanksLineEndsQuotedArgumentsAndAbsolutePrograms) {
    PifReadResult result = parsePifFile("# header\r\n\r\n; note\r\n  program = bin/run me \r\n"
                                        "arguments=/c \"my batch.bat\" x\r\n",
                                        "/opt/app");
    ASSERT_EQ(result.status, Status::ok) << result.error;
    EXPECT_EQ(result.pif.program, fs::path("/opt/app/bin/run me"));
    EXPECT_EQ(result.pif.arguments, (std::vector<std::string>{"/c", "my batch.bat", "x"}));
    result = parsePifFile("program=/usr/bin/true\n", "/opt/app");
    ASSERT_EQ(result.status, Status::ok) << result.error;
    EXPECT_EQ(result.pif.program, fs::path("/usr/bin/true"));
    EXPECT_TRUE(result.pif.arguments.empty());
}

TEST(PifFile, MalformedContentIsRefusedWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "no program line"},
        {"# only a comment\n", "no program line"},
        {"arguments=/c x\n", "no program line"},
        {"program crunchws-cmd\n", "line 1: expected key=value"},
        {"program=\n", "line 1: empty program"},
        {"program=a\nprogram=b\n", "line 2: program given twice"},
        {"program=a\narguments=\narguments=x\n", "line 3: arguments given twice"},
        {"program=a\nwindow=hidden\n", "line 2: unknown key \"window\""},
    };
    for (const auto& [text, reason] : cases) {
        const PifReadResult result = parsePifFile(text, "/opt/app");
        EXPECT_EQ(result.status, Status::malformed) << text;
        EXPECT_EQ(result.error, reason) << text;
    }
}

TEST(PifFile, ReadingReportsMissingAndBinaryFiles) {
    ScratchFolder folder;
    EXPECT_EQ(readPifFile(folder / "absent.pif").status, Status::notFound);
    EXPECT_EQ(readPifFile(folder.path()).status, Status::notFound);
    writeBytes(folder / "dos.pif", Bytes{0x00, 0x78, 'p', 'r', 'o', 'g', 'r', 'a', 'm', '='});
    EXPECT_EQ(readPifFile(folder / "dos.pif").status, Status::malformed);
    writeText(folder / "huge.pif", "program=a\n" + std::string(70000, '#'));
    EXPECT_EQ(readPifFile(folder / "huge.pif").status, Status::malformed);
}

TEST(CommandWords, BlanksSeparateWordsAndQuotesGroupThem) {
    EXPECT_EQ(splitCommandWords("compress  a.txt\tb.tx_ ").words,
              (Words{"compress", "a.txt", "b.tx_"}));
    EXPECT_EQ(splitCommandWords(R"(ren D:/OUT/README~1.TX_ "Read Me.tx_")").words,
              (Words{"ren", "D:/OUT/README~1.TX_", "Read Me.tx_"}));
    EXPECT_EQ(splitCommandWords(R"(a"b c"d)").words, (Words{"ab cd"}));
    EXPECT_EQ(splitCommandWords(R"(x "")").words, (Words{"x", ""}));
    EXPECT_EQ(splitCommandWords(R"(x "open ended)").words, (Words{"x", "open ended"}));
    EXPECT_TRUE(splitCommandWords("   ").words.empty());
}

TEST(CommandWords, OperatorsCountOnlyOutsideQuotes) {
    const auto quoted = splitCommandWords(R"(compress "a&b|c.txt" "<x>.tx_")");
    EXPECT_EQ(quoted.unquotedOperator, '\0');
    EXPECT_EQ(quoted.words, (Words{"compress", "a&b|c.txt", "<x>.tx_"}));
    EXPECT_EQ(splitCommandWords("del a & del b").unquotedOperator, '&');
    EXPECT_EQ(splitCommandWords("del a|more").unquotedOperator, '|');
    EXPECT_EQ(splitCommandWords(R"(del "a" >out)").unquotedOperator, '>');
    EXPECT_EQ(splitCommandWords("del <in").unquotedOperator, '<');
    EXPECT_EQ(splitCommandWords(R"(del "a" "b & c")").unquotedOperator, '\0');
}
