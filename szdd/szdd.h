// SPDX-License-Identifier: GPL-3.0-or-later
// The SZDD codec: buffers in, buffers out. No files, no printing, no Qt.
//
// An SZDD file is a 14-byte header followed by an LZSS stream. The encoder
// and decoder below work on the stream alone and keep constant memory, so
// callers can feed a file of any size chunk by chunk; the header is read
// and written separately because its length field must be known up front.
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
// Largest source the 32-bit length field can describe.
inline constexpr std::uint64_t kMaxLength = 0xFFFFFFFFu;

// Every failure of the codec, one list for codes and names.
enum class Status {
    ok,
    notSzdd,       // fewer than 14 bytes, or the magic differs
    unknownMethod, // SZDD magic, but a method other than 'A'
    truncated,     // the stream ends inside a match
    tooLarge,      // a source longer than kMaxLength
    sinkFailed,    // the sink refused the output
};

// A fixed English text for a status, never null.
const char* statusText(Status status);

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

// Receives output; returns false to stop the codec (reported as sinkFailed).
using Sink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Expands an LZSS stream fed in chunks of any size.
class Decoder {
public:
    explicit Decoder(Sink sink);
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
    explicit Encoder(Sink sink);
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

} // namespace szdd
