// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/command_line.h"

#include "common/file_name_codec.h"
#include "desktop/files/file_url.h"
#include "desktop/files/folder_reader.h"
#include "desktop/files/path_kind.h"

#include <cstdio>

namespace crunchwise {

namespace {
// A file: address as the path it names, read as a dropped address is; an
// address that names no local file stays as given, and so is not found.
QString localPath(const QString& given) {
    if (!given.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return given;
    const QString path = FileUrl::localPath(FileNameCodec::encode(given));
    return path.isEmpty() ? given : path;
}

void print(FILE* stream, const QString& text) {
    std::fputs(FileNameCodec::encode(text).constData(), stream);
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
        QStringLiteral("Compress SZDD files and expand SZDD, SZ and KWAJ files (names "
                       "ending in \"_\")."));
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
    path = FolderReader::normalized(localPath(given));
    if (pathKind(path) != PathKind::Missing)
        return std::nullopt;
    print(stderr, QStringLiteral("crunchwise: %1: no such file or folder\n").arg(given));
    return 1;
}

} // namespace crunchwise
