// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "platform/files/file_name_codec.h"

#include <QDir>
#include <QUrl>
#include <climits>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise {

namespace {
// `given` (a path or a file: address) as an absolute path, its bytes kept.
QString absolutePath(const QString& given) {
    const QUrl url(given);
    QString path = given;
    if (url.isLocalFile())
        path = FileNameCodec::decode(
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    if (!path.startsWith(QLatin1Char('/'))) {
        char current[PATH_MAX];
        if (::getcwd(current, sizeof current))
            path = FileNameCodec::decode(QByteArray(current)) + QLatin1Char('/') + path;
    }
    return QDir::cleanPath(path);
}

bool exists(const QString& path) {
    struct stat info {};
    return ::stat(FileNameCodec::encode(path).constData(), &info) == 0;
}

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

// The arguments as the file list names files: a path that is not UTF-8
// keeps its bytes.
QStringList argumentList(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << FileNameCodec::decode(QByteArray(argv[i]));
    return arguments;
}

CommandLine::CommandLine() {
    parser_.setApplicationDescription(
        QStringLiteral("Compress and expand SZDD files (names ending in \"_\")."));
    // Options of our own: Qt's need the application object, and so a display.
    parser_.addOptions({help_, version_});
    parser_.addPositionalArgument(QStringLiteral("path"),
                                  QStringLiteral("A folder to open, or a file to select in "
                                                 "its folder. A running copy opens it "
                                                 "instead."),
                                  QStringLiteral("[path]"));
}

std::optional<int> CommandLine::answerAlone(const QStringList& arguments) {
    if (!parser_.parse(arguments))
        return std::nullopt;
    if (parser_.isSet(help_)) {
        print(stdout, parser_.helpText().replace(QStringLiteral("<executable_name>"),
                                                 QStringLiteral("crunchwise")));
        return 0;
    }
    if (parser_.isSet(version_)) {
        print(stdout, QStringLiteral("crunchwise " CRUNCHWISE_VERSION "\n"));
        return 0;
    }
    return std::nullopt;
}

std::optional<int> CommandLine::readPath(const QStringList& arguments, QString& path) {
    if (!parser_.parse(arguments) || parser_.positionalArguments().size() > 1) {
        const QString why = parser_.errorText().isEmpty() ? QStringLiteral("give at most one path")
                                                          : parser_.errorText();
        print(stderr, QStringLiteral("crunchwise: %1\nTry 'crunchwise --help'.\n").arg(why));
        return 2;
    }
    if (parser_.positionalArguments().isEmpty())
        return std::nullopt;
    // A file: address too; made absolute, since a running copy has its own current folder.
    const QString given = parser_.positionalArguments().first();
    path = absolutePath(given);
    if (exists(path))
        return std::nullopt;
    print(stderr, QStringLiteral("crunchwise: %1: no such file or folder\n")
                      .arg(FileNameCodec::displayText(given)));
    return 1;
}

} // namespace crunchwise
