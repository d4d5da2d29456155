// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-process times of the command-line programs on a tiny file, side by
// side with msexpand and /bin/true in one run (not a test):
//   bench_tool_start [ROUNDS]     (default 300)
// Each round runs every command once, in turn, each writing a new file (the
// output is removed before, untimed). Prints the median wall and CPU (user +
// system) time of each and its ratio to msexpand's.
#include "tests/bench/bench_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Command {
    const char* name;
    std::vector<std::string> words;
    std::string output; // removed before each run
    std::vector<double> wall;
    std::vector<double> cpu;
};

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

bool runOnce(Command& command) {
    if (!command.output.empty())
        fs::remove(command.output);
    std::vector<char*> argv;
    for (std::string& word : command.words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const double start = now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    command.wall.push_back(now() - start);
    command.cpu.push_back(bench::seconds(usage.ru_utime) + bench::seconds(usage.ru_stime));
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 300;
    const fs::path folder =
        fs::temp_directory_path() / ("bench-tool-start-" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::current_path(folder);
    bench::writeFile("t.txt", {'a', 'b', 'c'});
    const std::string program = CRUNCHWISE_PROGRAM_DIR;
    std::vector<Command> commands = {
        {"compress.exe", {program + "/compress.exe", "t.txt", "o.tx_"}, "o.tx_", {}, {}},
        {"expand.exe", {program + "/expand.exe", "t.tx_", "o.txt"}, "o.txt", {}, {}},
        {"msexpand", {MSEXPAND_PATH, "t.tx_"}, "t.tx", {}, {}},
        {"/bin/true", {"/bin/true"}, "", {}, {}},
    };
    Command prepare{"", {program + "/compress.exe", "t.txt", "t.tx_"}, "t.tx_", {}, {}};
    bool ok = runOnce(prepare);
    for (int round = 0; ok && round < rounds; ++round)
        for (Command& command : commands)
            ok = ok && runOnce(command);
    fs::current_path("/");
    fs::remove_all(folder);
    if (!ok) {
        std::fprintf(stderr, "bench_tool_start: a command failed\n");
        return 1;
    }
    const double peerWall = median(commands[2].wall);
    const double peerCpu = median(commands[2].cpu);
    std::printf("%d rounds, median of each; ratio to msexpand\n", rounds);
    std::printf("%-14s %9s %9s %9s %9s\n", "command", "wall ms", "cpu ms", "wall x", "cpu x");
    for (const Command& command : commands) {
        std::printf("%-14s %9.3f %9.3f %9.2f %9.2f\n", command.name, median(command.wall) * 1e3,
                    median(command.cpu) * 1e3, median(command.wall) / peerWall,
                    median(command.cpu) / peerCpu);
    }
    return 0;
}
