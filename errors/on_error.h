// SPDX-License-Identifier: GPL-3.0-or-later
// The one way run-time failures are reported: two beeps, a line in
// error.log (see error_log_path.h), and a Retry/Cancel dialog.
#pragma once

#include <QString>

namespace OnError {

// Message-box answer codes, as callers test them.
inline constexpr int vbRetry = 4;
inline constexpr int vbCancel = 2;

// Reports the current failure under `errorTag` and returns the user's
// answer: vbRetry, or vbCancel for every other way of closing the dialog.
int HandleError(const QString& errorTag);

// Appends the date, a blank and `message` to error.log. Every failure of its
// own is ignored: the log's folder may be read-only or full.
void WriteErrorLog(const QString& message);

// The texts HandleError writes and shows for failure `number`.
QString logMessage(const QString& errorTag, int number, const QString& description);
QString dialogText(int number, const QString& description);

// How often HandleError has sounded the beep in this process.
int beepCount();

} // namespace OnError
