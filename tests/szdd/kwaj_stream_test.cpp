// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ data streams made by hand, each also expanded by libmspack: MS-ZIP
// blocks from zlib's raw deflate with a preset dictionary, and LZH streams
// bit by bit.
#include "tests/support/scratch_folder.h"
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>
#include <mspack.h>
#include <zlib.h>

using namespace szdd_test;
using crunchwise::testing::ScratchFolder;

namespace {

Bytes kwajFile(szdd::KwajMethod method, const Bytes& data) {
    szdd::KwajHeader header;
    header.method = method;
    Bytes file;
    EXPECT_EQ(szdd::writeKwajHeader(header, file), szdd::Status::ok);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// One MS-ZIP block: length, "CK", raw deflate of `source` after `dictionary`.
Bytes mszipBlock(const Bytes& source, const Bytes& dictionary = {}) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY), Z_OK);
    if (!dictionary.empty())
        deflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size()));
    Bytes packed(deflateBound(&z, source.size()) + 4);
    z.next_in = const_cast<Bytef*>(source.data());
    z.avail_in = static_cast<uInt>(source.size());
    z.next_out = packed.data() + 4;
    z.avail_out = static_cast<uInt>(packed.size() - 4);
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    const std::size_t size = z.total_out + 2;
    deflateEnd(&z);
    packed.resize(size + 2);
    packed[0] = static_cast<std::uint8_t>(size);
    packed[1] = static_cast<std::uint8_t>(size >> 8);
    packed[2] = 'C';
    packed[3] = 'K';
    return packed;
}

// What libmspack makes of a vector; where it reads memory it never set, its
// answer means nothing and it is not asked.
enum class Peer { accepts, refuses, readsUnsetMemory };

using S = szdd::Status;
const Bytes none;

struct Vector {
    const char* name;
    Bytes data;
    S expected;
    Bytes out;
    Peer libmspack;
};

// Each vector of `method` expands as expected, whole and byte by byte, and
// libmspack agrees.
void checkVectors(szdd::KwajMethod method, const std::vector<Vector>& vectors) {
    ScratchFolder dir;
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.name);
        const Bytes file = kwajFile(method, v.data);
        Bytes whole, chunked, theirs;
        EXPECT_EQ(szdd::expandKwaj(file, whole), v.expected);
        EXPECT_TRUE(whole == v.out) << whole.size() << " bytes";
        EXPECT_EQ(expandChunked(file, {1}, chunked), v.expected);
        EXPECT_TRUE(chunked == v.out);
        if (v.libmspack == Peer::readsUnsetMemory)
            continue;
        const int error = expandWithLibmspack(dir.path(), file, theirs);
        EXPECT_EQ(error != MSPACK_ERR_OK, v.libmspack == Peer::refuses) << error;
        if (v.libmspack == Peer::accepts) {
            EXPECT_TRUE(theirs == v.out) << theirs.size() << " bytes from libmspack";
        }
    }
}

// Codes most significant bit first, as method 3 reads them.
class Bits {
public:
    Bits& put(unsigned value, unsigned count) {
        for (unsigned i = count; i-- > 0;) {
            if (used_ % 8 == 0)
                bytes_.push_back(0);
            bytes_.back() |= static_cast<std::uint8_t>(((value >> i) & 1) << (7 - used_ % 8));
            ++used_;
        }
        return *this;
    }
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
    unsigned used_ = 0;
};

// Deflate's bit order: values from their lowest bit, Huffman codes from
// their highest.
class DeflateBits {
public:
    DeflateBits& put(unsigned value, unsigned count) {
        for (unsigned i = 0; i < count; ++i, ++used_) {
            if (used_ % 8 == 0)
                bytes_.push_back(0);
            bytes_.back() |= static_cast<std::uint8_t>(((value >> i) & 1) << (used_ % 8));
        }
        return *this;
    }
    DeflateBits& code(unsigned code, unsigned length) {
        for (unsigned i = length; i-- > 0;)
            put(code >> i, 1);
        return *this;
    }
    // A symbol of the fixed literal/length code.
    DeflateBits& fixed(unsigned symbol) {
        return symbol < 144   ? code(0x30 + symbol, 8)
               : symbol < 256 ? code(0x190 + symbol - 144, 9)
               : symbol < 280 ? code(symbol - 256, 7)
                              : code(0xC0 + symbol - 280, 8);
    }
    // The bits as one MS-ZIP block.
    Bytes block() const {
        const std::size_t length = bytes_.size() + 2;
        return Bytes{static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8), 'C',
                     'K'} +
               bytes_;
    }

private:
    Bytes bytes_;
    unsigned used_ = 0;
};

