// SPDX-License-Identifier: GPL-3.0-or-later
// The LZ library driven as the Expand command drives it.
#pragma once

#include "platform/lz_expand.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/szdd_file.h"

namespace crunchwise::testing {

// Opens, copies and closes as the Expand command does; fills `info` when
// given. Returns LZCopy's result, or the negative handle of a failed open.
inline std::int64_t expandFile(const fs::path& source, const fs::path& destination,
                               LZCOPYINFO* info = nullptr) {
    OFSTRUCT record;
    const int in = LZOpenFileA(source.string(), record, OF_READ);
    const int out = LZOpenFileA(destination.string(), record, OF_CREATE);
    if (out < 0) {
        LZClose(in);
        return out;
    }
    const std::int64_t result = LZCopy(in, out);
    if (info)
        LZCopyInfo(out, *info);
    LZClose(in);
    LZClose(out);
    return result;
}

} // namespace crunchwise::testing
