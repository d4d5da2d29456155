// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/szdd/format_test_data.h"

#include <mspack.h>

#include <stdexcept>

using crunchwise::testing::readBytes;
using crunchwise::testing::writeBytes;

namespace szdd_test {

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
