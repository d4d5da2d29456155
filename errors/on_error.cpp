// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors/on_error.h"

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

QString dialogWithMessage(int number, const QString& message) {
    return QStringLiteral("Error Number: ") + QString::number(number) + kCrLf + kCrLf + message +
           kCrLf + kCrLf + QStringLiteral("Please press Retry to try again or Cancel") + kCrLf +
           QStringLiteral("to abort the operation");
}

// A failed run's lines name its files, whatever their numbers.
QString fileLine(const QString& errorTag, const crunchwise::FileFailure& file) {
    return errorTag + QStringLiteral(" - ") + QString::fromStdString(file.file) +
           QStringLiteral(": ") + QString::fromStdString(file.reason) + QStringLiteral(" (") +
           QString::number(file.number) + QStringLiteral(")");
}
} // namespace

QString logMessage(const QString& errorTag, int number, const QString& description) {
    return errorTag + QStringLiteral(" - ") + messageFor(number, description) +
           QStringLiteral(" (") + QString::number(number) + QStringLiteral(")");
}

QString dialogText(int number, const QString& description) {
    return dialogWithMessage(number, messageFor(number, description));
}

int HandleError(const QString& errorTag) {
    const int number = crunchwise::CurrentFailure::number();
    const QString description = QString::fromStdString(crunchwise::CurrentFailure::description());
    const std::vector<crunchwise::FileFailure> files = crunchwise::CurrentFailure::files();
    beep();
    if (files.empty())
        WriteErrorLog(logMessage(errorTag, number, description));
    for (const crunchwise::FileFailure& file : files)
        WriteErrorLog(fileLine(errorTag, file));
    beep();
    const auto answer = crunchwise::MessageBox::show(
        QApplication::activeWindow(), QMessageBox::Critical, QStringLiteral("System Error!"),
        files.empty() ? dialogText(number, description) : dialogWithMessage(number, description),
        QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry);
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
