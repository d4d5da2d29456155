// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cmd/compress_children.h"

#include "tools/cmd/interrupts.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace crunchwise::tools {
namespace {

// What is kept of a child's messages.
constexpr std::size_t kMostMessageBytes = 4096;

// The child's messages as one line: its lines joined by "; ".
std::string oneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos;)
        text.replace(at, 1, "; ");
    return text;
}

CommandOutcome outcomeOf(int status, const std::string& messages) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return {};
    if (!messages.empty())
        return {false, oneLine(messages)};
    if (WIFEXITED(status))
        return {false,
                "compress.exe failed with exit status " + std::to_string(WEXITSTATUS(status))};
    return {false, "compress.exe ended by signal " + std::to_string(WTERMSIG(status))};
}

// Spawns `argv` with its standard output and error on `output` and an empty
// standard input. Returns 0 or the error.
int spawn(const std::filesystem::path& program, std::vector<char*>& argv, int output, pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none); // the interrupts are held here
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const int error =
        ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

} // namespace

CompressChildren::~CompressChildren() {
    stopAll(SIGTERM);
}

std::optional<CommandOutcome> CompressChildren::start(const std::filesystem::path& compressor,
                                                      std::size_t line,
                                                      const std::vector<std::string>& arguments) {
    std::vector<std::string> words{compressor.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return CommandOutcome{false, std::string("compress.exe: ") + std::strerror(errno)};
    Child child;
    child.line = line;
    child.output = ends[0];
    int error = 0;
    {
        const interrupts::Held held; // the child is known before a handler runs
        error = spawn(compressor, argv, ends[1], child.pid);
        if (error == 0)
            children_.push_back(child);
    }
    ::close(ends[1]);
    if (error != 0) {
        ::close(ends[0]);
        return CommandOutcome{false, compressor.string() + ": " + std::strerror(error)};
    }
    return std::nullopt;
}

bool CompressChildren::drain(Child& child) {
    char chunk[1024];
    const ssize_t got = ::read(child.output, chunk, sizeof chunk);
    if (got < 0)
        return errno != EINTR && errno != EAGAIN;
    if (got == 0)
        return true;
    const std::size_t room = kMostMessageBytes - std::min(kMostMessageBytes, child.messages.size());
    child.messages.append(chunk, std::min(room, static_cast<std::size_t>(got)));
    return false;
}

CompressChildren::Finished CompressChildren::reap(std::size_t index) {
    const Child child = children_[index];
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(index));
    ::close(child.output);
    int status = 0;
    while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {child.line, outcomeOf(status, child.messages)};
}

std::optional<CompressChildren::Finished> CompressChildren::waitForOne() {
    while (!children_.empty() && interrupts::received() == 0) {
        std::vector<pollfd> watched{{interrupts::wakeDescriptor(), POLLIN, 0}};
        for (const Child& child : children_)
            watched.push_back({child.output, POLLIN, 0});
        if (::poll(watched.data(), watched.size(), -1) < 0 && errno != EINTR)
            return std::nullopt;
        if (interrupts::received() != 0)
            return std::nullopt; // a child that ends now was stopped with the run: no outcome
        for (std::size_t i = 0; i < children_.size(); ++i) {
            // A child's output ends when the child does.
            if (watched[i + 1].revents != 0 && drain(children_[i]))
                return reap(i);
        }
    }
    return std::nullopt;
}

void CompressChildren::stopAll(int signal) {
    for (const Child& child : children_)
        ::kill(child.pid, signal);
    while (!children_.empty())
        reap(children_.size() - 1);
}

} // namespace crunchwise::tools
