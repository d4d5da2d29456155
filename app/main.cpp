// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"
#include "common/app_info.h"
#include "platform/files/file_name_codec.h"
#include "platform/files/folder_reader.h"
#include "platform/files/path_kind.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QUrl>
#include <cstdio>
#include <optional>

namespace {
// Qt would abort with a long trace when no display can be reached.
bool displayAvailable() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

// Each argument as the file list decodes names, so that a path that is not
// UTF-8 still names its own file.
QStringList argumentList(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << crunchwise::FileNameCodec::decode(argv[i], qstrlen(argv[i]));
    return arguments;
}

// A file: address as the path it names, its percent-encoded bytes kept exactly.
QString localPath(const QString& given) {
    const QUrl url(given);
    if (!given.startsWith(QLatin1String("file:"), Qt::CaseInsensitive) || !url.isLocalFile())
        return given;
    return crunchwise::FileNameCodec::decode(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

void print(FILE* stream, const QString& text) {
    std::fputs(crunchwise::FileNameCodec::encode(text).constData(), stream);
}

class CommandLine {
public:
    CommandLine() {
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

    // --help and --version, before any display is needed. Returns the exit
    // code when one of them was given. A command line that does not parse
    // yet may hold Qt's own options (-platform, -style): the application
    // object takes those out first.
    std::optional<int> answerAlone(const QStringList& arguments) {
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

    // The absolute path to open (empty for none), or the exit code of a
    // wrong command line or a path that does not exist.
    std::optional<int> readPath(const QStringList& arguments, QString& path) {
        if (!parser_.parse(arguments) || parser_.positionalArguments().size() > 1) {
            const QString why = parser_.errorText().isEmpty()
                                    ? QStringLiteral("give at most one path")
                                    : parser_.errorText();
            print(stderr, QStringLiteral("crunchwise: %1\nTry 'crunchwise --help'.\n").arg(why));
            return 2;
        }
        if (parser_.positionalArguments().isEmpty())
            return std::nullopt;
        // A file: address too; made absolute, since a running copy has its own current folder.
        const QString given = parser_.positionalArguments().first();
        path = crunchwise::FolderReader::normalized(localPath(given));
        if (crunchwise::pathKind(path) != crunchwise::PathKind::Missing)
            return std::nullopt;
        print(stderr, QStringLiteral("crunchwise: %1: no such file or folder\n").arg(given));
        return 1;
    }

private:
    QCommandLineParser parser_;
    const QCommandLineOption help_{{QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Show this help and exit.")};
    const QCommandLineOption version_{{QStringLiteral("v"), QStringLiteral("version")},
                                      QStringLiteral("Show the version and exit.")};
};
} // namespace

int main(int argc, char* argv[]) {
    CommandLine commandLine;
    if (const auto code = commandLine.answerAlone(argumentList(argc, argv)))
        return *code;
    if (!displayAvailable()) {
        std::fputs("crunchwise: no display to show the window on (set DISPLAY)\n", stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(crunchwise::AppInfo::kTitle));
    QApplication::setApplicationVersion(QStringLiteral(CRUNCHWISE_VERSION));
    // The application object has taken out the options it knows.
    QString path;
    if (const auto code = commandLine.readPath(argumentList(argc, argv), path))
        return *code;

    frmMain window;
    if (window.Form_Load(path) == frmMain::LoadOutcome::HandedOff)
        return 0;
    if (!path.isEmpty())
        window.openPath(path);
    window.show();
    return QApplication::exec();
}
