// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmark programs share: whole-file reads and CPU-time clocks.
// CPU time (user + system) rather than wall time, so that other work on a
// shared machine does not slow down one side of a comparison more than the other.
#pragma once

#include <sys/resource.h>
#include <sys/time.h>
#include <time.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

using Bytes = std::vector<std::uint8_t>;

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

inline double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6;
}

// User plus system CPU seconds of this process, at the clock's full resolution.
inline double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs `work` repeatedly, at least `minRuns` times and until about `budget`
// CPU seconds are spent (at most `maxRuns`); returns the fastest run's CPU seconds.
template <typename Work>
double fastestRun(Work work, int minRuns = 2, int maxRuns = 7, double budget = 1.0) {
    double best = 1e300;
    double spent = 0;
    for (int run = 0; run < maxRuns && (run < minRuns || spent < budget); ++run) {
        const double start = cpuSeconds();
        work();
        const double took = cpuSeconds() - start;
        spent += took;
        best = took < best ? took : best;
    }
    return best;
}

} // namespace bench