// A block that copies 'A' with length symbol 286 and distance 1, under
// dynamic codes that give a length to all 288 length and 32 distance symbols.
Bytes lengthSymbol286() {
    DeflateBits b;
    b.put(1, 1).put(2, 2).put(31, 5).put(31, 5).put(6, 4);
    // Code-length code, in its order 16 17 18 0 8 7 9 6 10 5: 8 in one bit, 5 and 9 in two.
    for (const unsigned length : {0, 0, 0, 0, 1, 0, 2, 0, 0, 2})
        b.put(length, 3);
    for (unsigned i = 0; i < 320; ++i) // 224 lengths of 8, 64 of 9, 32 of 5
        i < 224 ? b.code(0, 1) : i < 288 ? b.code(3, 2) : b.code(2, 2);
    // 'A' and 256 take codes 65 and 448 + 32; 286 is 448 + 62.
    b.code('A', 8).code(448 + 62, 9).code(0, 5).code(448 + 32, 9);
    return b.block();
}

// A fixed-code block that copies from distance symbol 30 (24577 back).
Bytes distanceSymbol30() {
    DeflateBits b;
    b.put(1, 1).put(1, 2).fixed('A').fixed(257).code(30, 5).put(0, 13).fixed(256);
    return b.block();
}

// One stored deflate block of `data`, its length field `extra` bytes long.
Bytes storedBlock(const Bytes& data, std::size_t extra) {
    const auto n = static_cast<unsigned>(data.size());
    DeflateBits b;
    b.put(1, 1).put(0, 7).put(n, 16).put(~n, 16);
    Bytes block = b.block() + data;
    block[0] = static_cast<std::uint8_t>(block.size() - 2 + extra);
    block[1] = static_cast<std::uint8_t>((block.size() - 2 + extra) >> 8);
    return block;
}

// The block with its length field changed by `delta`.
Bytes withLength(Bytes block, int delta) {
    const int length = block[0] + 256 * block[1] + delta;
    block[0] = static_cast<std::uint8_t>(length);
    block[1] = static_cast<std::uint8_t>(length >> 8);
    return block;
}

// Six types of 0: every code has its fixed length (4, 4, 5, 6, 8 bits), so
// a symbol's code is the symbol itself.
Bits fixedCodes() {
    Bits b;
    b.put(0, 24);
    return b;
}

} // namespace

TEST(KwajStream, MszipBlocksMadeWithZlib) {
    const Bytes first = makeText(32768, 51);
    const Bytes second = first + Bytes{}; // refers to the whole first block
    const Bytes tail = makeText(100, 52);
    const Bytes two = mszipBlock(first) + mszipBlock(second, first);
    const Bytes overFull = mszipBlock(makeText(32769, 53));
    checkVectors(szdd::KwajMethod::mszip,
                 {
                     {"noBlocks", {0, 0}, S::ok, none, Peer::accepts},
                     {"twoBlocksSharingHistory", two + mszipBlock(tail, second) + Bytes{0, 0},
                      S::ok, first + second + tail, Peer::accepts},
                     {"withoutTheClosingZero", mszipBlock(tail), S::ok, tail, Peer::accepts},
                     {"garbageAfterTheEnd", mszipBlock(tail) + Bytes{0, 0, 'x', 'y'}, S::ok, tail,
                      Peer::accepts},
                     {"lengthCutToZero", mszipBlock(tail) + Bytes{0}, S::ok, tail, Peer::accepts},
                     {"lengthCut", mszipBlock(tail) + Bytes{7}, S::truncated, tail, Peer::refuses},
                     {"noSignature", {4, 0, 'C', 'X', 3, 0}, S::damaged, none, Peer::refuses},
                     {"blockOver32KiB", overFull, S::damaged, none, Peer::refuses},
                     {"historyBeforeTheFirstBlock", mszipBlock(tail, first), S::damaged, none,
                      Peer::readsUnsetMemory},
                     {"badBlockType", {3, 0, 'C', 'K', 0x07}, S::damaged, none, Peer::refuses},
                     {"cutInsideTheSecondBlock", Bytes(two.begin(), two.end() - 50), S::truncated,
                      first, Peer::refuses},
                 });
}

// A block after a short one may refer to what that one wrote at the start
// of the frame, but not to the frame bytes no block has written; each case
// through libdeflate (dynamic codes) and through zlib (fixed codes).
TEST(KwajStream, MszipHistoryAfterAShortBlock) {
    const Bytes shortBlock = makeText(32000, 58);
    const Bytes unset = makeText(768, 59); // where the frame holds bytes never written
    const Bytes frame = shortBlock + Bytes(768, 0);
    const Bytes written = Bytes(shortBlock.begin() + 1000, shortBlock.begin() + 1100);
    const Bytes fresh = makeText(8000, 60);
    auto file = [&](const Bytes& second, const Bytes& dictionary) {
        return mszipBlock(shortBlock) + mszipBlock(second, dictionary) + Bytes{0, 0};
    };
    checkVectors(szdd::KwajMethod::mszip,
                 {
                     {"writtenThroughLibdeflate", file(written + fresh, frame), S::ok,
                      shortBlock + written + fresh, Peer::accepts},
                     {"writtenThroughZlib", file(written, frame), S::ok, shortBlock + written,
                      Peer::accepts},
                     {"neverWrittenThroughLibdeflate", file(unset + fresh, shortBlock + unset),
                      S::damaged, shortBlock, Peer::readsUnsetMemory},
                     {"neverWrittenThroughZlib",
                      file(Bytes(unset.begin(), unset.begin() + 200), shortBlock + unset),
                      S::damaged, shortBlock, Peer::readsUnsetMemory},
                 });
}

