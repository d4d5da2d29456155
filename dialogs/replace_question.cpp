// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/replace_question.h"

#include "common/app_info.h"
#include "common/file_name_codec.h"
#include "common/message_box.h"
#include "failures/runtime_error.h"

namespace crunchwise::commands {

bool askToReplace(QWidget* parent, const QString& folder, const QStringList& names) {
    std::vector<std::string> lines;
    for (const QString& name : names)
        lines.push_back(FileNameCodec::displayText(name).toStdString());
    const bool one = names.size() == 1;
    // The folder as the user knows it, without the separator a dialog added.
    const QString place = FileNameCodec::displayText(
        folder.size() > 1 && folder.endsWith(u'/') ? folder.chopped(1) : folder);
    const QString text =
        (one ? QStringLiteral("1 file already exists in %1:").arg(place)
             : QStringLiteral("%1 files already exist in %2:").arg(names.size()).arg(place)) +
        QStringLiteral("\r\n\r\n") + QString::fromStdString(listWithLimit(lines)) +
        QStringLiteral("\r\n\r\n") +
        (one ? QStringLiteral("Replace it?") : QStringLiteral("Replace them?"));
    return MessageBox::show(parent, QMessageBox::Question, AppInfo::title(), text,
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) == QMessageBox::Yes;
}

} // namespace crunchwise::commands
