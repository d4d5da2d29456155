// SPDX-License-Identifier: GPL-3.0-or-later
// What compress.exe and expand.exe make of a destination that is no plain
// file of their own: devices and pipes written in place, sockets refused,
// other users' files kept theirs.
#include "tests/tools/tool_session.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace crunchwise::testing;

namespace {

struct ToolAndSource {
    const char* name;
    fs::path program;
    const char* source;
};

// Each tool with a source of its own kind: plain for compress.exe,
// compressed for expand.exe.
const ToolAndSource kTools[] = {{"compress.exe", kCompress, "a.bin"},
                                {"expand.exe", kExpand, "a.bi_"}};

} // namespace

class Destination : public ToolSession {
protected:
    void SetUp() override {
        writeBytes(folder / "a.bin", testData(20000));
        ASSERT_EQ(run(kCompress, {"a.bin", "a.bi_"}), 0) << errors();
    }
};

TEST_F(Destination, CharacterDeviceIsWrittenInPlace) {
    // A node of the null device, made here rather than touching /dev.
    if (::mknod((folder / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) {
        GTEST_SKIP() << "cannot make device nodes here";
    }
    for (const ToolAndSource& tool : kTools) {
        EXPECT_EQ(run(tool.program, {tool.source, "null"}), 0) << errors();
        EXPECT_TRUE(fs::is_character_file(folder / "null")) << tool.name;
    }
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"a.bi_", "a.bin", "null"}));
}

TEST_F(Destination, LinkToTheStandardOutputPipeReceivesTheOutput) {
    // As /dev/stdout does: a link to the descriptor, here an unnamed pipe,
    // which has no name to resolve and cannot be replaced.
    fs::create_symlink("/proc/self/fd/1", folder / "stdout");
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    RunOptions options;
    options.outputDescriptor = ends[1];
    const pid_t child = start(kExpand, {"a.bi_", "stdout"}, options);
    ::close(ends[1]);
    Bytes received;
    std::uint8_t chunk[4096];
    for (ssize_t got; (got = ::read(ends[0], chunk, sizeof chunk)) > 0;)
        received.insert(received.end(), chunk, chunk + got);
    ::close(ends[0]);
    EXPECT_EQ(finishProgram(child), 0) << errors();
    EXPECT_TRUE(received == readBytes(folder / "a.bin"));
    EXPECT_TRUE(fs::is_symlink(folder / "stdout"));
}

TEST_F(Destination, SocketIsRefusedAndKept) {
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = (folder / "sock").string();
    ASSERT_LT(name.size(), sizeof address.sun_path);
    name.copy(address.sun_path, name.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const ToolAndSource& tool : kTools) {
        EXPECT_EQ(run(tool.program, {tool.source, "sock"}), 3);
        EXPECT_EQ(errors(), std::string(tool.name) + ": sock: is a socket; not written\n");
    }
    ::close(listener);
    EXPECT_TRUE(fs::is_socket(folder / "sock"));
}

TEST_F(Destination, ReplacingAsRootKeepsTheOwnerAndGroup) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give files away";
    }
    for (const ToolAndSource& tool : kTools) {
        writeText(folder / "theirs", "their previous file");
        ASSERT_EQ(::chown((folder / "theirs").c_str(), kNobody, kNobody), 0);
        EXPECT_EQ(run(tool.program, {tool.source, "theirs"}), 0) << errors();
        struct stat info {};
        ASSERT_EQ(::stat((folder / "theirs").c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, kNobody) << tool.name;
        EXPECT_EQ(info.st_gid, kNobody) << tool.name;
    }
}

// The window's batches ask for --no-follow: a link planted at the output
// name is replaced, the file it names left alone; a pipe is refused at once.
TEST_F(Destination, NoFollowReplacesALinkAndRefusesAPipe) {
    writeText(folder / "precious.txt", "keep me");
    fs::create_symlink("precious.txt", folder / "report.tx_");
    ASSERT_EQ(run(kCompress, {"--no-follow", "a.bin", "report.tx_"}), 0) << errors();
    EXPECT_FALSE(fs::is_symlink(folder / "report.tx_"));
    EXPECT_EQ(readText(folder / "precious.txt"), "keep me");
    ASSERT_EQ(run(kExpand, {"report.tx_", "back.bin"}), 0) << errors();
    EXPECT_TRUE(same(folder / "a.bin", folder / "back.bin"));

    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(run(kCompress, {"--no-follow", "a.bin", "pipe"}), 3);
    EXPECT_EQ(errors(), "compress.exe: pipe: is a device or pipe; not written (--no-follow)\n");
    // Without the option the documented behaviour stays: the link is followed.
    fs::create_symlink("precious.txt", folder / "followed.tx_");
    ASSERT_EQ(run(kCompress, {"a.bin", "followed.tx_"}), 0) << errors();
    EXPECT_TRUE(fs::is_symlink(folder / "followed.tx_"));
    EXPECT_NE(readText(folder / "precious.txt"), "keep me");
}
