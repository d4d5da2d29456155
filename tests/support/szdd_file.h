// SPDX-License-Identifier: GPL-3.0-or-later
// Compressed files for tests: a real SZDD file of the platform's own
// compressor, our SZDD and KWAJ forms of any data, a stream cut inside a
// match, and KWAJ headers laid out by hand.
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

// The KWAJ file of `data` by our writer, in `method` (0 to 4), storing
// `name` and `extension` when not empty. Throws std::runtime_error when
// the codec fails.
Bytes kwajOf(int method, const Bytes& data, const std::string& name = "",
             const std::string& extension = "");

// A KWAJ file laid out by hand: the magic, `method`, the data offset (just
// after `fields` unless `offset` is given) and `flags`, then `fields` and
// `data` as they are.
Bytes kwajBytes(std::uint16_t method, std::uint16_t flags, const Bytes& fields = {},
                const Bytes& data = {}, int offset = -1);

// A compressed file cut inside a match: the header, a control byte saying
// "match", and only the first of the match's two bytes.
Bytes cutInsideMatch();

// The reference file with its true length in its header.
Bytes referenceWithTrueLength();

// Writes at `path` an SZDD file whose stream is all zero bytes, as a sparse
// file: every 17 of them (a control byte and eight matches of three)
// expand to 24 blanks. `groups` such groups give 24 * groups bytes, the
// length its header gives.
void writeZeroStream(const std::filesystem::path& path, std::uint64_t groups);

} // namespace crunchwise::testing
