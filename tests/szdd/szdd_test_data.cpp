// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/szdd/szdd_test_data.h"

#include <mspack.h>

#include <array>
#include <random>
#include <stdexcept>

using crunchwise::testing::readBytes;
using crunchwise::testing::writeBytes;

namespace szdd_test {

Bytes makeText(std::size_t size, unsigned seed) {
    static const std::array<const char*, 24> words = {
        "the",    "archive", "file",    "is", "compressed", "and",     "setup", "program",
        "driver", "of",      "window",  "a",  "copy",       "expands", "into",  "disk",
        "when",   "install", "version", "to", "system",     "names",   "with",  "library"};
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const char* word = words[rng() % words.size()];
        out.insert(out.end(), word, word + std::char_traits<char>::length(word));
        out.push_back(rng() % 11 == 0 ? '\n' : ' ');
    }
    out.resize(size);
    return out;
}

Bytes makeRandom(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

Bytes makePieces(std::size_t size, unsigned seed, std::size_t maxPiece) {
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        const std::size_t piece = 1 + rng() % maxPiece;
        const unsigned kind = out.empty() ? 0 : rng() % 4;
        if (kind == 0) {
            const Bytes noise = makeRandom(piece, rng());
            out.insert(out.end(), noise.begin(), noise.end());
        } else if (kind == 1) {
            out.insert(out.end(), piece, rng() % 3 ? 0 : ' ');
        } else {
            const std::size_t back = 1 + rng() % std::min<std::size_t>(5000, out.size());
            for (std::size_t i = 0; i < piece; ++i)
                out.push_back(out[out.size() - back]);
        }
    }
    out.resize(size);
    return out;
}

const std::vector<Sample>& samples() {
    static const std::vector<Sample> all = [] {
        Bytes runs(70000, 0);
        std::fill(runs.begin() + 30000, runs.begin() + 40000, 'x');
        Bytes blanks(5000, ' ');
        blanks.push_back('!');
        return std::vector<Sample>{
            {"empty", {}},
            {"oneByte", {'a'}},
            {"thirteenBytes", makeText(13, 6)},
            {"fourteenBytes", makeText(14, 6)},
            {"sixteenBytes", makeText(16, 12)},
            {"text4095", makeText(4095, 1)},
            {"text4096", makeText(4096, 2)},
            {"text4097", makeText(4097, 3)},
            {"longRuns", runs},
            {"leadingBlanks", blanks},
            {"random", makeRandom(200000, 4)},
            {"program", makeProgram(300000, 8)},
            {"textAcrossBlocks", makeText(600000, 10)},
        };
    }();
    return all;
}

