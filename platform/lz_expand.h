// SPDX-License-Identifier: GPL-3.0-or-later
// The LZ expansion library: open a file for reading (an SZDD, SZ or KWAJ
// file is read expanded), create a destination, copy one into the other,
// close.
//
// Handles are non-negative; failures are the negative LZERROR_* codes. The
// functions are safe to call from several threads.
//
// A destination opened with OF_CREATE is written under a temporary name in
// its folder and moved over the named file only at LZClose, so an existing
// file is never lost to a failed copy: after a failed LZCopy the previous
// file (or its absence) stays as it was. Closed without a failed copy, the
// handle leaves the file created, or emptied when nothing was copied.
// Expanding a file onto itself is therefore safe too. A character device or
// a pipe as destination is written in place instead (see ReplacingFile).
//
// Beyond the platform's library: LZCopy reports an expansion whose length
// differs from the header's (LZERROR_BADLENGTH), a refused header or damaged
// data (LZERROR_DAMAGED), and a copy stopped by LZStop (LZERROR_STOPPED);
// LZCopyInfo and LZLastError tell the details.
#pragma once

#include "szdd/szdd.h"

#include <cstdint>
#include <string>

namespace crunchwise {

// The open-file record: callers pass one; nothing in it is read.
struct OFSTRUCT {
    std::uint8_t cBytes = 0;
};

inline constexpr int OF_READ = 0;
inline constexpr int OF_CREATE = 0x1000;

inline constexpr int LZERROR_BADINHANDLE = -1;
inline constexpr int LZERROR_BADOUTHANDLE = -2;
inline constexpr int LZERROR_READ = -3;
inline constexpr int LZERROR_WRITE = -4;
inline constexpr int LZERROR_GLOBALLOC = -5;
inline constexpr int LZERROR_GLOBLOCK = -6;
inline constexpr int LZERROR_BADVALUE = -7;
inline constexpr int LZERROR_UNKNOWNALG = -8;
// Codes of our own.
inline constexpr int LZERROR_BADLENGTH = -9; // expanded length differs from the header's
inline constexpr int LZERROR_STOPPED = -10;  // LZStop ended the copy
inline constexpr int LZERROR_DAMAGED = -11;  // a refused header or damaged data

// Opens `name`. With OF_READ an SZDD (method 'A'), SZ or KWAJ (methods 0 to
// 4) file is read expanded, any other file as it is; with OF_CREATE the file is created, or an
// existing one replaced (see above). Returns a handle, LZERROR_BADINHANDLE (-1) for a missing or
// unreadable file or a destination that cannot be created (missing folder, folder not writable, an
// existing file that may not be written, a name too long or otherwise invalid, a folder, socket or
// block device of that name, a link loop or a link to a missing file), or LZERROR_BADVALUE (-7) for
// any other style.
int LZOpenFileA(const std::string& name, OFSTRUCT& record, int style);

// Writes the expanded contents of `source` (read from its start) into
// `destination`, which receives the source's modification time. Returns the
// number of bytes written, or LZERROR_BADINHANDLE (-1) when `source` is no
// open OF_READ handle, LZERROR_BADOUTHANDLE (-2) when `destination` is no
// open OF_CREATE handle (or one whose earlier copy failed), LZERROR_READ (-3)
// for a read failure or a source that changed while it was read,
// LZERROR_WRITE (-4) for a write failure (a full disk, for example),
// LZERROR_GLOBALLOC (-5) when out of memory, LZERROR_UNKNOWNALG (-8) for an
// SZDD file of another method than 'A' or a KWAJ file of a method above 4,
// LZERROR_BADLENGTH (-9) when the expansion is not as long as the header
// says (SZDD, SZ, and KWAJ files that store their length; the file was cut
// short or is damaged, or its compressor wrote a wrong length: they cannot
// be told apart), LZERROR_STOPPED (-10) when LZStop stopped it, and
// LZERROR_DAMAGED (-11) for a header that is refused (cut short, a KWAJ name
// or extension without its NUL, a KWAJ data offset past the end) or data
// that no compressor writes (bad codes or blocks, or a KWAJ file without a
// stored length whose data ends inside an item); LZCopyInfo's `damage` says
// which. After LZERROR_BADLENGTH, and LZERROR_DAMAGED of damaged data, the
// destination holds what could be expanded, and LZClose moves it into place
// only when no file lay at the destination's name when it was opened; an
// existing file is never replaced by it. After a refused header nothing is
// written. Memory use does not depend on the file size.
std::int64_t LZCopy(int source, int destination);

// Asks a copy into `destination` that runs on another thread to stop: it
// ends within one 64 KiB piece of the source with LZERROR_STOPPED, and a copy
// started later on that handle stops at once. Returns 0, or
// LZERROR_BADOUTHANDLE when `destination` is no open OF_CREATE handle.
int LZStop(int destination);

// What the last LZCopy into `destination` found.
struct LZCOPYINFO {
    std::uint64_t written = 0;      // bytes written (also after BADLENGTH and DAMAGED)
    bool compressed = false;        // the source was compressed and was expanded, not copied
    std::uint32_t headerLength = 0; // the expanded length its header gives; 0 when none
    bool replacesExisting = false;  // a file lay at the destination's name when opened
    szdd::Format format = szdd::Format::unknown; // the source's format (unknown: copied)
    int method = 0;                              // SZDD 'A'; KWAJ 0-4 (or the unknown one); SZ 0
    // Why, after LZERROR_DAMAGED (headerTruncated, badName, badDataOffset,
    // truncated, damaged) and LZERROR_UNKNOWNALG (unknownMethod); else ok.
    // szdd::statusText gives its text.
    szdd::Status damage = szdd::Status::ok;
};
// Fills `info`. Returns 0, or LZERROR_BADOUTHANDLE when `destination` is no
// open OF_CREATE handle.
int LZCopyInfo(int destination, LZCOPYINFO& info);

// The host's error value (errno) behind the last LZ call of this thread:
// why a file could not be opened, created, read, written or moved into
// place; 0 when that call succeeded or failed for no reason the host gave.
int LZLastError();

// Closes either kind of handle; an OF_CREATE handle moves its file into place
// unless its copy failed (see LZCopy for LZERROR_BADLENGTH). Returns 0,
// LZERROR_BADINHANDLE (-1) for a handle that is not open, or LZERROR_WRITE
// (-4) when the file could not be moved into place (the previous file is
// then left as it was; a file that appeared at a new destination's name
// meanwhile is not replaced either).
int LZClose(int handle);

} // namespace crunchwise
