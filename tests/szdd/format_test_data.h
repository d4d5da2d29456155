// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the SZ and KWAJ tests: the formats our writer makes,
// streaming through them in chunks, and libmspack as the independent reader.
#pragma once

#include "szdd/kwaj.h"
#include "tests/szdd/szdd_test_data.h"

namespace szdd_test {

// `a` followed by `b`.
inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// SZDD, SZ, or KWAJ with one of its methods; its data starts at `dataAt`.
struct Writable {
    const char* name;
    szdd::Format format;
    szdd::KwajMethod method;
    std::size_t dataAt;
};
const std::vector<Writable>& writableFormats();

// The whole file of `source` in that format (SZDD with missing character 'x',
// KWAJ with name "name" and extension "txt"). Throws std::runtime_error when the codec fails.
Bytes compressAs(const Writable& format, const Bytes& source);
// The data after the header, compressed by the streaming encoder fed in chunks.
Bytes encodeDataChunked(const Writable& format, const Bytes& source,
                        const std::vector<std::size_t>& chunkSizes);
// Expands an SZDD, SZ or KWAJ file: header read whole, data fed to the streaming decoder in chunks.
szdd::Status expandChunked(const Bytes& file, const std::vector<std::size_t>& chunkSizes,
                           Bytes& out);

// libmspack's expansion of `file` (SZDD, SZ or KWAJ), through real files in
// `folder`. Returns libmspack's error code, MSPACK_ERR_OK (0) on success.
int expandWithLibmspack(const std::filesystem::path& folder, const Bytes& file, Bytes& out);
// libmspack's reading of a KWAJ header: its error code, and the name it
// makes ("name.ext", "" for none).
int kwajNameByLibmspack(const std::filesystem::path& folder, const Bytes& file, std::string& name);

} // namespace szdd_test
