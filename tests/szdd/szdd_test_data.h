// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the codec tests: sample data, the streaming codecs driven
// in chunks, the formats our writer makes, and libmspack as the independent reader.
#pragma once

#include "szdd/kwaj.h"
#include "szdd/szdd.h"
#include "tests/support/file_contents.h"

#include <algorithm>
#include <span>

namespace szdd_test {

using crunchwise::testing::Bytes;

struct Sample {
    const char* name;
    Bytes data;
};
// The sources that every codec and peer test walks: the smallest sizes, the
// edges of the 4 KiB window, runs, noise, machine code and text across blocks.
const std::vector<Sample>& samples();

// A method A file holding `stream` after its header.
Bytes withHeader(const Bytes& stream);

// English-like text made of words from a fixed list, reproducible by seed.
Bytes makeText(std::size_t size, unsigned seed);
Bytes makeRandom(std::size_t size, unsigned seed);
// Pieces of up to `maxPiece` bytes: noise, runs of zeros or blanks, and copies
// from up to 5000 bytes back, a little past the encoder's reach.
Bytes makePieces(std::size_t size, unsigned seed, std::size_t maxPiece);
// Bytes shaped like x86 machine code: short instructions, padding, address
// tables and names, reproducible by seed.
Bytes makeProgram(std::size_t size, unsigned seed);

// One item of an LZSS stream, as read by a plain walk over its groups.
struct Item {
    std::size_t streamAt = 0;   // offset of its first byte in the stream
    std::uint64_t outputAt = 0; // offset of its first output byte
    unsigned length = 0;        // 0 for a literal, else the match length
    unsigned ringPos = 0;       // a match's source slot
};
// Every complete item of `stream`; `cutInMatch` tells whether it ends after a match's first byte.
std::vector<Item> walkItems(const Bytes& stream, bool* cutInMatch = nullptr);

// A sink that appends to `out`.
szdd::Sink appendTo(Bytes& out);

// Feeds `data` to `codec` (an encoder or decoder) in chunks whose sizes
// cycle through `chunkSizes`, then finishes it; stops at the first failure.
template <typename Codec>
szdd::Status runChunked(Codec& codec, const Bytes& data,
                        const std::vector<std::size_t>& chunkSizes) {
    std::size_t at = 0;
    for (std::size_t i = 0; at < data.size(); ++i) {
        const std::size_t n = std::min(chunkSizes[i % chunkSizes.size()], data.size() - at);
        if (const szdd::Status s = codec.feed(std::span(data).subspan(at, n));
            s != szdd::Status::ok)
            return s;
        at += n;
    }
    return codec.finish();
}

// both codecs' byte counts are checked.
Bytes encodeChunked(const Bytes& source, const std::vector<std::size_t>& chunkSizes);
// `a` followed by `b`.
inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// SZDD, SZ, or KWAJ with one of its methods; its data starts at `dataAt`.
struct Writable {
    const char* name;
    szdd::Format format;
    szdd::KwajMethod method;
    std::size_t dataAt;
};
const std::vector<Writable>& writableFormats();

// The whole file of `source` in that format (SZDD with missing character 'x',
// KWAJ with name "name" and extension "txt"). Throws std::runtime_error when the codec fails.
Bytes compressAs(const Writable& format, const Bytes& source);
// The data after the header, compressed by the streaming encoder fed in chunks.
Bytes encodeDataChunked(const Writable& format, const Bytes& source,
                        const std::vector<std::size_t>& chunkSizes);
// Expands an SZDD, SZ or KWAJ file: header read whole, data fed to the streaming decoder in chunks.
szdd::Status expandChunked(const Bytes& file, const std::vector<std::size_t>& chunkSizes,
                           Bytes& out);

// libmspack's expansion of `file` (SZDD, SZ or KWAJ), through real files in
// `folder`. Returns libmspack's error code, MSPACK_ERR_OK (0) on success.
int expandWithLibmspack(const std::filesystem::path& folder, const Bytes& file, Bytes& out);
// libmspack's reading of a KWAJ header: its error code, and the name it
// makes ("name.ext", "" for none).
int kwajNameByLibmspack(const std::filesystem::path& folder, const Bytes& file, std::string& name);

} // namespace szdd_test
