// SPDX-License-Identifier: GPL-3.0-or-later
// Expand through the real window: compressed files made by our compressor
// or Debian's, and the command started from the file list's pop-up menu with
// "Expand To" answered.
#pragma once

#include "dialogs/frm_save_directory_expand.h"
#include "tests/support/window_session.h"

#include <QLineEdit>
#include <QProcess>

namespace expand_session {

using namespace command_fixture;
using crunchwise::frmSaveDirectoryExpand;

// A compressed copy of `data` at `file`, made by "ours" or "mscompress".
inline bool compressed(const QString& program, const QByteArray& data, const QString& file) {
    const QString plain = file + QStringLiteral(".plain");
    if (!writeAll(plain, data))
        return false;
    QProcess process;
    if (program == u"mscompress") {
        process.start(QStringLiteral("mscompress"), {plain});
        process.waitForFinished(20000);
        return QFile::remove(plain) && QFile::rename(plain + u'_', file);
    }
    process.start(QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/compress.exe"), {plain, file});
    process.waitForFinished(20000);
    return QFile::remove(plain) && process.exitCode() == 0;
}

// Runs Expand on the files `names` of `folder` from the pop-up menu;
// `answer` answers "Expand To". Returns once the command has ended.
inline std::unique_ptr<frmMain> expand(const QString& folder, const QStringList& names,
                                       const std::function<void(frmSaveDirectoryExpand*)>& answer) {
    auto window = windowOn(folder);
    QList<int> rows;
    for (const QString& name : names)
        rows << rowOf(window->File1, name);
    selectRows(window->File1, rows);
    whenOpen<frmSaveDirectoryExpand>(answer);
    choosePopUpItem(QStringLiteral("Expand"));
    rightClickFileList(*window);
    return window;
}

inline void acceptProposal(frmSaveDirectoryExpand* dialog) {
    dialog->cmdSave->click();
}

// Answers "Expand To" with the name `name` in the dialog's folder.
inline std::function<void(frmSaveDirectoryExpand*)> saveAs(const QString& name) {
    return [name](frmSaveDirectoryExpand* dialog) {
        dialog->txtFileName->setText(name);
        dialog->cmdSave->click();
    };
}

// The hidden files of `folder` (the temporaries of a write in progress).
inline QStringList hiddenFiles(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\."));
}

} // namespace expand_session
