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

// Reads the stream a bit at a time, lowest bit of each byte first.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // The next `count` bits, the first as the lowest; false past the end.
    bool take(unsigned count, unsigned& value) {
        value = 0;
        for (unsigned i = 0; i < count; ++i, ++bit_) {
            if (bit_ >= bytes_.size() * 8) {
                return false;
            }
            value |= ((bytes_[bit_ >> 3] >> (bit_ & 7)) & 1u) << i;
        }
        return true;
    }

    // A stored block's lengths and data; false when they do not fit or disagree.
    bool skipStored() {
        bit_ = (bit_ + 7) & ~std::size_t{7};
        unsigned length = 0;
        unsigned complement = 0;
        if (!take(16, length) || !take(16, complement) || length != (~complement & 0xFFFFu)) {
            return false;
        }
        bit_ += std::size_t{length} * 8;
        return bit_ <= bytes_.size() * 8;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t bit_ = 0;
};

// Whether the lengths (0: no code) fill the code space of `maxBits` exactly.
bool complete(std::span<const std::uint8_t> lengths, unsigned maxBits) {
    std::uint32_t space = 0;
    for (const std::uint8_t l : lengths) {
        space += l == 0 ? 0 : 1u << (maxBits - l);
    }
    return space == 1u << maxBits;
}

// The code of the code lengths, decoded a bit at a time (codes are sent from
// their highest bit). Its lengths must make a complete code.
class Precode {
public:
    explicit Precode(const std::array<std::uint8_t, kPrecodeSymbols>& lengths) {
        for (const std::uint8_t l : lengths) {
            ++count_[l];
        }
        unsigned at = 0;
        for (unsigned l = 1; l <= kMaxPrecodeBits; ++l) {
            for (unsigned s = 0; s < kPrecodeSymbols; ++s) {
                if (lengths[s] == l) {
                    sorted_[at++] = static_cast<std::uint8_t>(s);
                }
            }
        }
    }

    bool decode(BitReader& in, unsigned& symbol) const {
        unsigned code = 0;
        unsigned first = 0; // the first code of the current length
        unsigned index = 0; // where that length's symbols start in sorted_
        for (unsigned l = 1; l <= kMaxPrecodeBits; ++l) {
            unsigned bit = 0;
            if (!in.take(1, bit)) {
                return false;
            }
            code |= bit;
            if (code < first + count_[l]) {
                symbol = sorted_[index + code - first];
                return true;
            }
            index += count_[l];
            first = (first + count_[l]) << 1;
            code <<= 1;
        }
        return false;
    }

private:
    std::array<unsigned, kMaxPrecodeBits + 1> count_{};
    std::array<std::uint8_t, kPrecodeSymbols> sorted_{};
};

// Reads the code lengths of a dynamic block into `lengths`; false on a
// repeat with nothing before it or past the last length.
bool readLengths(BitReader& in, const Precode& precode, std::span<std::uint8_t> lengths) {
    for (std::size_t i = 0; i < lengths.size();) {
        unsigned symbol = 0;
        if (!precode.decode(in, symbol)) {
            return false;
        }
        if (symbol < 16) {
            lengths[i++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        static constexpr unsigned kExtraBits[3] = {2, 3, 7};
        static constexpr unsigned kBase[3] = {3, 3, 11};
        unsigned repeat = 0;
        if (!in.take(kExtraBits[symbol - 16], repeat) || (symbol == 16 && i == 0)) {
            return false;
        }
        repeat += kBase[symbol - 16];
        if (repeat > lengths.size() - i) {
            return false;
        }
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
    if (!in.take(5, literals) || !in.take(5, distances) || !in.take(4, precodeLengths)) {
        return false;
    }
    literals += 257;
    distances += 1;
    std::array<std::uint8_t, kPrecodeSymbols> precode{};
    for (unsigned i = 0; i < precodeLengths + 4; ++i) {
        unsigned length = 0;
        if (!in.take(3, length)) {
            return false;
        }
        precode[kPrecodeOrder[i]] = static_cast<std::uint8_t>(length);
    }
    if (!complete(precode, kMaxPrecodeBits)) {
        return false;
    }
    std::array<std::uint8_t, 288 + 32> lengths{};
    if (!readLengths(in, Precode(precode), std::span(lengths).first(literals + distances))) {
        return false;
    }
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
        if (!in.take(1, last) || !in.take(2, type)) {
            return false;
        }
        if (type != 0) {
            return type == 2 && last == 1 && dynamicHeaderAlike(in);
        }
        if (!in.skipStored()) {
            return false;
        }
        if (last == 1) {
            return true;
        }
    }
}

bool onlyStored(std::span<const std::uint8_t> stream, std::span<const std::uint8_t>& data) {
    constexpr std::size_t kHeader = 5; // last, type 0; the length and its complement
    if (stream.size() < kHeader || (stream[0] & 7) != 1) {
        return false;
    }
    const unsigned length = stream[1] | unsigned{stream[2]} << 8;
    const unsigned complement = stream[3] | unsigned{stream[4]} << 8;
    if (length != (~complement & 0xFFFFu) || length > 32768 || length > stream.size() - kHeader) {
        return false;
    }
    data = stream.subspan(kHeader, length);
    return true;
}

} // namespace szdd::deflate
