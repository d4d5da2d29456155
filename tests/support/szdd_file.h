// SPDX-License-Identifier: GPL-3.0-or-later
// SZDD files for tests: a real file of the platform's own compressor, our
// compressed form of any data, and a stream cut inside a match.
#pragma once

#include "tests/support/file_contents.h"

#include <string>

namespace crunchwise::testing {

// Where the header's method byte lies.
inline constexpr std::size_t kMethodOffset = 8;

// A real file of the platform's own compressor: 20 bytes of text, with a
// length field of 0x1475 that decoders must not trust.
extern const Bytes kReferenceCompressed;
extern const std::string kReferenceText;

// The SZDD file of `data`, with `missingChar` in its header. Throws
// std::runtime_error when the codec fails.
Bytes compressed(const Bytes& data, char missingChar = 'x');

// A compressed file cut inside a match: the header, a control byte saying
// "match", and only the first of the match's two bytes.
Bytes cutInsideMatch();

// `file` (an SZDD file) with `length` as its header's expanded length.
Bytes withHeaderLength(Bytes file, std::uint32_t length);

// The reference file with its true length in its header.
Bytes referenceWithTrueLength();

// Writes at `path` an SZDD file whose stream is all zero bytes, as a sparse
// file: every 17 of them (a control byte and eight matches of three)
// expand to 24 blanks. `groups` such groups give 24 * groups bytes, the
// length its header gives.
void writeZeroStream(const std::filesystem::path& path, std::uint64_t groups);

} // namespace crunchwise::testing
