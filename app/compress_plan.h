// SPDX-License-Identifier: GPL-3.0-or-later
// What a Compress run will do, worked out before anything is written: each
// selected file's batch lines and output, the files left out and why, and
// the one question before existing files are replaced.
#pragma once

#include "core/compress_batch.h"
#include "failures/runtime_error.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

class QWidget;
class frmMain;

namespace crunchwise::commands {

// The captured selection and destination of a run, names as the host's
// bytes. Entry i of each list belongs to the i-th selected file.
struct CompressSelection {
    QStringList names;                   // as listed (lstLongName)
    std::vector<std::string> paths;      // lstToCompress
    std::vector<std::string> shortNames; // lstDOSName
    std::vector<std::string> longNames;  // lstLongName
    std::string shortFolder;             // txtDOSPath
    std::string shortDestination;        // txtShortPathName
    QString destination;                 // txtLongPathName, for the question
};
CompressSelection captureSelection(const frmMain& form);

// The name of a selection entry as the user knows it, for messages.
std::string displayName(const CompressSelection& selection, std::size_t entry);

struct CompressFile {
    std::size_t entry = 0; // in the selection
    std::string output;    // the compressed file's path
    BatchLines lines;
};

struct CompressPlan {
    std::vector<CompressFile> files;            // to compress, in selection order
    std::map<std::size_t, FileFailure> refused; // left out, by entry, each with why
    std::size_t declined = 0;                   // left out because the user would not replace
};

// Plans the entries `wanted` of `selection` (in order). Left out and named:
// a file whose name no batch line can carry (52) or that has no short name
// (5), one whose output is a selected file (58), and one whose output an
// earlier file of the selection already gives (58). When outputs exist,
// askToReplace() asks once over `parent`; No leaves them and their sources
// out (not a failure). Checks are made against the whole selection, so that
// planning a part of it (a retry) refuses what the whole would.
CompressPlan planCompress(QWidget* parent, const CompressSelection& selection,
                          const std::vector<std::size_t>& wanted);

} // namespace crunchwise::commands
