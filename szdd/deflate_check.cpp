// SPDX-License-Identifier: GPL-3.0-or-later
#include "szdd/deflate_check.h"

#include <algorithm>
#include <array>

namespace szdd::deflate {

namespace {

constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kMaxPrecodeBits = 7;
constexpr unsigned kPrecodeSymbols = 19;
constexpr std::array<std::uint8_t, kPrecodeSymbols> kPrecodeOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Reads the stream from the lowest bit of each byte, through a 64-bit buffer.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // The next `count` bits (at most 32), the first as the lowest; past the
    // end they read as 0.
    unsigned peek(unsigned count) {
        fill();
        return static_cast<unsigned>(bits_ & ((std::uint64_t{1} << count) - 1));
    }
    // Drops `count` bits; false when fewer are left.
    bool skip(unsigned count) {
        fill();
        if (count > held_)
            return false;
        bits_ >>= count;
        held_ -= count;
        return true;
    }
    bool take(unsigned count, unsigned& value) {
        value = peek(count);
        return skip(count);
    }

    // A stored block's lengths and data; false when they do not fit or disagree.
    bool skipStored() {
        next_ -= held_ / 8; // back to the first byte not wholly read
        bits_ = 0;
        held_ = 0;
        unsigned length = 0;
        unsigned complement = 0;
        if (!take(16, length) || !take(16, complement) || length != (~complement & 0xFFFFu))
            return false;
        next_ -= held_ / 8;
        bits_ = 0;
        held_ = 0;
        if (length > bytes_.size() - next_)
            return false;
        next_ += length;
        return true;
    }

private:
    // Makes at least 32 bits held, as far as the stream goes.
    void fill() {
        if (held_ >= 32)
            return;
        if (bytes_.size() - next_ >= 4) {
            const std::uint8_t* at = bytes_.data() + next_;
            const std::uint64_t word =
                at[0] | unsigned{at[1]} << 8 | unsigned{at[2]} << 16 | std::uint64_t{at[3]} << 24;
            bits_ |= word << held_;
            held_ += 32;
            next_ += 4;
            return;
        }
        while (held_ <= 56 && next_ < bytes_.size()) {
            bits_ |= std::uint64_t{bytes_[next_++]} << held_;
            held_ += 8;
        }
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t next_ = 0;   // the next byte to load
    std::uint64_t bits_ = 0; // loaded bits not yet taken, the next lowest
    unsigned held_ = 0;
};

// Whether the lengths (0: no code) fill the code space of `maxBits` exactly.
bool complete(std::span<const std::uint8_t> lengths, unsigned maxBits) {
    std::uint32_t space = 0;
    for (const std::uint8_t l : lengths)
        space += l == 0 ? 0 : 1u << (maxBits - l);
    return space == 1u << maxBits;
}

// The code of the code lengths, looked up by its next 7 bits. Codes are sent
// from their highest bit, so the table is indexed by codes reversed. Its
// lengths must make a complete code.
class Precode {
public:
    explicit Precode(const std::array<std::uint8_t, kPrecodeSymbols>& lengths) {
        unsigned code = 0;
        for (unsigned l = 1; l <= kMaxPrecodeBits; ++l) {
            for (unsigned s = 0; s < kPrecodeSymbols; ++s) {
                if (lengths[s] != l)
                    continue;
                unsigned reversed = 0;
                for (unsigned b = 0; b < l; ++b)
                    reversed |= ((code >> b) & 1u) << (l - 1 - b);
                for (unsigned i = reversed; i < table_.size(); i += 1u << l)
                    table_[i] = static_cast<std::uint8_t>(s << 3 | l);
                ++code;
            }
            code <<= 1;
        }
    }

    bool decode(BitReader& in, unsigned& symbol) const {
        const std::uint8_t entry = table_[in.peek(kMaxPrecodeBits)];
        symbol = entry >> 3;
        return in.skip(entry & 7u);
    }

private:
    std::array<std::uint8_t, 1u << kMaxPrecodeBits> table_{};
};

// Reads the code lengths of a dynamic block into `lengths`; false on a
// repeat with nothing before it or past the last length.
bool readLengths(BitReader& in, const Precode& precode, std::span<std::uint8_t> lengths) {
    for (std::size_t i = 0; i < lengths.size();) {
        unsigned symbol = 0;
        if (!precode.decode(in, symbol))
            return false;
        if (symbol < 16) {
            lengths[i++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        static constexpr unsigned kExtraBits[3] = {2, 3, 7};
        static constexpr unsigned kBase[3] = {3, 3, 11};
        unsigned repeat = 0;
        if (!in.take(kExtraBits[symbol - 16], repeat) || (symbol == 16 && i == 0))
            return false;
        repeat += kBase[symbol - 16];
        if (repeat > lengths.size() - i)
            return false;
        const std::uint8_t value = symbol == 16 ? lengths[i - 1] : 0;
        std::fill_n(lengths.begin() + static_cast<std::ptrdiff_t>(i), repeat, value);
        i += repeat;
    }
    return true;
}

bool dynamicHeaderAlike(BitReader& in) {
    unsigned literals = 0;
    unsigned distances = 0;
    unsigned precodeLengths = 0;
    if (!in.take(5, literals) || !in.take(5, distances) || !in.take(4, precodeLengths))
        return false;
    literals += 257;
    distances += 1;
    std::array<std::uint8_t, kPrecodeSymbols> precode{};
    for (unsigned i = 0; i < precodeLengths + 4; ++i) {
        unsigned length = 0;
        if (!in.take(3, length))
            return false;
        precode[kPrecodeOrder[i]] = static_cast<std::uint8_t>(length);
    }
    if (!complete(precode, kMaxPrecodeBits))
        return false;
    std::array<std::uint8_t, 288 + 32> lengths{};
    if (!readLengths(in, Precode(precode), std::span(lengths).first(literals + distances)))
        return false;
    std::array<std::uint8_t, 288> literal{};
    std::array<std::uint8_t, 32> distance{};
    std::copy_n(lengths.begin(), literals, literal.begin());
    std::copy_n(lengths.begin() + literals, distances, distance.begin());
    return literal[286] == 0 && literal[287] == 0 && distance[30] == 0 && distance[31] == 0 &&
           complete(literal, kMaxCodeBits) && complete(distance, kMaxCodeBits);
}

} // namespace

bool decodesAlike(std::span<const std::uint8_t> stream) {
    BitReader in(stream);
    for (;;) {
        unsigned last = 0;
        unsigned type = 0;
        if (!in.take(1, last) || !in.take(2, type))
            return false;
        if (type != 0)
            return type == 2 && last == 1 && dynamicHeaderAlike(in);
        if (!in.skipStored())
            return false;
        if (last == 1)
            return true;
    }
}

bool onlyStored(std::span<const std::uint8_t> stream, std::span<const std::uint8_t>& data) {
    constexpr std::size_t kHeader = 5; // last, type 0; the length and its complement
    if (stream.size() < kHeader || (stream[0] & 7) != 1)
        return false;
    const unsigned length = stream[1] | unsigned{stream[2]} << 8;
    const unsigned complement = stream[3] | unsigned{stream[4]} << 8;
    if (length != (~complement & 0xFFFFu) || length > 32768 || length > stream.size() - kHeader)
        return false;
    data = stream.subspan(kHeader, length);
    return true;
}

} // namespace szdd::deflate
