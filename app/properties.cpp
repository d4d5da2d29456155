// SPDX-License-Identifier: GPL-3.0-or-later
// Properties (command index 7): when the current file was last changed and
// how large it is; for a compressed file, also its format and the name and
// size it expands to.
#include "app/compressed_header.h"
#include "app/file_commands.h"
#include "app/frm_main.h"
#include "common/file_name_codec.h"
#include "common/message_box.h"
#include "core/expanded_name.h"
#include "desktop/files/path_kind.h"
#include "errors/error_trap.h"
#include "failures/runtime_error.h"
#include "widgets/file_list_box.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <sys/stat.h>

namespace crunchwise::commands {

namespace {
// The general date: the short date and the long time (without a time zone),
// the time left out at exactly midnight.
QString generalDate(const QDateTime& when) {
    const QLocale locale;
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    const QTime time = when.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    static const QRegularExpression zone(QStringLiteral("(^|\\s+)t+(?=\\s|$)"));
    const QString format = locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
    return date + QLatin1Char(' ') + locale.toString(time, format);
}

// "###,###": grouped by threes with the locale's separator; 0 gives nothing.
QString groupedSize(qint64 size) {
    return size == 0 ? QString() : QLocale().toString(size);
}

// For a compressed file, what it is and what it expands to: "Compressed:
// KWAJ method 3 (LZH), expands to SETUP.EXE, 1,234 bytes". Empty for any
// other file, and for one whose header cannot be read.
QString compressedLine(const QString& path, const QString& name) {
    CompressedInfo info;
    if (readHeaderAt(path, info) != 0 || info.format == szdd::Format::unknown)
        return {};
    QString line = QStringLiteral("\nCompressed: ") +
                   QString::fromStdString(formatAndMethodText(info)) + QStringLiteral(", ");
    if (info.header != szdd::Status::ok)
        return line + QStringLiteral("cannot be expanded: ") +
               QString::fromUtf8(szdd::statusText(info.header));
    line += QStringLiteral("expands to ") +
            FileNameCodec::displayText(FileNameCodec::fromHostPath(
                ProposedExpandedName(FileNameCodec::hostPath(name), info))) +
            QStringLiteral(", ");
    return line + (info.expandedLength
                       ? QLocale().toString(*info.expandedLength) + QStringLiteral(" bytes")
                       : QStringLiteral("size not stored in the file"));
}

// The text of the box for file `name` at `path`; a file that cannot be read
// raises a failure that names it.
QString propertiesText(const QString& path, const QString& name) {
    struct stat info {};
    if (const int error = statPath(path, info); error != 0) {
        const int number = runtimeErrorFromErrno(error);
        throw RuntimeError(number, "\"" + FileNameCodec::displayText(name).toStdString() +
                                       "\": " + runtimeErrorText(number));
    }
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
    return QStringLiteral("Last Modified: ") + generalDate(modified) + QLatin1Char('\n') +
           QStringLiteral("File Size: ") + groupedSize(info.st_size) + QStringLiteral(" bytes") +
           compressedLine(path, name);
}
} // namespace

void Properties(frmMain& form) {
    ErrorTrap trap(form.objectName() + QLatin1String("mPopUp2_Click"));
    if (trap.test([&] { return form.File1->listIndex() < 0; }))
        return;
    QString name;
    trap.step([&] { name = form.File1->list(form.File1->listIndex()); });
    QString path;
    trap.step([&] { path = form.File1->path() + QLatin1Char('/') + name; });
    trap.step([&] {
        MessageBox::show(&form, QMessageBox::Information, FileNameCodec::displayText(name),
                         propertiesText(path, name));
    });
}

} // namespace crunchwise::commands
