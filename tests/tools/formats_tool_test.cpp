// SPDX-License-Identifier: GPL-3.0-or-later
// compress.exe and expand.exe on SZ and KWAJ: every format and method
// through our writer, libmspack and our reader; -l, -t and "-" (standard
// input and output) as a user runs them.
#include "tests/support/szdd_file.h"
#include "tests/szdd/szdd_test_data.h"
#include "tests/tools/tool_session.h"

#include <fcntl.h>
#include <unistd.h>

using namespace crunchwise::testing;
using szdd_test::Sample;

namespace {

struct Format {
    const char* name;
    std::vector<std::string> options;
};

// Each named as expand -l shows it; method 3 is KWAJ's default.
const std::vector<Format> kFormats = {
    {" SZDD ", {}},
    {" SZ ", {"--format=sz"}},
    {"KWAJ method 0", {"--format=kwaj", "--method=0"}},
    {"KWAJ method 1", {"--format", "kwaj", "--method", "1"}},
    {"KWAJ method 2", {"--format=kwaj", "--method=2"}},
    {"KWAJ method 3", {"--format=kwaj"}},
    {"KWAJ method 4", {"--format=kwaj", "--method=4"}},
};

std::vector<std::string> with(std::vector<std::string> options,
                              const std::vector<std::string>& more) {
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

class FormatsTool : public ToolSession {};

} // namespace

// That libmspack reads each format as our writer makes it is FormatPeers';
// here each option picks its format, and the data and name come back.
TEST_F(FormatsTool, EveryFormatComesBackThroughExpand) {
    RunOptions listing;
    listing.output = errorFile / "stdout";
    const std::vector<Sample> samples = {
        {"TEXT.TXT", szdd_test::makeText(150000, 3)},
        {"EMPTY.TXT", {}},
    };
    fs::create_directories(folder / "in");
    for (const Sample& sample : samples)
        writeBytes(folder / "in" / sample.name, sample.data);
    for (const Format& format : kFormats) {
        for (const Sample& sample : samples) {
            const std::string source = std::string("in/") + sample.name;
            ASSERT_EQ(run(kCompress, with(format.options, {source, "packed"})), 0) << errors();
            ASSERT_EQ(run(kExpand, {"-l", "packed"}, listing), 0) << errors();
            EXPECT_NE(readText(errorFile / "stdout").find(format.name), std::string::npos);
            // -r names it back: the KWAJ stored name, the SZDD missing character.
            fs::create_directory(folder / "out");
            ASSERT_EQ(run(kExpand, {"-r", "packed", "out"}), 0) << errors();
            const std::vector<std::string> names = folder.entries(folder / "out");
            ASSERT_EQ(names.size(), 1u);
            if (format.name[0] == 'K') {
                EXPECT_EQ(names[0], sample.name) << format.name;
            }
            EXPECT_TRUE(readBytes(folder / "out" / names[0]) == sample.data)
                << format.name << ' ' << sample.name;
            fs::remove_all(folder / "out");
        }
    }
}

TEST_F(FormatsTool, StandardInputAndOutputThroughPipes) {
    writeBytes(folder / "data.txt", testData(300000, 9));
    for (const Format& format : kFormats) {
        std::string options;
        for (const std::string& option : format.options)
            options += option + ' ';
        const std::string pipeline = "cat data.txt | '" + kCompress.string() + "' " + options +
                                     "- - | '" + kExpand.string() + "' - - > back.txt";
        ASSERT_EQ(run("/bin/sh", {"-c", pipeline}), 0) << format.name << errors();
        EXPECT_TRUE(same(folder / "data.txt", folder / "back.txt")) << format.name;
    }
    // A file to standard output is the file that compress.exe writes.
    RunOptions toFile;
    toFile.output = folder / "stdout.tx_";
    ASSERT_EQ(run(kCompress, {"data.txt", "-"}, toFile), 0);
    ASSERT_EQ(run(kCompress, {"data.txt", "data.tx_"}), 0);
    EXPECT_TRUE(same(folder / "stdout.tx_", folder / "data.tx_"));
    // Compressed data is not written to a terminal.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master) | ::unlockpt(master), 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    RunOptions toTerminal;
    toTerminal.outputDescriptor = terminal;
    EXPECT_EQ(run(kCompress, {"data.txt", "-"}, toTerminal), 3);
    EXPECT_EQ(errors(), "compress.exe: -: compressed data not written to a terminal\n");
    ::close(terminal);
    ::close(master);
}

TEST_F(FormatsTool, ListShowsSizesFormatsAndNamesLikeGzip) {
    writeBytes(folder / "plain.txt", testData(1000, 1));
    writeBytes(folder / "readme", testData(1000, 1));
    ASSERT_EQ(run(kCompress, {"-r", "readme"}), 0);
    writeBytes(folder / "NOTE.TXT", testData(1000, 1));
    ASSERT_EQ(run(kCompress, {"--format=kwaj", "--method=4", "NOTE.TXT", "k.kw_"}), 0);
    fs::remove(folder / "NOTE.TXT");
    // Method 0 without a stored length; the second stores the name "../x".
    writeBytes(folder / "bare.kw_", kwajBytes(0, 0, {}, Bytes(12, 't')));
    writeBytes(folder / "evil.kw_", kwajBytes(0, 0x08, {'.', '.', '/', 'x', 0}, {'x'}));
    writeBytes(folder / "cut.kw_", Bytes(szdd::kKwajMagic, szdd::kKwajMagic + 8));
    RunOptions options;
    options.output = errorFile / "stdout";
    EXPECT_EQ(run(kExpand,
                  {"-l", "plain.txt", "readm_", "k.kw_", "bare.kw_", "evil.kw_", "cut.kw_"},
                  options),
              6);
    const std::string listed = readText(errorFile / "stdout");
    const std::string kw = std::to_string(fs::file_size(folder / "k.kw_"));
    for (const std::string& line : std::vector<std::string>{
             std::string("      1000       1000    0.0%  not compressed          plain.txt -> "
                         "plain.tx$\n"),
             std::to_string(fs::file_size(folder / "readm_")) + "       1000 ",
             "  SZDD                    readm_ -> readme\n", kw + "       1000 ",
             "KWAJ method 4 (MS-ZIP)  k.kw_ -> NOTE.TXT\n",
             std::string("        26         12 -116.7%  KWAJ method 0 (stored)  bare.kw_ -> "
                         "bare.kw$\n"),
             "KWAJ method 0 (stored)  evil.kw_ -> evil.kw$\n", "(totals)\n"})
        EXPECT_NE(listed.find(line), std::string::npos) << line << " in\n" << listed;
    EXPECT_EQ(errors(), "expand.exe: cut.kw_: header is cut short\n");
    // -r gives the same names; the hostile one stays in the folder.
    ASSERT_EQ(run(kExpand, {"-r", "k.kw_", "evil.kw_"}), 0) << errors();
    EXPECT_TRUE(fs::exists(folder / "NOTE.TXT") && fs::exists(folder / "evil.kw$"));
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "x"));
}

