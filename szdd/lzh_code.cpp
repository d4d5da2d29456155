// SPDX-License-Identifier: GPL-3.0-or-later
#include "szdd/lzh_code.h"

#include <algorithm>
#include <queue>

namespace szdd::lzh {

namespace {

// Depth of every leaf of a Huffman tree over `counts` (0 for unused symbols).
std::vector<std::uint8_t> huffmanDepths(std::span<const std::uint32_t> counts) {
    struct Node {
        std::uint64_t weight;
        int index;
        bool operator>(const Node& other) const {
            return weight != other.weight ? weight > other.weight : index > other.index;
        }
    };
    std::priority_queue<Node, std::vector<Node>, std::greater<>> queue;
    std::vector<int> parent(2 * counts.size(), -1);
    for (std::size_t s = 0; s < counts.size(); ++s)
        if (counts[s] != 0)
            queue.push({counts[s], static_cast<int>(s)});
    int next = static_cast<int>(counts.size());
    while (queue.size() > 1) {
        const Node a = queue.top();
        queue.pop();
        const Node b = queue.top();
        queue.pop();
        parent[static_cast<std::size_t>(a.index)] = next;
        parent[static_cast<std::size_t>(b.index)] = next;
        queue.push({a.weight + b.weight, next++});
    }
    std::vector<std::uint8_t> depth(counts.size(), 0);
    for (std::size_t s = 0; s < counts.size(); ++s) {
        if (counts[s] != 0) {
            unsigned d = 0;
            for (int n = parent[s]; n != -1; n = parent[static_cast<std::size_t>(n)])
                ++d;
            depth[s] = static_cast<std::uint8_t>(std::min(d, 255u));
        }
    }
    return depth;
}

} // namespace

std::vector<std::uint8_t> codeLengths(std::span<const std::uint32_t> counts, unsigned maxLength) {
    std::vector<std::uint32_t> flattened(counts.begin(), counts.end());
    for (;;) {
        std::vector<std::uint8_t> lengths = huffmanDepths(flattened);
        if (*std::max_element(lengths.begin(), lengths.end()) <= maxLength)
            return lengths;
        // Too deep: flatten the counts and build again; all ones make a balanced tree.
        for (auto& c : flattened)
            c = c == 0 ? 0 : (c >> 1) | 1;
    }
}

std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths) {
    std::array<std::uint32_t, kMaxCodeLength + 2> count{};
    for (const std::uint8_t l : lengths)
        if (l >= 1 && l <= kMaxCodeLength)
            ++count[l];
    std::array<std::uint32_t, kMaxCodeLength + 2> next{};
    std::uint32_t code = 0;
    for (unsigned l = 1; l <= kMaxCodeLength; ++l) {
        code = (code + count[l - 1]) << 1;
        next[l] = code;
    }
    std::vector<std::uint16_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] >= 1 && lengths[s] <= kMaxCodeLength)
            codes[s] = static_cast<std::uint16_t>(next[lengths[s]]++);
    return codes;
}

bool CodeTable::build(std::span<const std::uint8_t> lengths) {
    count_.fill(0);
    std::uint64_t space = 0; // in units of 2^-kMaxCodeLength
    for (const std::uint8_t l : lengths) {
        if (l >= 1 && l <= kMaxCodeLength) {
            ++count_[l];
            space += std::uint64_t{1} << (kMaxCodeLength - l);
        }
    }
    if (space != (std::uint64_t{1} << kMaxCodeLength))
        return false;
    const std::vector<std::uint16_t> codes = canonicalCodes(lengths);
    fast_.fill(0);
    sorted_.assign(lengths.size(), 0);
    std::uint32_t at = 0;
    for (unsigned l = 1; l <= kMaxCodeLength; ++l) {
        start_[l] = at;
        first_[l] = ~0u;
        for (std::size_t s = 0; s < lengths.size(); ++s) {
            if (lengths[s] != l)
                continue;
            first_[l] = std::min<std::uint32_t>(first_[l], codes[s]);
            sorted_[at++] = static_cast<std::uint16_t>(s);
            if (l <= kFastBits) {
                const unsigned from = codes[s] << (kFastBits - l);
                std::fill_n(fast_.begin() + from, 1u << (kFastBits - l),
                            static_cast<std::uint16_t>(s << 5 | l));
            }
        }
    }
    return true;
}

CodeTable::Symbol CodeTable::decodeLong(unsigned next16) const {
    for (unsigned l = kFastBits + 1; l <= kMaxCodeLength; ++l) {
        const std::uint32_t code = next16 >> (16 - l);
        if (count_[l] != 0 && code - first_[l] < count_[l])
            return {sorted_[start_[l] + code - first_[l]], l};
    }
    return {0, kMaxCodeLength}; // unreachable for a complete code
}

} // namespace szdd::lzh
