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
        {"sz", Format::sz, KwajMethod::lzss},
        {"kwajStored", Format::kwaj, KwajMethod::stored},
        {"kwajXor", Format::kwaj, KwajMethod::xorFF},
        {"kwajLzss", Format::kwaj, KwajMethod::lzss},
        {"kwajLzh", Format::kwaj, KwajMethod::lzh},
        {"kwajMszip", Format::kwaj, KwajMethod::mszip},
    };
    return formats;
}

Bytes compressAs(const Writable& format, const Bytes& source) {
    Bytes file;
    szdd::Status status = szdd::Status::ok;
    if (format.format == szdd::Format::sz) {
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
    if (format.format == szdd::Format::sz) {
        szdd::Encoder encoder(appendTo(out), szdd::Lzss::sz);
        status = runChunked(encoder, source, chunkSizes);
    } else {
        szdd::KwajEncoder encoder(format.method, appendTo(out));
        status = runChunked(encoder, source, chunkSizes);
        if (encoder.consumed() != source.size())
            throw std::runtime_error("encoder miscounted");
    }
    if (status != szdd::Status::ok)
        throw std::runtime_error("encoder failed");
    return out;
}

szdd::Status expandChunked(const Bytes& file, const std::vector<std::size_t>& chunkSizes,
                           Bytes& out) {
    out.clear();
    if (szdd::detectFormat(file) == szdd::Format::sz) {
        std::uint32_t length = 0;
        if (const szdd::Status s = szdd::readSzHeader(file, length); s != szdd::Status::ok)
            return s;
        szdd::Decoder decoder(appendTo(out), szdd::Lzss::sz);
        return runChunked(decoder, Bytes(file.begin() + szdd::kSzHeaderSize, file.end()),
                          chunkSizes);
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