TEST_F(FormatsTool, TestChecksWithoutWritingAndADamagedFileKeepsTheOldOne) {
    writeBytes(folder / "data.txt", testData(60000, 2));
    ASSERT_EQ(run(kCompress, {"--format=kwaj", "--method=4", "data.txt", "good.kw_"}), 0);
    Bytes damaged = readBytes(folder / "good.kw_");
    damaged[damaged[10] + 256 * damaged[11] + 2] = 'X'; // the first block's "CK"
    writeBytes(folder / "bad.kw_", damaged);
    const std::vector<std::string> before = folder.entries();
    EXPECT_EQ(run(kExpand, {"-t", "good.kw_", "data.txt"}), 0) << errors();
    EXPECT_EQ(errors(), "");
    EXPECT_EQ(run(kExpand, {"-t", "bad.kw_", "good.kw_"}), 6);
    EXPECT_EQ(errors().rfind("expand.exe: bad.kw_: ", 0), 0u) << errors();
    RunOptions fromFile;
    fromFile.input = folder / "bad.kw_";
    EXPECT_EQ(run(kExpand, {"-t", "-"}, fromFile), 6);
    EXPECT_EQ(folder.entries(), before);
    EXPECT_EQ(run(kExpand, {"bad.kw_", "data.txt"}), 6);
    EXPECT_EQ(readBytes(folder / "data.txt"), testData(60000, 2));
}
