// SPDX-License-Identifier: GPL-3.0-or-later
// The run-time failure: a classic BASIC run-time error number and its text.
// Qt-free, so that the host layer and the command-line tools can raise it.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

namespace crunchwise {

// One file of a run that failed, and why.
struct FileFailure {
    std::string file;   // the name as the user knows it (UTF-8)
    int number = 0;     // the run-time number
    std::string reason; // what went wrong, in words
};

class RuntimeError : public std::exception {
public:
    // A failure with the standard description of `number`.
    explicit RuntimeError(int number);
    RuntimeError(int number, std::string description);

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }
    // The files of a run that failed, each with its own number and reason;
    // empty for the failure of a single step.
    const std::vector<FileFailure>& files() const noexcept { return files_; }

private:
    friend RuntimeError filesFailure(const std::string&, std::vector<FileFailure>);

    int number_;
    std::string description_;
    std::vector<FileFailure> files_;
};

// How many names a message lists before it says "and N more": what fits on
// a screen.
inline constexpr std::size_t kScreenfulOfNames = 15;

// `lines` joined by CR LF; past `most` of them, the rest is counted in one
// last line "and N more".
std::string listWithLimit(const std::vector<std::string>& lines,
                          std::size_t most = kScreenfulOfNames);

// The failure of a run over several files (`files` not empty): its number is
// the first file's, its description `heading` followed by one line
// "FILE: reason" per file, listed with a limit.
RuntimeError filesFailure(const std::string& heading, std::vector<FileFailure> files);

// Classic numbers used across the program.
namespace ErrorNumber {
inline constexpr int InvalidArgument = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int InternalError = 51;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIO = 57;
inline constexpr int FileExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEnd = 62;
inline constexpr int TooManyFiles = 67;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int BadName = 64; // a name the host refuses, or one we may not use
inline constexpr int RenameAcrossDrives = 74;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidFileFormat = 321; // damaged compressed data
inline constexpr int InvalidPropertyValue = 380;
} // namespace ErrorNumber

// The run-time library's description of `number`; numbers without a text of
// their own get "Application-defined or object-defined error".
std::string runtimeErrorText(int number);

// Maps a host error (errno value) onto the classic number.
int runtimeErrorFromErrno(int hostError);

[[noreturn]] void raiseRuntimeError(int number);
// Raises filesFailure(heading, files).
[[noreturn]] void raiseFilesFailure(const std::string& heading, std::vector<FileFailure> files);
// Raises the failure that matches `hostError` (an errno value).
[[noreturn]] void raiseHostError(int hostError);

} // namespace crunchwise
