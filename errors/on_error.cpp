// SPDX-License-Identifier: GPL-3.0-or-later
#include "on_error.h"

#include "common/app_info.h"
#include "common/message_box.h"
#include "errors/current_failure.h"
#include "errors/error_log_path.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QLocale>

namespace OnError {

namespace {
// The one number with a text of its own.
constexpr int kNoDiskInDrive = crunchwise::ErrorNumber::BadFileName;
const QString kCrLf = QStringLiteral("\r\n");

int beeps = 0;

void beep() {
    ++beeps;
    QApplication::beep();
}

QString messageFor(int number, const QString& description) {
    return number == kNoDiskInDrive ? QStringLiteral("No Disk in Drive") : description;
}
} // namespace

QString logMessage(const QString& errorTag, int number, const QString& description) {
    return errorTag + QStringLiteral(" - ") + messageFor(number, description) +
           QStringLiteral(" (") + QString::number(number) + QStringLiteral(")");
}

QString dialogText(int number, const QString& description) {
    return QStringLiteral("Error Number: ") + QString::number(number) + kCrLf + kCrLf +
           messageFor(number, description) + kCrLf + kCrLf +
           QStringLiteral("Please press Retry to try again or Cancel") + kCrLf +
           QStringLiteral("to abort the operation");
}

int HandleError(const QString& errorTag) {
    const int number = crunchwise::CurrentFailure::number();
    const QString description = QString::fromStdString(crunchwise::CurrentFailure::description());
    beep();
    WriteErrorLog(logMessage(errorTag, number, description));
    beep();
    const auto answer = crunchwise::MessageBox::show(
        QApplication::activeWindow(), QMessageBox::Critical, QStringLiteral("System Error!"),
        dialogText(number, description), QMessageBox::Retry | QMessageBox::Cancel,
        QMessageBox::Retry);
    return answer == QMessageBox::Retry ? vbRetry : vbCancel;
}

void WriteErrorLog(const QString& message) {
    QFile log(errorLogPath());
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const QString line = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat) +
                         QLatin1Char(' ') + message + kCrLf;
    log.write(line.toLocal8Bit());
    log.close();
}

int beepCount() {
    return beeps;
}

} // namespace OnError
