// SPDX-License-Identifier: GPL-3.0-or-later
// Rename (command index 5): the current file gets the name that the user
// types; another file of that name is never replaced.
#include "app/file_commands.h"
#include "app/frm_main.h"
#include "common/file_name_codec.h"
#include "errors/error_trap.h"
#include "failures/runtime_error.h"
#include "platform/no_replace_rename.h"
#include "widgets/dir_list_box.h"
#include "widgets/file_list_box.h"

#include <QInputDialog>

namespace crunchwise::commands {

namespace {
// The text-input box: the typed text, or empty for Cancel.
QString InputBox(QWidget* owner, const QString& prompt, const QString& title,
                 const QString& defaultText) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, defaultText, &accepted);
    return accepted ? text : QString();
}

std::string shown(const QString& name) {
    return FileNameCodec::displayText(name).toStdString();
}

// A name that would reach another folder, or none, moves nothing.
void checkNewName(const QString& name) {
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0)) || name == QLatin1String(".") ||
        name == QLatin1String(".."))
        throw RuntimeError(ErrorNumber::BadName, "Bad file name: \"" + shown(name) +
                                                     "\" (a name may not hold \"/\" or be "
                                                     "\".\" or \"..\")");
}

// Renames `oldName` in `folder` to `newName`; the same name is no change at
// all. Raises a failure that names both.
void Name(const QString& folder, const QString& oldName, const QString& newName) {
    const std::string from = FileNameCodec::hostPath(folder + QLatin1Char('/') + oldName);
    const std::string to = FileNameCodec::hostPath(folder + QLatin1Char('/') + newName);
    if (from == to)
        return;
    if (const int error = renameNoReplace(from, to); error != 0) {
        const int number = runtimeErrorFromErrno(error);
        throw RuntimeError(number, "Cannot rename \"" + shown(oldName) + "\" to \"" +
                                       shown(newName) + "\": " + runtimeErrorText(number));
    }
}

// The file at `index` becomes current again; a list that has shrunk below it
// (the file vanished) gets its last file instead.
void makeCurrent(FileListBox& list, int index) {
    if (list.listCount() > 0)
        list.setListIndex(std::min(index, list.listCount() - 1));
}
} // namespace

void Rename(frmMain& form) {
    ErrorTrap trap(form.objectName() + QLatin1String("mPopUp2_Click"));
    if (trap.test([&] { return form.File1->listIndex() < 0; }))
        return;
    QString answer;
    trap.step([&] {
        answer = InputBox(&form, QStringLiteral("Enter New Filename"),
                          QStringLiteral("File Rename"), form.File1->list(form.File1->listIndex()));
    });
    if (trap.test([&] { return answer.isEmpty(); }))
        return;
    QString folder;
    trap.step([&] { folder = form.Dir1->path(); });
    int index = -1;
    trap.step([&] { index = form.File1->listIndex(); });
    QString oldName;
    trap.step([&] { oldName = form.File1->list(form.File1->listIndex()); });
    // A name with bytes that are not UTF-8 comes back unchanged as it was
    // shown, with stand-ins for those bytes.
    if (answer == FileNameCodec::displayText(oldName))
        answer = oldName;
    trap.step([&] {
        checkNewName(answer);
        Name(folder, oldName, answer);
    });
    trap.step([&] { form.File1->refresh(); });
    trap.step([&] { makeCurrent(*form.File1, index); });
}

} // namespace crunchwise::commands
