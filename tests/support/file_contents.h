// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads and writes, and reproducible test data. The file functions
// throw std::runtime_error when the file cannot be read or written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace crunchwise::testing {

using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const std::filesystem::path& file);
std::string readText(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const Bytes& data);
void writeText(const std::filesystem::path& file, const std::string& text);

// Data that compresses partly: runs of repeated words mixed with noise, so
// both matches and literals occur, including matches at every distance.
Bytes testData(std::size_t size, unsigned seed = 1);

} // namespace crunchwise::testing
