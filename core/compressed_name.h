// SPDX-License-Identifier: GPL-3.0-or-later
// The compressed-name rule: a compressed file is named after its source with
// the last character replaced by "_". A character is a whole UTF-8 sequence
// when the name is valid UTF-8, else a single byte. Qt-free, shared by the
// window's batch writer, compress.exe and the expanded-name rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace crunchwise {

// The number of bytes of the last character of `name`: its whole UTF-8
// sequence (1 to 4 bytes) when all of `name` is valid UTF-8, else 1; 0 for
// an empty name.
std::size_t lastCharacterSize(std::string_view name);

// `name` with its last character replaced by "_": SETUP.EXE gives SETUP.EX_,
// "café" gives "caf_". An empty name stays empty (callers that need a name
// refuse it themselves).
std::string compressedName(std::string_view name);

// The byte a compressed file's header keeps of the replaced character: the
// character itself when it is one byte, else 0.
std::uint8_t missingCharacter(std::string_view name);

// Splits a file name into the name and extension that a KWAJ header stores,
// when it fits the 8.3 form: a name of 1 to 8 and an extension of 0 to 3
// characters, each a printable ASCII character other than a blank, ".",
// "/" or "\\" (README.TXT gives README and TXT). Returns false, with both
// parts empty, when it does not fit.
bool splitShortName(std::string_view fileName, std::string& name, std::string& extension);

} // namespace crunchwise
