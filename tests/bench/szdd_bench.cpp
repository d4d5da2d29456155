// SPDX-License-Identifier: GPL-3.0-or-later
// Times our codec in memory.
//   szdd_bench encode SOURCE OUT [FORMAT]  compresses SOURCE, writes OUT
//   szdd_bench decode PACKED ORIGINAL      expands PACKED (any format), checks it equals ORIGINAL
// FORMAT: szdd (the default), sz, or kwaj0 to kwaj4 (KWAJ with that method).
// Prints one line: "bytes=<source bytes> packed=<packed bytes> seconds=<fastest CPU time>".
#include "szdd/kwaj.h"
#include "tests/bench/bench_support.h"

#include <cstdio>
#include <cstring>

namespace {

szdd::Status compressAs(const std::string& format, const bench::Bytes& source,
                        bench::Bytes& packed) {
    if (format == "szdd")
        return szdd::compress(source, 0, packed);
    if (format == "sz")
        return szdd::compressSz(source, packed);
    if (format.size() == 5 && format.starts_with("kwaj") && format[4] >= '0' && format[4] <= '4') {
        szdd::KwajHeader header;
        header.method = static_cast<szdd::KwajMethod>(format[4] - '0');
        return szdd::compressKwaj(source, header, packed);
    }
    throw std::runtime_error("unknown format " + format);
}

int encode(const std::string& sourcePath, const std::string& outPath, const std::string& format) {
    const bench::Bytes source = bench::readFile(sourcePath);
    bench::Bytes packed;
    const double took = bench::fastestRun([&] {
        if (compressAs(format, source, packed) != szdd::Status::ok)
            throw std::runtime_error("compress failed");
    });
    bench::writeFile(outPath, packed);
    std::printf("bytes=%zu packed=%zu seconds=%.6f\n", source.size(), packed.size(), took);
    return 0;
}

int decode(const std::string& packedPath, const std::string& originalPath) {
    const bench::Bytes packed = bench::readFile(packedPath);
    const bench::Bytes original = bench::readFile(originalPath);
    bench::Bytes out;
    szdd::Status status = szdd::Status::ok;
    const double took = bench::fastestRun([&] { status = szdd::expandAny(packed, out); }, 3);
    if (status != szdd::Status::ok || out != original) {
        std::fprintf(stderr, "szdd_bench: %s: does not expand to %s\n", packedPath.c_str(),
                     originalPath.c_str());
        return 1;
    }
    std::printf("bytes=%zu packed=%zu seconds=%.6f\n", out.size(), packed.size(), took);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && !(argc == 5 && std::strcmp(argv[1], "encode") == 0)) {
        std::fprintf(stderr,
                     "usage: szdd_bench encode SOURCE OUT [FORMAT] | decode PACKED ORIGINAL\n");
        return 2;
    }
    try {
        if (std::strcmp(argv[1], "encode") == 0)
            return encode(argv[2], argv[3], argc == 5 ? argv[4] : "szdd");
        if (std::strcmp(argv[1], "decode") == 0)
            return decode(argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szdd_bench: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "szdd_bench: unknown mode %s\n", argv[1]);
    return 2;
}
