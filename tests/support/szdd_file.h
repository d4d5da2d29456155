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

} // namespace crunchwise::testing
