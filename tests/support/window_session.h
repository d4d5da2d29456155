// SPDX-License-Identifier: GPL-3.0-or-later
// The main window under test: WindowSession gives it its own settings store,
// program folder (for error.log) and home (for the trash), its lists on a
// fresh source folder of real files; command_fixture answers the pop-up menu
// and the modal dialogs it opens and stages the programs Compress runs.
#pragma once

#include "app/frm_main.h"
#include "common/app_info.h"
#include "common/message_box.h"
#include "desktop/settings_store.h"
#include "dialogs/frm_save_directory.h"
#include "tests/support/test_folder.h"
#include "widgets/dir_list_box.h"
#include "widgets/file_list_box.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

class WindowSession {
public:
    // No window of its own: the test starts its windows with start().
    struct NoWindow {
        explicit NoWindow() = default;
    };
    explicit WindowSession(NoWindow, bool withDataFolder = true) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        crunchwise::AppInfo::setPathForTesting(program_.path());
        qputenv("HOME", home_.path().toLocal8Bit());
        qunsetenv("XDG_DATA_HOME");
        if (withDataFolder)
            QDir(home_.path()).mkpath(QStringLiteral(".local/share"));
        crunchwise::MessageBox::clearShown();
    }
    // A window on the source folder, which holds the files `files`, each
    // holding its own name.
    explicit WindowSession(const QStringList& files, bool withDataFolder = true)
        : WindowSession(NoWindow{}, withDataFolder) {
        for (const QString& name : files)
            write(name, name.toUtf8());
        window = std::make_unique<frmMain>();
        window->Dir1->setPath(source.path());
    }
    ~WindowSession() { window.reset(); }

    static void store(const char* key, const QString& value) {
        crunchwise::SaveSetting(QStringLiteral("Crunchwise"), QStringLiteral("Settings"),
                                QLatin1String(key), value);
    }
    static QString stored(const char* key) {
        return crunchwise::GetSetting(QStringLiteral("Crunchwise"), QStringLiteral("Settings"),
                                      QLatin1String(key), QStringLiteral("<absent>"));
    }
    // A window loaded and shown as at start-up, or null when it handed off.
    // `watcher`, when given, filters the window's events from before the load.
    static std::unique_ptr<frmMain> load(QObject* watcher = nullptr) {
        auto started = std::make_unique<frmMain>();
        if (watcher)
            started->installEventFilter(watcher);
        if (started->Form_Load() != frmMain::LoadOutcome::Show)
            return nullptr;
        started->show();
        return started;
    }
    // A window of a later start (the first-run help done), once on screen.
    static std::unique_ptr<frmMain> start(QObject* watcher = nullptr) {
        store("RunOnce", QStringLiteral("1"));
        auto started = load(watcher);
        if (!started || !QTest::qWaitForWindowExposed(started.get()))
            return nullptr;
        return started;
    }

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
    QString configPath() const { return config_.path(); }
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

namespace command_fixture {

using crunchwise::frmSaveDirectory;

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool writeAll(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Varied, compressible contents, different for each `seed`.
inline QByteArray sampleData(int seed, int size = 20000) {
    QByteArray data;
    while (data.size() < size)
        data += "line " + QByteArray::number(data.size() % 977 + seed) + " of sample text\n";
    return data.left(size);
}

// A main window of a later start (no help), its lists on `folder`.
inline std::unique_ptr<frmMain> windowOn(const QString& folder) {
    crunchwise::SaveSetting(QStringLiteral("Crunchwise"), QStringLiteral("Settings"),
                            QStringLiteral("RunOnce"), QStringLiteral("1"));
    auto window = std::make_unique<frmMain>();
    window->show();
    window->Dir1->setPath(folder);
    return window;
}

// Makes the files at `rows` current and selected, the first one current.
inline void selectRows(crunchwise::FileListBox* list, const QList<int>& rows) {
    list->setListIndex(rows.value(0, -1));
    for (int row : rows)
        list->setSelected(row, true);
}

inline int rowOf(const crunchwise::FileListBox* list, const QString& name) {
    for (int i = 0; i < list->listCount(); ++i) {
        if (list->list(i) == name)
            return i;
    }
    return -1;
}

// Once a modal dialog (or pop-up menu) of type T opens, `answer` is run on it.
template <typename T> void whenOpen(std::function<void(T*)> answer) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        QWidget* open = QApplication::activePopupWidget();
        if (!open)
            open = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(open); dialog && dialog->isVisible()) {
            timer->deleteLater();
            timer->stop();
            answer(dialog);
        }
    });
    timer->start(20);
}

// Chooses the pop-up menu item `caption` as a user would, by keyboard.
inline void choosePopUpItem(const QString& caption) {
    whenOpen<QMenu>([caption](QMenu* menu) {
        for (QAction* action : menu->actions()) {
            if (action->text() == caption)
                menu->setActiveAction(action);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

// Right-clicks the current file of the window's file list.
inline void rightClickFileList(frmMain& window) {
    crunchwise::FileListBox* list = window.File1;
    const QRect item = list->visualRect(list->currentIndex());
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, item.center());
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, item.center());
}

// Answers "Compress To" with `folder`, or with Cancel when it is empty.
inline void answerCompressTo(const QString& folder) {
    whenOpen<frmSaveDirectory>([folder](frmSaveDirectory* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Compress To"));
        if (folder.isEmpty()) {
            dialog->cmdCancel->click();
            return;
        }
        dialog->Dir1->setPath(folder);
        dialog->cmdSave->click();
    });
}

#ifdef CRUNCHWISE_PROGRAM_DIR
// A program folder with compress.exe and a launcher whose program keeps a
// copy of the batch and its current folder, then has our runner run it (its
// report still reaching the window) and notes its exit code, one line per run.
class StagedProgram {
public:
    StagedProgram() {
        QFile::link(QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/compress.exe"), file("compress.exe"));
        writeAll(file("crunchws.pif"), "program=record-batch\narguments=/c _tempcom.bat\n");
        writeAll(file("record-batch"),
                 "#!/bin/sh\nhere=$(dirname \"$0\")\ncp \"$2\" \"$here/recorded.bat\"\n"
                 "pwd > \"$here/recorded.cwd\"\n" CRUNCHWISE_PROGRAM_DIR "/crunchws-cmd \"$@\"\n"
                 "code=$?\necho $code >> \"$here/runner.done\"\nexit $code\n");
        QFile(file("record-batch"))
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString path() const { return folder_.path(); }
    QString file(const char* name) const { return folder_.path() + u'/' + QLatin1String(name); }

    // Waits until `runs` batches have run; the exit code of the last.
    QByteArray waitForRunner(int runs = 1) const {
        const auto lines = [&] {
            return readAll(file("runner.done")).count('\n');
        };
        if (!QTest::qWaitFor([&] { return QFile::exists(file("runner.done")) && lines() >= runs; },
                             20000))
            return "<not run>";
        return readAll(file("runner.done")).trimmed().split('\n').last();
    }
    void clearRecords() const {
        for (const char* name : {"recorded.bat", "recorded.cwd", "runner.err", "runner.done"})
            QFile::remove(file(name));
    }

private:
    QTemporaryDir folder_;
};
#endif

} // namespace command_fixture