// The deflate stream, not the length field, says where a block ends; and
// symbols only libdeflate takes are refused, as libmspack and zlib refuse them.
TEST(KwajStream, MszipBlocksDecidedByTheirStreams) {
    const Bytes first = makeText(32768, 54);
    const Bytes tail = makeText(100, 55);
    const Bytes other = makeText(300, 56);
    const Bytes stored = makeRandom(1000, 57);
    const Bytes end = {0, 0};
    // After the stored block the frame holds it, then the rest of the first block.
    const Bytes frame = stored + Bytes(first.begin() + 1000, first.end());
    const Bytes echo = Bytes(stored.begin(), stored.begin() + 200) +
                       Bytes(first.begin() + 9000, first.begin() + 9300);
    checkVectors(
        szdd::KwajMethod::mszip,
        {
            {"lengthShortOfTheStream",
             withLength(mszipBlock(first), -40) + mszipBlock(tail, first) + end, S::ok,
             first + tail, Peer::accepts},
            {"lengthPastTheStream", withLength(mszipBlock(tail), 6) + mszipBlock(other) + end,
             S::ok, tail + other, Peer::accepts},
            {"storedLengthPastTheStream", storedBlock(stored, 9) + end, S::ok, stored,
             Peer::accepts},
            {"storedAfterHistory",
             mszipBlock(first) + storedBlock(stored, 0) + mszipBlock(echo, frame) + end, S::ok,
             first + stored + echo, Peer::accepts},
            {"lengthSymbol286", lengthSymbol286() + end, S::damaged, none, Peer::refuses},
            {"distanceSymbol30", mszipBlock(first) + distanceSymbol30() + end, S::damaged, first,
             Peer::refuses},
        });
}

TEST(KwajStream, LzhStreamsMadeBitByBit) {
    // A literal run of 3 ("ABC"), a match of 4 at distance 3, two runs of one.
    // The last literal is read with fewer than 16 bits left, so no item
    // follows, though the 5 bits that fill the last byte would start one.
    Bits abc = fixedCodes();
    abc.put(0, 4).put(2, 5).put('A', 8).put('B', 8).put('C', 8);
    abc.put(2, 4).put(0, 6).put(3, 6); // second match-length code: a match of 4
    abc.put(0, 4).put(0, 5).put('!', 8);
    abc.put(0, 4).put(0, 5).put('Z', 8);

    // Distance 0 is 4096 back: blanks at the start, a match of 17.
    Bits blanks = fixedCodes();
    blanks.put(15, 4).put(0, 6).put(0, 6).put(0, 4).put(0, 5).put('z', 8);

    // Type 3 lengths that do not make a complete code.
    Bits incomplete;
    incomplete.put(3, 4).put(0, 20);
    for (int i = 0; i < 16; ++i)
        incomplete.put(5, 4);

    Bits type4;
    type4.put(4, 4).put(0, 20).put(0, 32);
    Bits cutInLengths;
    cutInLengths.put(3, 4).put(0, 20).put(4, 4);

    Bytes blanksOut(17, ' ');
    blanksOut.push_back('z');
    checkVectors(szdd::KwajMethod::lzh,
                 {
                     {"empty", none, S::ok, none, Peer::accepts},
                     {"endsWithinTheTypes", {0x00, 0x00}, S::ok, none, Peer::accepts},
                     {"tablesOnly", fixedCodes().bytes(), S::ok, none, Peer::accepts},
                     {"runsAndAMatch", abc.bytes(), S::ok,
                      Bytes{'A', 'B', 'C', 'A', 'B', 'C', 'A', '!', 'Z'}, Peer::accepts},
                     {"distanceZeroReadsBlanks", blanks.bytes(), S::ok, blanksOut, Peer::accepts},
                     {"incompleteCode", incomplete.bytes(), S::damaged, none, Peer::refuses},
                     {"typeFour", type4.bytes(), S::damaged, none, Peer::readsUnsetMemory},
                 });
    Bytes out;
    EXPECT_EQ(szdd::expandKwaj(kwajFile(szdd::KwajMethod::lzh, cutInLengths.bytes()), out),
              S::truncated);
}
