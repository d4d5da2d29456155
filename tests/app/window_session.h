// SPDX-License-Identifier: GPL-3.0-or-later
// A main window for command and menu tests: its own settings store, program
// folder (for error.log) and home (for the trash), and the lists on a fresh
// source folder of real files.
#pragma once

#include "app/frm_main.h"
#include "app/panes/dir_list_box.h"
#include "app/panes/file_list_box.h"
#include "common/app_info.h"
#include "common/message_box.h"
#include "panes/test_folder.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

class WindowSession {
public:
    // `files`: names of files to create, each holding its own name.
    explicit WindowSession(const QStringList& files, bool withDataFolder = true) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        crunchwise::AppInfo::setPathForTesting(program_.path());
        qputenv("HOME", home_.path().toLocal8Bit());
        qunsetenv("XDG_DATA_HOME");
        if (withDataFolder)
            QDir(home_.path()).mkpath(QStringLiteral(".local/share"));
        for (const QString& name : files)
            write(name, name.toUtf8());
        crunchwise::MessageBox::clearShown();
        window = std::make_unique<frmMain>();
        window->Dir1->setPath(source.path());
    }
    ~WindowSession() { window.reset(); }

    void write(const QString& name, const QByteArray& contents) const {
        QFile file(source.pathOf(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(contents);
    }
    QByteArray read(const QString& name) const {
        QFile file(source.pathOf(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
    }
    // The names of the source folder's files, sorted.
    QStringList onDisk() const { return QDir(source.path()).entryList(QDir::Files, QDir::Name); }
    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < window->File1->listCount(); ++i)
            names << window->File1->list(i);
        return names;
    }
    // Selects the files `names` alone, the first of them current.
    void select(const QStringList& names) const {
        window->File1->setListIndex(int(listed().indexOf(names.value(0))));
        for (const QString& name : names)
            window->File1->setSelected(int(listed().indexOf(name)), true);
    }
    QString homePath() const { return home_.path(); }
    QString errorLog() const {
        QFile log(program_.path() + QStringLiteral("/error.log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    TestFolder source;
    std::unique_ptr<frmMain> window;

private:
    QTemporaryDir config_;
    QTemporaryDir program_;
    QTemporaryDir home_;
};
