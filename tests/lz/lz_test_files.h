// SPDX-License-Identifier: GPL-3.0-or-later
// Files for the LZ library tests.
#pragma once

#include "platform/lz_expand.h"
#include "szdd/szdd.h"
#include "tests/tools/tool_test_support.h"

#include <ctime>
#include <sys/stat.h>

namespace crunchwise::testing {

// A real file of the platform's own compressor: 20 bytes of text, with a
// length field of 0x1475 that decoders must not trust.
inline const Bytes kReferenceCompressed = {0x53, 0x5a, 0x44, 0x44, 0x88, 0xf0, 0x27, 0x33, 0x41,
                                           0x74, 0x75, 0x14, 0x00, 0x00, 0xdf, 0x54, 0x68, 0x69,
                                           0x73, 0x20, 0xf2, 0xf0, 0x61, 0x20, 0xff, 0x74, 0x65,
                                           0x73, 0x74, 0x20, 0x66, 0x69, 0x6c, 0x03, 0x65, 0x2e};
inline const std::string kReferenceText = "This is a test file.";

inline Bytes compressed(const Bytes& data) {
    Bytes out;
    if (szdd::compress(data, 'x', out) != szdd::Status::ok) {
        throw std::runtime_error("szdd::compress failed");
    }
    return out;
}

inline std::int64_t modificationTime(const fs::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return static_cast<std::int64_t>(info.st_mtim.tv_sec);
}

inline void setModificationTime(const fs::path& file, std::time_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

// Opens, copies and closes as the Expand command does. Returns LZCopy's
// result, or the negative handle of a failed open.
inline std::int64_t expandFile(const fs::path& source, const fs::path& destination) {
    OFSTRUCT record;
    const int in = LZOpenFileA(source.string(), record, OF_READ);
    const int out = LZOpenFileA(destination.string(), record, OF_CREATE);
    if (out < 0) {
        LZClose(in);
        return out;
    }
    const std::int64_t result = LZCopy(in, out);
    LZClose(in);
    LZClose(out);
    return result;
}

} // namespace crunchwise::testing
