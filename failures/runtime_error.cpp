// SPDX-License-Identifier: GPL-3.0-or-later
#include "failures/runtime_error.h"

#include <cerrno>
#include <utility>

namespace crunchwise {

RuntimeError::RuntimeError(int number) : RuntimeError(number, runtimeErrorText(number)) {}

RuntimeError::RuntimeError(int number, std::string description)
    : number_(number), description_(std::move(description)) {}

std::string runtimeErrorText(int number) {
    switch (number) {
    case 3:
        return "Return without GoSub";
    case 5:
        return "Invalid procedure call or argument";
    case 6:
        return "Overflow";
    case 7:
        return "Out of memory";
    case 9:
        return "Subscript out of range";
    case 11:
        return "Division by zero";
    case 13:
        return "Type mismatch";
    case 28:
        return "Out of stack space";
    case 48:
        return "Error in loading DLL";
    case 51:
        return "Internal error";
    case 52:
        return "Bad file name or number";
    case 53:
        return "File not found";
    case 54:
        return "Bad file mode";
    case 55:
        return "File already open";
    case 57:
        return "Device I/O error";
    case 58:
        return "File already exists";
    case 61:
        return "Disk full";
    case 62:
        return "Input past end of file";
    case 64:
        return "Bad file name";
    case 67:
        return "Too many files";
    case 68:
        return "Device unavailable";
    case 70:
        return "Permission denied";
    case 71:
        return "Disk not ready";
    case 74:
        return "Can't rename with different drive";
    case 75:
        return "Path/File access error";
    case 76:
        return "Path not found";
    case 91:
        return "Object variable or With block variable not set";
    case 321:
        return "Invalid file format";
    case 380:
        return "Invalid property value";
    default:
        return "Application-defined or object-defined error";
    }
}

int runtimeErrorFromErrno(int hostError) {
    using namespace ErrorNumber;
    switch (hostError) {
    case ENOENT:
        return FileNotFound;
    case ENOTDIR:
    case ELOOP:
        return PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return PermissionDenied;
    case EEXIST:
    case ENOTEMPTY:
        return FileExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return DiskFull;
    case EIO:
        return DeviceIO;
    case ENOMEDIUM:
        return BadFileName; // no medium in the drive
    case ENODEV:
    case ENXIO:
    case ESTALE:
    case ENOTCONN:
        return DeviceUnavailable;
    case EAGAIN:
    case ETIMEDOUT:
        return DiskNotReady;
    case EXDEV:
        return RenameAcrossDrives;
    case ENAMETOOLONG:
    case EILSEQ:
        return BadName;
    case EMFILE:
    case ENFILE:
        return TooManyFiles;
    case ENOMEM:
        return OutOfMemory;
    case EINVAL:
        return InvalidArgument;
    case EOVERFLOW:
        return Overflow;
    default:
        return PathFileAccess;
    }
}

std::string listWithLimit(const std::vector<std::string>& lines, std::size_t most) {
    std::string text;
    const std::size_t shown = lines.size() > most ? most - 1 : lines.size();
    for (std::size_t i = 0; i < shown; ++i)
        text += (i ? "\r\n" : "") + lines[i];
    if (shown < lines.size())
        text += "\r\nand " + std::to_string(lines.size() - shown) + " more";
    return text;
}

RuntimeError filesFailure(const std::string& heading, std::vector<FileFailure> files) {
    std::vector<std::string> lines;
    for (const FileFailure& file : files)
        lines.push_back(file.file + ": " + file.reason);
    const std::string list = listWithLimit(lines);
    RuntimeError failure(files.empty() ? ErrorNumber::InternalError : files.front().number,
                         heading.empty() ? list : heading + "\r\n" + list);
    failure.files_ = std::move(files);
    return failure;
}

void raiseFilesFailure(const std::string& heading, std::vector<FileFailure> files) {
    throw filesFailure(heading, std::move(files));
}

void raiseRuntimeError(int number) {
    throw RuntimeError(number);
}

void raiseHostError(int hostError) {
    raiseRuntimeError(runtimeErrorFromErrno(hostError));
}

} // namespace crunchwise
