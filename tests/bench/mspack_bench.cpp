// SPDX-License-Identifier: GPL-3.0-or-later
// Times libmspack's SZDD or KWAJ expander (by the file's magic; SZ files go
// through the SZDD one) in memory: its file layer is replaced by one that
// reads from and writes to buffers, so no I/O is measured.
//   mspack_bench PACKED ORIGINAL
// Prints one line: "bytes=<expanded bytes> packed=<packed bytes> seconds=<fastest CPU time>".
#include "tests/bench/bench_support.h"

#include <mspack.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A buffer posing as a file. The "file name" handed to libmspack is its address.
struct MemoryFile {
    bench::Bytes* data = nullptr;
    std::size_t position = 0;
};

MemoryFile* asFile(mspack_file* file) {
    return reinterpret_cast<MemoryFile*>(file);
}

mspack_file* memOpen(mspack_system*, const char* name, int mode) {
    auto* file = reinterpret_cast<MemoryFile*>(const_cast<char*>(name));
    file->position = 0;
    if (mode == MSPACK_SYS_OPEN_WRITE)
        file->data->clear();
    return reinterpret_cast<mspack_file*>(file);
}

void memClose(mspack_file*) {}

int memRead(mspack_file* handle, void* buffer, int bytes) {
    MemoryFile* file = asFile(handle);
    const std::size_t left = file->data->size() - file->position;
    const std::size_t n = std::min<std::size_t>(left, static_cast<std::size_t>(bytes));
    std::memcpy(buffer, file->data->data() + file->position, n);
    file->position += n;
    return static_cast<int>(n);
}

int memWrite(mspack_file* handle, void* buffer, int bytes) {
    MemoryFile* file = asFile(handle);
    const auto* from = static_cast<const std::uint8_t*>(buffer);
    file->data->insert(file->data->end(), from, from + bytes);
    return bytes;
}

int memSeek(mspack_file* handle, off_t offset, int mode) {
    MemoryFile* file = asFile(handle);
    const off_t base = mode == MSPACK_SYS_SEEK_START ? 0
                       : mode == MSPACK_SYS_SEEK_CUR ? static_cast<off_t>(file->position)
                                                     : static_cast<off_t>(file->data->size());
    const off_t to = base + offset;
    if (to < 0 || to > static_cast<off_t>(file->data->size()))
        return 1;
    file->position = static_cast<std::size_t>(to);
    return 0;
}

off_t memTell(mspack_file* handle) {
    return static_cast<off_t>(asFile(handle)->position);
}

void memMessage(mspack_file*, const char*, ...) {}
void* memAlloc(mspack_system*, size_t bytes) {
    return std::malloc(bytes);
}
void memFree(void* p) {
    std::free(p);
}
void memCopy(void* from, void* to, size_t bytes) {
    std::memmove(to, from, bytes);
}

mspack_system memorySystem() {
    return {memOpen,    memClose, memRead, memWrite, memSeek, memTell,
            memMessage, memAlloc, memFree, memCopy,  nullptr};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mspack_bench PACKED ORIGINAL\n");
        return 2;
    }
    try {
        bench::Bytes packed = bench::readFile(argv[1]);
        const bench::Bytes original = bench::readFile(argv[2]);
        bench::Bytes out;
        out.reserve(original.size());
        MemoryFile in{&packed, 0};
        MemoryFile result{&out, 0};
        mspack_system system = memorySystem();
        const bool kwaj = packed.size() >= 4 && std::memcmp(packed.data(), "KWAJ", 4) == 0;
        msszdd_decompressor* szdd = kwaj ? nullptr : mspack_create_szdd_decompressor(&system);
        mskwaj_decompressor* kwajd = kwaj ? mspack_create_kwaj_decompressor(&system) : nullptr;
        int error = MSPACK_ERR_OK;
        const double took = bench::fastestRun(
            [&] {
                auto* from = reinterpret_cast<char*>(&in);
                auto* to = reinterpret_cast<char*>(&result);
                error =
                    kwaj ? kwajd->decompress(kwajd, from, to) : szdd->decompress(szdd, from, to);
            },
            3);
        mspack_destroy_szdd_decompressor(szdd);
        mspack_destroy_kwaj_decompressor(kwajd);
        if (error != MSPACK_ERR_OK || out != original) {
            std::fprintf(stderr, "mspack_bench: %s: does not expand to %s\n", argv[1], argv[2]);
            return 1;
        }
        std::printf("bytes=%zu packed=%zu seconds=%.6f\n", out.size(), packed.size(), took);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mspack_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
