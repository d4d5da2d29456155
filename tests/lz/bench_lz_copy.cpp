// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of LZOpenFileA / LZCopy / LZClose on real files: an SZDD file
// expanded, and a plain file copied, into a new file each time.
#include "tests/lz/lz_test_files.h"

#include <benchmark/benchmark.h>

using namespace crunchwise;
using namespace crunchwise::testing;

namespace {

constexpr std::size_t kSize = 16 * 1024 * 1024;

void runCopies(benchmark::State& state, const Bytes& fileContents) {
    ScratchFolder folder;
    writeBytes(folder / "source", fileContents);
    for (auto _ : state) {
        const std::int64_t written = expandFile(folder / "source", folder / "out");
        if (written != static_cast<std::int64_t>(kSize)) {
            state.SkipWithError("copy failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

void BM_LzCopyExpand(benchmark::State& state) {
    runCopies(state, compressed(testData(kSize)));
}

void BM_LzCopyPlain(benchmark::State& state) {
    runCopies(state, testData(kSize));
}

} // namespace

BENCHMARK(BM_LzCopyExpand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LzCopyPlain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
