// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file or an address the way the desktop shell does.
#pragma once

#include <QProcess>
#include <memory>
#include <string>

class QWidget;

namespace crunchwise {

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;

// Results of 32 and below are failures.
inline constexpr int SE_ERR_FNF = 2; // file not found
inline constexpr int SE_ERR_PNF = 3; // path (working folder) not found
inline constexpr int ERROR_BAD_FORMAT = 11;
inline constexpr int SE_ERR_NOASSOC = 31; // nothing handles it
inline constexpr int kShellExecuteOk = 42;

// Opens `file`:
// - a launcher file (name ending in ".pif", any letter case): starts the
//   program it names with its arguments, followed by the words of
//   `parameters`, in `directory` (the current folder when empty), detached
//   and without a terminal window;
// - a web address (http:, https:, ftp:) or a mailto: address: hands it to
//   the desktop (browser, mail program);
// - any other existing file: opens it with the desktop's program for it.
// `owner` and `showCommand` are accepted for the caller's sake and unused.
// `operation` must be null, empty or "open".
// Returns kShellExecuteOk (above 32) on success, SE_ERR_FNF (2) when the file
// or the program that a launcher file names is missing, SE_ERR_PNF (3) when
// `directory` is missing, ERROR_BAD_FORMAT (11) for a malformed launcher file,
// SE_ERR_NOASSOC (31) when nothing handles the file or address, or the
// operation is not "open".
int ShellExecuteA(QWidget* owner, const char* operation, const std::string& file,
                  const char* parameters, const std::string& directory, int showCommand);

// ShellExecuteExA: the request and what comes back, as the original
// platform's SHELLEXECUTEINFO carries them.
inline constexpr unsigned SEE_MASK_NOCLOSEPROCESS = 0x40;
struct SHELLEXECUTEINFOA {
    unsigned fMask = 0;
    QWidget* hwnd = nullptr;
    const char* lpVerb = nullptr;
    std::string lpFile;
    const char* lpParameters = nullptr;
    std::string lpDirectory;
    int nShow = SW_HIDE;
    int hInstApp = 0;                   // out: what ShellExecuteA would return
    std::unique_ptr<QProcess> hProcess; // out: see below
};

// As ShellExecuteA. With SEE_MASK_NOCLOSEPROCESS, a launcher file's program
// is not detached but handed back in hProcess, already started: it runs in a
// process group of its own, its standard input is empty, and its standard
// output and error are read through hProcess, whose finished() tells its end.
// hProcess stays null for anything else. Returns true when hInstApp is above
// 32. Destroying a running hProcess kills its program at once: stop it with
// TerminateProcess and wait for it first.
bool ShellExecuteExA(SHELLEXECUTEINFOA& info);

// Asks a program that ShellExecuteExA started, and every program it started
// in turn, to stop (SIGTERM to its process group). True when delivered.
bool TerminateProcess(QProcess& process);

} // namespace crunchwise
