// SPDX-License-Identifier: GPL-3.0-or-later
// The run-time failure: a classic BASIC run-time error number and its text.
// Qt-free, so that the host layer and the command-line tools can raise it.
#pragma once

#include <exception>
#include <string>

namespace crunchwise {

class RuntimeError : public std::exception {
public:
    // A failure with the standard description of `number`.
    explicit RuntimeError(int number);
    RuntimeError(int number, std::string description);

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    int number_;
    std::string description_;
};

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
inline constexpr int TooManyFiles = 67;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int RenameAcrossDrives = 74;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidPropertyValue = 380;
} // namespace ErrorNumber

// The run-time library's description of `number`; numbers without a text of
// their own get "Application-defined or object-defined error".
std::string runtimeErrorText(int number);

// Maps a host error (errno value) onto the classic number.
int runtimeErrorFromErrno(int hostError);

[[noreturn]] void raiseRuntimeError(int number);
// Raises the failure that matches `hostError` (an errno value).
[[noreturn]] void raiseHostError(int hostError);

} // namespace crunchwise
