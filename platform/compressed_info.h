// SPDX-License-Identifier: GPL-3.0-or-later
// What the header of a compressed file says, read without expanding it: for
// lists, Properties, `expand.exe -l` and the names proposed for an output.
#pragma once

#include "platform/posix_file.h"
#include "szdd/szdd.h"

#include <cstdint>
#include <optional>
#include <string>

namespace crunchwise {

struct CompressedInfo {
    szdd::Format format = szdd::Format::unknown; // unknown: not compressed, copied as is
    int method = 0;                              // SZDD 'A'; KWAJ 0-4; SZ 0
    std::optional<std::uint32_t> expandedLength; // as the header gives it (KWAJ: when stored)
    std::string storedName;       // KWAJ: "NAME.EXT" (or "NAME") as stored; empty when none
    std::uint8_t missingChar = 0; // SZDD header's missing character
    szdd::Status header = szdd::Status::ok; // ok, or why the header is refused
    std::size_t dataOffset = 0;             // where the compressed data starts (header ok)
};

// Reads the header of `file` (from its start, with positioned reads: the
// file's own position is left alone). A file of none of the three formats,
// also an empty one, is format unknown with header ok. A header that is
// refused (cut short, an unknown method, a KWAJ name or extension without
// its NUL, a KWAJ data offset past the end) keeps the format and, as far as
// they could be read, the method and fields, with `header` saying why.
// Returns 0, or the errno value of a failed read (`info` is then unknown).
int readCompressedInfo(const PosixFile& file, CompressedInfo& info);

// The same for the first bytes of a file, `start`, of `fileSize` bytes in
// all; `start` holds the whole file or at least its first
// szdd::kKwajMaxHeaderSize bytes. Has no failure.
CompressedInfo compressedInfoOf(std::span<const std::uint8_t> start, std::uint64_t fileSize);

// One short English text for lists and Properties: "SZDD", "SZ", "KWAJ
// method 3 (LZH)", "SZDD method B" (a method we cannot expand), "not
// compressed". Has no failure.
std::string formatAndMethodText(const CompressedInfo& info);

} // namespace crunchwise
