// SPDX-License-Identifier: GPL-3.0-or-later
// Times file-to-file expansion through the LZ library layer.
//   lzcopy_bench PACKED DESTINATION
// Prints one line: "bytes=<bytes written> seconds=<fastest CPU time>".
#include "platform/lz_expand.h"
#include "tests/bench/bench_support.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lzcopy_bench PACKED DESTINATION\n");
        return 2;
    }
    using namespace crunchwise;
    std::int64_t written = 0;
    const double took = bench::fastestRun(
        [&] {
            OFSTRUCT sourceRecord, destinationRecord;
            const int source = LZOpenFileA(argv[1], sourceRecord, OF_READ);
            const int destination = LZOpenFileA(argv[2], destinationRecord, OF_CREATE);
            written =
                (source < 0 || destination < 0) ? LZERROR_BADINHANDLE : LZCopy(source, destination);
            LZClose(source);
            LZClose(destination);
        },
        3);
    if (written < 0) {
        std::fprintf(stderr, "lzcopy_bench: %s: LZCopy failed with %lld\n", argv[1],
                     static_cast<long long>(written));
        return 1;
    }
    std::printf("bytes=%lld seconds=%.6f\n", static_cast<long long>(written), took);
    return 0;
}
