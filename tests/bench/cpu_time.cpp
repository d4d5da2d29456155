// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a command and reports the CPU time (user + system) it took.
//   cpu_time PROGRAM [ARGS...]
// Prints one line: "seconds=<CPU seconds>", or fails with the command's status.
#include "tests/bench/bench_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: cpu_time PROGRAM [ARGS...]\n");
        return 2;
    }
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        std::perror("cpu_time");
        return 1;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "cpu_time: %s failed\n", argv[1]);
        return 1;
    }
    std::printf("seconds=%.6f\n", bench::seconds(usage.ru_utime) + bench::seconds(usage.ru_stime));
    return 0;
}
