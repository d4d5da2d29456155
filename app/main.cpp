// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"
#include "common/app_info.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>

namespace {
// Qt would abort with a long trace when no display can be reached.
bool displayAvailable() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

// The command line is read before the application object exists, so that
// --version and --help work without a display.
QStringList argumentList(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// A local path or a file: address, made absolute: a running copy has its
// own current folder.
QString absolutePath(const QString& argument) {
    const QUrl url(argument);
    const QString local = url.isLocalFile() ? url.toLocalFile() : argument;
    return QFileInfo(local).absoluteFilePath();
}

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}
} // namespace

int main(int argc, char* argv[]) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Compress and expand SZDD files (names ending in \"_\")."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("path"),
                                 QStringLiteral("A folder to open, or a file to select in its "
                                                "folder. A running copy opens it instead."),
                                 QStringLiteral("[path]"));
    const QStringList arguments = argumentList(argc, argv);
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        print(stderr, QStringLiteral("crunchwise: ") +
                          (parser.errorText().isEmpty() ? QStringLiteral("give at most one path")
                                                        : parser.errorText()) +
                          QStringLiteral("\nTry 'crunchwise --help'.\n"));
        return 2;
    }
    if (parser.isSet(help)) {
        print(stdout, parser.helpText().replace(arguments.first(), QStringLiteral("crunchwise")));
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("crunchwise " CRUNCHWISE_VERSION "\n"));
        return 0;
    }
    QString path;
    if (!parser.positionalArguments().isEmpty()) {
        path = absolutePath(parser.positionalArguments().first());
        if (!QFileInfo::exists(path)) {
            print(stderr, QStringLiteral("crunchwise: ") + parser.positionalArguments().first() +
                              QStringLiteral(": no such file or folder\n"));
            return 1;
        }
    }
    if (!displayAvailable()) {
        std::fputs("crunchwise: no display to show the window on (set DISPLAY)\n", stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(crunchwise::AppInfo::kTitle));
    QApplication::setApplicationVersion(QStringLiteral(CRUNCHWISE_VERSION));

    frmMain window;
    if (window.Form_Load(path) == frmMain::LoadOutcome::HandedOff)
        return 0;
    if (!path.isEmpty())
        window.openPath(path);
    window.show();
    return QApplication::exec();
}
