// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line: --help, --version and the path to open.
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <optional>

namespace crunchwise {

// The arguments as the file list names files: a path that is not UTF-8
// keeps its bytes (see FileNameCodec).
QStringList argumentList(int argc, char* argv[]);

class CommandLine {
public:
    CommandLine();

    // --help and --version, before any display is needed. Returns the exit
    // code when one of them was given. A command line that does not parse
    // yet may hold Qt's own options (-platform, -style): the application
    // object takes those out first.
    std::optional<int> answerAlone(const QStringList& arguments);

    // The absolute path to open (empty for none), or the exit code of a
    // wrong command line or a path that does not exist. A file: address
    // gives its path; the bytes of a path that is not UTF-8 are kept.
    std::optional<int> readPath(const QStringList& arguments, QString& path);

private:
    QCommandLineParser parser_;
    const QCommandLineOption help_{{QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Show this help and exit.")};
    const QCommandLineOption version_{{QStringLiteral("v"), QStringLiteral("version")},
                                      QStringLiteral("Show the version and exit.")};
};

} // namespace crunchwise
