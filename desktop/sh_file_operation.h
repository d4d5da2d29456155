// SPDX-License-Identifier: GPL-3.0-or-later
// The shell's file operation: here, sending files to the desktop's trash
// with one confirmation for the whole request and progress for long lists.
#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace crunchwise {

inline constexpr unsigned FO_DELETE = 0x0003;

inline constexpr std::uint16_t FOF_SILENT = 0x0004;         // no progress window
inline constexpr std::uint16_t FOF_NOCONFIRMATION = 0x0010; // no confirmation
inline constexpr std::uint16_t FOF_ALLOWUNDO = 0x0040;      // to the trash, restorable
inline constexpr std::uint16_t FOF_NOERRORUI = 0x0400;      // no report of failed items

// Results other than 0.
inline constexpr int ERROR_INVALID_PARAMETER = 87; // nothing done
inline constexpr int DE_ACCESSDENIEDSRC = 0x78;    // some items stayed where they were
inline constexpr int ERROR_CANCELLED = 1223;       // declined or cancelled

struct SHFILEOPSTRUCTA {
    QWidget* hwnd = nullptr; // owner of the confirmation and progress; may be null
    unsigned wFunc = 0;
    // Paths as the host names them (bytes, see FileNameCodec), each followed
    // by one NUL; the list ends at an empty entry or at the end of the string.
    std::string pFrom;
    std::string pTo;
    std::uint16_t fFlags = 0;
    bool fAnyOperationsAborted = false; // set when the user declined or cancelled
};

// FO_DELETE with FOF_ALLOWUNDO: asks once "move these N items to the Trash?"
// (unless FOF_NOCONFIRMATION), then moves each item into its volume's trash,
// showing progress for long lists (unless FOF_SILENT). Items that cannot be
// trashed stay where they are and are named in one warning, each with the
// reason (unless FOF_NOERRORUI). Returns 0 when every item went to the trash,
// ERROR_CANCELLED when the user declined or cancelled (items already trashed
// stay there), DE_ACCESSDENIEDSRC when some item stayed. Anything else (other
// operations, deleting for good, an empty list) is ERROR_INVALID_PARAMETER
// and touches nothing.
int SHFileOperationA(SHFILEOPSTRUCTA& request);

} // namespace crunchwise
