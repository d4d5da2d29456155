// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/file_contents.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace crunchwise::testing {

Bytes readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string readText(const std::filesystem::path& file) {
    const Bytes bytes = readBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

void writeBytes(const std::filesystem::path& file, const Bytes& data) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

void writeText(const std::filesystem::path& file, const std::string& text) {
    writeBytes(file, Bytes(text.begin(), text.end()));
}

Bytes testData(std::size_t size, unsigned seed) {
    static const std::string words[] = {"SETUP ", "driver ", "\r\n", "LZ", "    ", "0123456789"};
    std::mt19937 generator(seed);
    Bytes data;
    data.reserve(size);
    while (data.size() < size) {
        if (generator() % 4 == 0) {
            data.push_back(static_cast<std::uint8_t>(generator()));
        } else {
            const std::string& word = words[generator() % std::size(words)];
            data.insert(data.end(), word.begin(), word.end());
        }
    }
    data.resize(size);
    return data;
}

} // namespace crunchwise::testing
