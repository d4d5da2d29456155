// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/program_runner.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace crunchwise::testing {
namespace fs = std::filesystem;
namespace {

constexpr int kCannotStart = 126;
constexpr int kNotWaited = -1000;
constexpr mode_t kNewFileMode = 0644;

void redirect(const std::optional<fs::path>& file, int fd, int flags) {
    if (!file)
        return;
    const int opened = ::open(file->c_str(), flags, kNewFileMode);
    if (opened < 0 || ::dup2(opened, fd) < 0)
        ::_exit(kCannotStart);
}

// In the child: everything a shell would set up before running a program.
void prepareChild(const RunOptions& options) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ, SIGPIPE, SIGALRM})
        ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    redirect(options.input, STDIN_FILENO, O_RDONLY);
    redirect(options.output, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
    if (options.outputDescriptor && ::dup2(*options.outputDescriptor, STDOUT_FILENO) < 0)
        ::_exit(kCannotStart);
    redirect(options.errors, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
    if (!options.workingFolder.empty() && ::chdir(options.workingFolder.c_str()) != 0)
        ::_exit(kCannotStart);
    for (const auto& [name, value] : options.env)
        ::setenv(name.c_str(), value.c_str(), 1);
    if (options.user && (::setgroups(0, nullptr) != 0 || ::setgid(*options.user) != 0 ||
                         ::setuid(*options.user) != 0))
        ::_exit(kCannotStart);
    if (options.fileSizeLimit) {
        const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.timeLimitSeconds)
        ::alarm(*options.timeLimitSeconds); // kept across exec
}

} // namespace

pid_t startProgram(const fs::path& program, const std::vector<std::string>& arguments,
                   const RunOptions& options) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        prepareChild(options);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

int finishProgram(pid_t child) {
    int status = 0;
    if (child < 0)
        return kNotWaited;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return kNotWaited;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

int runProgram(const fs::path& program, const std::vector<std::string>& arguments,
               const RunOptions& options) {
    return finishProgram(startProgram(program, arguments, options));
}

} // namespace crunchwise::testing