Bytes withHeader(const Bytes& stream) {
    Bytes file(szdd::kHeaderSize);
    szdd::writeHeader({szdd::kMethodA, 0, static_cast<std::uint32_t>(stream.size())},
                      std::span<std::uint8_t, szdd::kHeaderSize>(file.data(), szdd::kHeaderSize));
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

namespace {

void appendLittleEndian(Bytes& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

Bytes makeProgram(std::size_t size, unsigned seed) {
    // Common instructions' opcode bytes, lowest first.
    static const std::array<std::uint32_t, 12> opcodes = {0x55,     0xE58948, 0xEC8348, 0xE8,
                                                          0x458B48, 0x4589,   0xC3,     0x441F0F,
                                                          0x5741,   0x058D,   0xC031,   0xC08548};
    std::mt19937 rng(seed);
    Bytes out;
    std::uint64_t address = 0x401000;
    while (out.size() < size) {
        const unsigned kind = rng() % 32;
        if (kind == 0) { // padding between functions
            out.insert(out.end(), 1 + rng() % 32, rng() % 2 ? 0x00 : 0xCC);
        } else if (kind == 1) { // a table of rising addresses
            for (unsigned n = 2 + rng() % 20; n > 0; --n)
                appendLittleEndian(out, address += 8 + rng() % 64, 8);
        } else { // an instruction and an operand: none, a small one or any
            const std::uint32_t opcode = opcodes[rng() % opcodes.size()];
            appendLittleEndian(out, opcode, opcode > 0xFFFF ? 3 : opcode > 0xFF ? 2 : 1);
            const unsigned operand = rng() % 4;
            appendLittleEndian(out, operand == 3 ? rng() : rng() % 4096, operand == 0 ? 0 : 4);
        }
    }
    out.resize(size);
    return out;
}

szdd::Sink appendTo(Bytes& out) {
    return [&out](const std::uint8_t* data, std::size_t size) {
        out.insert(out.end(), data, data + size);
        return true;
    };
}

std::vector<Item> walkItems(const Bytes& stream, bool* cutInMatch) {
    std::vector<Item> items;
    std::uint64_t produced = 0;
    std::size_t at = 0;
    bool cut = false;
    while (at < stream.size() && !cut) {
        const unsigned control = stream[at++];
        for (int bit = 0; bit < 8 && at < stream.size(); ++bit) {
            Item item{at, produced, 0, 0};
            if (control & (1u << bit)) {
                ++at;
                ++produced;
            } else if (at + 1 == stream.size()) {
                cut = true;
                break;
            } else {
                item.ringPos = stream[at] | ((stream[at + 1] & 0xF0u) << 4);
                item.length = (stream[at + 1] & 0x0Fu) + 3;
                at += 2;
                produced += item.length;
            }
            items.push_back(item);
        }
    }
    if (cutInMatch)
        *cutInMatch = cut;
    return items;
}

const std::vector<Writable>& writableFormats() {
    using szdd::Format;
    using szdd::KwajMethod;
    static const std::vector<Writable> formats = {
        {"szdd", Format::szdd, KwajMethod::lzss, szdd::kHeaderSize},
        {"sz", Format::sz, KwajMethod::lzss, szdd::kSzHeaderSize},
        {"kwajStored", Format::kwaj, KwajMethod::stored, 27},
        {"kwajXor", Format::kwaj, KwajMethod::xorFF, 27},
        {"kwajLzss", Format::kwaj, KwajMethod::lzss, 27},
        {"kwajLzh", Format::kwaj, KwajMethod::lzh, 27},
        {"kwajMszip", Format::kwaj, KwajMethod::mszip, 27},
    };
    return formats;
}

Bytes compressAs(const Writable& format, const Bytes& source) {
    Bytes file;
    szdd::Status status = szdd::Status::ok;
    if (format.format == szdd::Format::szdd) {
        status = szdd::compress(source, 'x', file);
    } else if (format.format == szdd::Format::sz) {
        status = szdd::compressSz(source, file);
    } else {
        szdd::KwajHeader header;
        header.method = format.method;
        header.name = "name";
        header.extension = "txt";
        status = szdd::compressKwaj(source, header, file);
    }
    if (status != szdd::Status::ok)
        throw std::runtime_error(std::string("compress failed: ") + szdd::statusText(status));
    return file;
}

Bytes encodeDataChunked(const Writable& format, const Bytes& source,
                        const std::vector<std::size_t>& chunkSizes) {
    Bytes out;
    szdd::Status status = szdd::Status::ok;
    std::uint64_t consumed = 0;
    if (format.format == szdd::Format::kwaj) {
        szdd::KwajEncoder encoder(format.method, appendTo(out));
        status = runChunked(encoder, source, chunkSizes);
        consumed = encoder.consumed();
    } else {
        szdd::Encoder encoder(appendTo(out), format.format == szdd::Format::sz ? szdd::Lzss::sz
                                                                               : szdd::Lzss::szdd);
        status = runChunked(encoder, source, chunkSizes);
        consumed = encoder.consumed();
    }
    if (status != szdd::Status::ok || consumed != source.size())
        throw std::runtime_error("encoder failed or miscounted");
    return out;
}

szdd::Status expandChunked(const Bytes& file, const std::vector<std::size_t>& chunkSizes,
                           Bytes& out) {
    out.clear();
    if (const szdd::Format format = szdd::detectFormat(file); format != szdd::Format::kwaj) {
        const bool sz = format == szdd::Format::sz;
        std::uint32_t length = 0;
        szdd::Header header;
        if (const szdd::Status s =
                sz ? szdd::readSzHeader(file, length) : szdd::readHeader(file, header);
            s != szdd::Status::ok)
            return s;
        szdd::Decoder decoder(appendTo(out), sz ? szdd::Lzss::sz : szdd::Lzss::szdd);
        const std::size_t at = sz ? szdd::kSzHeaderSize : szdd::kHeaderSize;
        return runChunked(decoder, Bytes(file.begin() + long(at), file.end()), chunkSizes);
    }
    szdd::KwajHeader header;
    if (const szdd::Status s = szdd::readKwajHeader(file, file.size(), header);
        s != szdd::Status::ok)
        return s;
    szdd::KwajDecoder decoder(header.method, appendTo(out));
    const szdd::Status status =
        runChunked(decoder, Bytes(file.begin() + header.dataOffset, file.end()), chunkSizes);
    if (decoder.produced() != out.size())
        throw std::runtime_error("decoder miscounted");
    return status;
}

int expandWithLibmspack(const std::filesystem::path& folder, const Bytes& file, Bytes& out) {
    const std::string in = (folder / "peer.in").string();
    const std::string result = (folder / "peer.out").string();
    writeBytes(in, file);
    std::filesystem::remove(result);
    int error = MSPACK_ERR_OK;
    if (szdd::detectFormat(file) == szdd::Format::kwaj) {
        mskwaj_decompressor* kwaj = mspack_create_kwaj_decompressor(nullptr);
        error = kwaj->decompress(kwaj, in.c_str(), result.c_str());
        mspack_destroy_kwaj_decompressor(kwaj);
    } else {
        msszdd_decompressor* szdd = mspack_create_szdd_decompressor(nullptr);
        error = szdd->decompress(szdd, in.c_str(), result.c_str());
        mspack_destroy_szdd_decompressor(szdd);
    }
    out = std::filesystem::exists(result) ? readBytes(result) : Bytes{};
    return error;
}

int kwajNameByLibmspack(const std::filesystem::path& folder, const Bytes& file, std::string& name) {
    const std::string in = (folder / "header.in").string();
    writeBytes(in, file);
    mskwaj_decompressor* kwaj = mspack_create_kwaj_decompressor(nullptr);
    mskwajd_header* header = kwaj->open(kwaj, in.c_str());
    const int error = header ? MSPACK_ERR_OK : kwaj->last_error(kwaj);
    name = header && header->filename ? header->filename : "";
    if (header)
        kwaj->close(kwaj, header);
    mspack_destroy_kwaj_decompressor(kwaj);
    return error;
}

} // namespace szdd_test
