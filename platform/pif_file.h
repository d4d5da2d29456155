// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher file crunchws.pif: a small text file beside the program that
// names the program to run and its arguments, for example
//
//     # Crunchwise launcher
//     program=crunchws-cmd
//     arguments=/c _tempcom.bat
//
// Lines are "key=value"; blank lines and lines starting with "#" or ";" are
// comments. `program` is required and, when relative, names a file relative
// to the folder of the launcher file; `arguments` is optional and split into
// words by the command interpreter's quoting. No other keys are allowed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace crunchwise {

struct PifFile {
    std::filesystem::path program; // absolute, or relative to the current folder
    std::vector<std::string> arguments;
};

struct PifReadResult {
    enum class Status { ok, notFound, malformed };
    Status status = Status::ok;
    std::string error; // why, for notFound and malformed
    PifFile pif;       // filled on ok
};

// Parses the text of a launcher file that lies in `folder`. Returns ok with
// the program path resolved against `folder`, or malformed with the reason
// (a line without "=", an unknown or repeated key, no program).
PifReadResult parsePifFile(std::string_view text, const std::filesystem::path& folder);

// Reads and parses the launcher file `path`. Returns notFound when it cannot
// be read, malformed when it is larger than 64 KiB or does not parse.
PifReadResult readPifFile(const std::filesystem::path& path);

} // namespace crunchwise
