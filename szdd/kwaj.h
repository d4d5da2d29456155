// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ files: buffers in, buffers out. No files, no printing, no Qt.
//
// A KWAJ file is a header (a fixed part, then optional fields that its
// flags announce) and, from the header's data offset on, the data in one of
// five methods. As for SZDD, the header is read and written apart from the
// data, and KwajDecoder / KwajEncoder take the data in chunks of any size
// with constant memory, handing output to a Sink.
#pragma once

#include "szdd/szdd.h"

#include <optional>
#include <string>

namespace szdd {

namespace detail {
class StreamStage;
} // namespace detail

enum class KwajMethod : std::uint16_t {
    stored = 0, // the bytes as they are
    xorFF = 1,  // every byte XOR 0xFF
    lzss = 2,   // the LZSS stream of SZ (ring start 4096 - 18)
    lzh = 3,    // LZ77 with five static Huffman codes
    mszip = 4,  // blocks of deflate, each up to 32 KiB of output
};
inline constexpr std::uint16_t kKwajLastMethod = 4;

inline constexpr std::size_t kKwajFixedHeaderSize = 14;
// The longest header the optional fields allow; the data offset field stops
// a written one at 65535 bytes.
inline constexpr std::size_t kKwajMaxHeaderSize = 14 + 4 + 2 + 2 + 65535 + 9 + 4 + 2 + 65535;
inline constexpr std::size_t kKwajMaxName = 8;
inline constexpr std::size_t kKwajMaxExtension = 3;

// Header flags: which optional fields follow the fixed part, in this order.
namespace kwajFlag {
inline constexpr std::uint16_t length = 0x01;       // 4 bytes: expanded length
inline constexpr std::uint16_t unknown2 = 0x02;     // 2 bytes of unknown use
inline constexpr std::uint16_t unknownBlock = 0x04; // 16-bit length, that many bytes
inline constexpr std::uint16_t name = 0x08;         // up to 8 bytes and a NUL
inline constexpr std::uint16_t extension = 0x10;    // up to 3 bytes and a NUL
inline constexpr std::uint16_t extraText = 0x20;    // 16-bit length, that much text
} // namespace kwajFlag

struct KwajHeader {
    KwajMethod method = KwajMethod::lzh;
    std::uint16_t dataOffset = 0; // read: as stored; written: the header's size
    std::uint16_t flags = 0;      // read: as stored; written: from the fields below
    std::optional<std::uint32_t> length;
    std::optional<std::string> name;      // as stored, without its NUL
    std::optional<std::string> extension; // as stored, without its NUL
    std::optional<std::vector<std::uint8_t>> extraText;
};

// Reads the header from `start`, the first bytes of a file of `fileSize`
// bytes; `start` must hold the whole file or at least its first
// kKwajMaxHeaderSize bytes. Returns ok, notKwaj (fewer than 8 bytes, other
// magic), headerTruncated (the file ends inside the header, or fewer than two
// bytes are left for a name or extension field), badName (no NUL within 9
// name or 4 extension bytes), unknownMethod (above 4) or badDataOffset (past
// the end of the file). `header` is filled only on ok.
Status readKwajHeader(std::span<const std::uint8_t> start, std::uint64_t fileSize,
                      KwajHeader& header);

// Appends the header to `out`: the fields present set their flags, an empty
// name or extension is left out, and dataOffset is the header's size.
// Returns ok, badName (name over 8 or extension over 3 bytes, or a NUL in
// either) or tooLarge (the header would pass 65535 bytes); `out` is
// untouched on failure.
Status writeKwajHeader(const KwajHeader& header, std::vector<std::uint8_t>& out);

// Expands a KWAJ data stream (what follows the data offset) fed in chunks.
class KwajDecoder {
public:
    KwajDecoder(KwajMethod method, Sink sink);
    ~KwajDecoder();
    KwajDecoder(const KwajDecoder&) = delete;
    KwajDecoder& operator=(const KwajDecoder&) = delete;

    // Decodes a chunk. Returns ok, damaged (bad Huffman codes, a deflate
    // error, a block without "CK" or over 32 KiB) or sinkFailed.
    Status feed(std::span<const std::uint8_t> chunk);
    // Ends the data and flushes. Returns ok, truncated (the data ends inside
    // an item, the code tables or a block), damaged or sinkFailed.
    Status finish();
    // Bytes handed to the sink so far.
    std::uint64_t produced() const;

private:
    std::unique_ptr<detail::StreamStage> stage_;
    std::uint64_t produced_ = 0;
    Status status_ = Status::ok;
};

// Compresses into a KWAJ data stream fed in chunks.
class KwajEncoder {
public:
    KwajEncoder(KwajMethod method, Sink sink);
    ~KwajEncoder();
    KwajEncoder(const KwajEncoder&) = delete;
    KwajEncoder& operator=(const KwajEncoder&) = delete;

    // Compresses a chunk. Returns ok, tooLarge (more than kMaxLength bytes in
    // all; nothing of the chunk is taken) or sinkFailed.
    Status feed(std::span<const std::uint8_t> chunk);
    // Ends the data and flushes. Returns ok or sinkFailed.
    Status finish();
    // Source bytes taken so far.
    std::uint64_t consumed() const;

private:
    std::unique_ptr<detail::StreamStage> stage_;
    std::uint64_t consumed_ = 0;
    Status status_ = Status::ok;
};

// A whole KWAJ file of `source`: `header` gives the method, name, extension
// and extra text; the expanded length is stored. Returns ok, badName or
// tooLarge; `out` holds the file on ok.
Status compressKwaj(std::span<const std::uint8_t> source, const KwajHeader& header,
                    std::vector<std::uint8_t>& out);
// Expands a whole KWAJ file; `header`, when given, receives its header.
// Returns what readKwajHeader and KwajDecoder return; `out` holds what was
// expanded (on truncated or damaged, the bytes before the fault).
Status expandKwaj(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& out,
                  KwajHeader* header = nullptr);

// Expands a whole file of any of the three formats. Returns notCompressed
// for none of them, else what expand, expandSz or expandKwaj returns.
Status expandAny(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& out);

} // namespace szdd
