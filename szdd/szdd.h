// SPDX-License-Identifier: GPL-3.0-or-later
// The SZDD codec: buffers in, buffers out. No files, no printing, no Qt.
//
// An SZDD file is a 14-byte header followed by an LZSS stream; the older SZ
// variant is a 12-byte header followed by the same stream, started at
// another ring slot. The encoder and decoder below work on the stream alone
// and keep constant memory, so callers can feed a file of any size chunk by
// chunk; the header is read and written separately because its length field
// must be known up front. KWAJ files are in "szdd/kwaj.h".
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace szdd {

inline constexpr std::size_t kHeaderSize = 14;
inline constexpr std::uint8_t kMagic[8] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};
inline constexpr std::uint8_t kMethodA = 'A';
inline constexpr std::size_t kSzHeaderSize = 12;
inline constexpr std::uint8_t kSzMagic[8] = {0x53, 0x5A, 0x20, 0x88, 0xF0, 0x27, 0x33, 0xD1};
inline constexpr std::uint8_t kKwajMagic[8] = {0x4B, 0x57, 0x41, 0x4A, 0x88, 0xF0, 0x27, 0xD1};
// Largest source the 32-bit length field can describe.
inline constexpr std::uint64_t kMaxLength = 0xFFFFFFFFu;

// Every failure of the codec, one list for codes and names.
enum class Status {
    ok,
    notSzdd,         // fewer than 14 bytes, or the magic differs
    unknownMethod,   // SZDD method other than 'A', KWAJ method above 4
    truncated,       // the compressed data ends inside an item or a block
    tooLarge,        // a source longer than kMaxLength, or a KWAJ header over 64 KiB
    sinkFailed,      // the sink refused the output
    notSz,           // fewer than 12 bytes, or not the SZ magic
    notKwaj,         // fewer than 8 bytes, or not the KWAJ magic
    notCompressed,   // none of the three magics
    headerTruncated, // a KWAJ header cut short
    badName,         // a KWAJ name over 8 or extension over 3 characters
    badDataOffset,   // a KWAJ data offset past the end of the file
    damaged,         // compressed data that no encoder writes (bad codes, blocks)
};

// A fixed English text for a status, never null.
const char* statusText(Status status);

// The three containers, told apart by their first eight bytes.
enum class Format { unknown, szdd, sz, kwaj };
Format detectFormat(std::span<const std::uint8_t> start);

// The two starts of the LZSS ring: SZDD (and nothing else) writes the first
// byte to slot 4096 - 16, SZ and KWAJ method 2 to slot 4096 - 18.
enum class Lzss { szdd, sz };

struct Header {
    std::uint8_t method = kMethodA;
    std::uint8_t missingChar = 0; // the name's replaced last character, or 0
    std::uint32_t length = 0;     // expanded length; decoders do not trust it
};

// Writes the 14 header bytes into `out`.
void writeHeader(const Header& header, std::span<std::uint8_t, kHeaderSize> out);

// Reads a header from the first bytes of a file. Returns ok, notSzdd or
// unknownMethod; `header` is filled only on ok.
Status readHeader(std::span<const std::uint8_t> data, Header& header);

// The SZ header: magic and expanded length. readSzHeader returns ok or notSz;
// `length` is set only on ok.
void writeSzHeader(std::uint32_t length, std::span<std::uint8_t, kSzHeaderSize> out);
Status readSzHeader(std::span<const std::uint8_t> data, std::uint32_t& length);

// Receives output; returns false to stop the codec (reported as sinkFailed).
using Sink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Expands an LZSS stream fed in chunks of any size.
class Decoder {
public:
    explicit Decoder(Sink sink, Lzss variant = Lzss::szdd);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Decodes a chunk of the stream. Returns ok or sinkFailed.
    Status feed(std::span<const std::uint8_t> chunk);
    // Ends the stream and flushes. Returns ok, truncated (the input ended
    // inside a match) or sinkFailed.
    Status finish();
    // Bytes handed to the sink so far.
    std::uint64_t produced() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Compresses into an LZSS stream fed in chunks of any size.
class Encoder {
public:
    explicit Encoder(Sink sink, Lzss variant = Lzss::szdd);
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    // Compresses a chunk. Returns ok, tooLarge (more than kMaxLength bytes in
    // all) or sinkFailed.
    Status feed(std::span<const std::uint8_t> chunk);
    // Ends the stream and flushes. Returns ok or sinkFailed.
    Status finish();
    // Source bytes taken so far.
    std::uint64_t consumed() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Whole-buffer conveniences: header and stream together.
// Returns ok or tooLarge; `out` holds a complete SZDD file on ok.
Status compress(std::span<const std::uint8_t> source, std::uint8_t missingChar,
                std::vector<std::uint8_t>& out);
// Returns ok, notSzdd, unknownMethod or truncated; `out` holds what was
// expanded (also on truncated, up to the cut).
Status expand(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& out);

// The same for SZ files. compressSz returns ok or tooLarge; expandSz ok, notSz
// or truncated (`out` then holds the bytes up to the cut).
Status compressSz(std::span<const std::uint8_t> source, std::vector<std::uint8_t>& out);
Status expandSz(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& out);

} // namespace szdd
