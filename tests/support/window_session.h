// SPDX-License-Identifier: GPL-3.0-or-later
// The main window under test: WindowSession gives it its own settings store,
// program folder (for error.log) and home (for the trash), its lists on a
// fresh source folder of real files; command_fixture reads what the lists
// show, answers the pop-up menu and the modal dialogs, stages the programs
// Compress runs and runs Compress and Expand as a user does.
#pragma once

#include "app/frm_main.h"
#include "common/app_info.h"
#include "common/file_name_codec.h"
#include "common/message_box.h"
#include "desktop/settings_store.h"
#include "dialogs/frm_save_directory.h"
#include "dialogs/frm_save_directory_expand.h"
#include "szdd/szdd.h"
#include "tests/support/test_folder.h"
#include "widgets/dir_list_box.h"
#include "widgets/file_list_box.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

namespace command_fixture {

using crunchwise::FileListBox;
using crunchwise::frmSaveDirectory;
using crunchwise::frmSaveDirectoryExpand;
using crunchwise::MessageBox;

// Whole files by the host's names (see FileNameCodec), which QFile would
// not keep when they are not UTF-8. readAll gives "<missing>" for none.
inline QByteArray readAll(const QString& path) {
    std::ifstream file(crunchwise::FileNameCodec::encode(path).toStdString(), std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(file), {}};
    return file ? QByteArray::fromStdString(data) : QByteArray("<missing>");
}
inline bool writeAll(const QString& path, const QByteArray& data) {
    std::ofstream file(crunchwise::FileNameCodec::encode(path).toStdString(), std::ios::binary);
    return bool(file.write(data.constData(), data.size()).flush());
}

// Bytes between Qt and the codec.
inline std::span<const std::uint8_t> spanOf(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.data()), std::size_t(data.size())};
}
inline QByteArray bytesOf(const std::vector<std::uint8_t>& data) {
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}
// The SZDD file of `data` (no missing character), and the expansion of an
// SZDD file as far as it goes, by the codec.
inline QByteArray szddOf(const QByteArray& data) {
    std::vector<std::uint8_t> out;
    szdd::compress(spanOf(data), 0, out);
    return bytesOf(out);
}
inline QByteArray expansionOf(const QByteArray& file) {
    std::vector<std::uint8_t> out;
    szdd::expand(spanOf(file), out);
    return bytesOf(out);
}
// The same on files.
inline bool compressed(const QByteArray& data, const QString& file) {
    return writeAll(file, szddOf(data));
}
inline QByteArray expanded(const QString& file) {
    return expansionOf(readAll(file));
}

// Varied, compressible contents, different for each `seed`.
inline QByteArray sampleData(int seed, int size = 20000) {
    QByteArray data;
    while (data.size() < size)
        data += "line " + QByteArray::number(data.size() % 977 + seed) + " of sample text\n";
    return data.left(size);
}

// The files the list shows, the selected ones, and the current one ("" for none).
inline QStringList listed(const FileListBox* list, bool selectedOnly = false) {
    QStringList names;
    for (int i = 0; i < list->listCount(); ++i)
        if (!selectedOnly || list->selected(i))
            names << list->list(i);
    return names;
}
inline QStringList selectedNames(const FileListBox* list) {
    return listed(list, true);
}
inline QString currentName(const FileListBox* list) {
    return list->listIndex() < 0 ? QString() : list->list(list->listIndex());
}
inline int rowOf(const FileListBox* list, const QString& name) {
    return int(listed(list).indexOf(name));
}

// Makes the files at `rows`, or named `names`, selected, the first one current.
inline void selectRows(FileListBox* list, const QList<int>& rows) {
    list->setListIndex(rows.value(0, -1));
    for (int row : rows)
        list->setSelected(row, true);
}
inline void select(FileListBox* list, const QStringList& names) {
    QList<int> rows;
    for (const QString& name : names)
        rows << rowOf(list, name);
    selectRows(list, rows);
}

// The titles of the message boxes shown, and their texts.
inline QStringList boxTitles() {
    QStringList titles;
    for (const MessageBox::Shown& box : MessageBox::shown())
        titles << box.title;
    return titles;
}
inline QStringList boxTexts() {
    QStringList texts;
    for (const MessageBox::Shown& box : MessageBox::shown())
        texts << box.text;
    return texts;
}

} // namespace command_fixture

class WindowSession {
public:
    // No window of its own: the test starts its windows with start().
    struct NoWindow {
        explicit NoWindow() = default;
    };
    explicit WindowSession(NoWindow, bool withDataFolder = true) {
        takeOver();
        if (withDataFolder)
            QDir(home_.path()).mkpath(QStringLiteral(".local/share"));
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

    // One session for the cases of a table: the source folder holds `files`
    // alone, each holding its own name, and the window shows it afresh with
    // no file current or selected and no status; no message box was shown.
    void reset(const QStringList& files) {
        // By the host's names, which QDir would not keep.
        for (const auto& entry :
             std::filesystem::directory_iterator(QFile::encodeName(source.path()).toStdString()))
            std::filesystem::remove_all(entry.path());
        for (const QString& name : files)
            write(name, name.toUtf8());
        window->Dir1->setPath(source.path());
        window->File1->setPath(source.path());
        window->lblStatus->clear();
        takeOver();
    }

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
    // A window of a later start (the first-run help done), shown; start()
    // waits until it is on screen.
    static std::unique_ptr<frmMain> later(QObject* watcher = nullptr) {
        store("RunOnce", QStringLiteral("1"));
        return load(watcher);
    }
    static std::unique_ptr<frmMain> start(QObject* watcher = nullptr) {
        auto started = later(watcher);
        if (!started || !QTest::qWaitForWindowExposed(started.get()))
            return nullptr;
        return started;
    }
    // The session's window, a later start, on the source folder.
    frmMain* startOnSource() {
        window = later();
        if (window)
            window->Dir1->setPath(source.path());
        return window.get();
    }

    void write(const QString& name, const QByteArray& contents) const {
        command_fixture::writeAll(source.pathOf(name), contents);
    }
    QByteArray read(const QString& name) const {
        return command_fixture::readAll(source.pathOf(name));
    }
    // The names of the source folder's files, sorted.
    QStringList onDisk() const { return QDir(source.path()).entryList(QDir::Files, QDir::Name); }
    QStringList listed() const { return command_fixture::listed(window->File1); }
    // Selects the files `names` alone, the first of them current.
    void select(const QStringList& names) const { command_fixture::select(window->File1, names); }
    QString homePath() const { return home_.path(); }
    QString configPath() const { return config_.path(); }
    QString errorLog() const {
        QFile log(program_.path() + QStringLiteral("/error.log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    TestFolder source;
    std::unique_ptr<frmMain> window;

private:
    // The process's settings store, program folder and home are this
    // session's (again, after another session had them).
    void takeOver() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        crunchwise::AppInfo::setPathForTesting(program_.path());
        qputenv("HOME", home_.path().toLocal8Bit());
        qunsetenv("XDG_DATA_HOME");
        crunchwise::MessageBox::clearShown();
    }

    QTemporaryDir config_;
    QTemporaryDir program_;
    QTemporaryDir home_;
};

namespace command_fixture {

// A main window of a later start (no help), its lists on `folder`.
inline std::unique_ptr<frmMain> windowOn(const QString& folder) {
    WindowSession::store("RunOnce", QStringLiteral("1"));
    auto window = std::make_unique<frmMain>();
    window->show();
    window->Dir1->setPath(folder);
    return window;
}

// The names in `folder`, hidden ones included, as the host has them; sorted.
inline QStringList filesIn(const QString& folder) {
    QStringList names;
    for (const auto& entry : std::filesystem::directory_iterator(
             crunchwise::FileNameCodec::encode(folder).toStdString()))
        names << crunchwise::FileNameCodec::decode(
            QByteArray::fromStdString(entry.path().filename()));
    names.sort();
    return names;
}
// The hidden files of `folder` (the temporaries of a write in progress).
inline QStringList hiddenFiles(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\."));
}

// Waits up to a minute for the window's status to say `status`.
inline bool endsAs(const frmMain& window, const char* status) {
    return QTest::qWaitFor([&] { return window.lblStatus->text() == QLatin1String(status); },
                           60000);
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
        for (QAction* action : menu->actions())
            if (action->text() == caption)
                menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

// Right-clicks the current file of the window's file list.
inline void rightClickFileList(frmMain& window) {
    FileListBox* list = window.File1;
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
    QString runtimePath() const { return runtime_.path(); }

    // Makes this the window's program folder, with a settings store and a
    // runtime folder of its own.
    void takeOver() const {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        crunchwise::AppInfo::setPathForTesting(path());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
    }

    // Waits until a batch has run; its exit code.
    QByteArray waitForRunner() const {
        if (!QTest::qWaitFor([&] { return readAll(file("runner.done")).endsWith('\n'); }, 20000))
            return "<not run>";
        return readAll(file("runner.done")).trimmed();
    }
    void clearRecords() const {
        for (const char* name :
             {"recorded.bat", "recorded.cwd", "runner.err", "runner.done", "error.log"})
            QFile::remove(file(name));
    }

private:
    QTemporaryDir folder_;
    QTemporaryDir config_;
    QTemporaryDir runtime_;
};

#endif

// Runs Compress on the files at `rows` of `source` into `destination`; the
// run goes on when this returns.
inline std::unique_ptr<frmMain> compress(const QString& source, const QString& destination,
                                         const QList<int>& rows) {
    auto window = windowOn(source);
    selectRows(window->File1, rows);
    answerCompressTo(destination);
    window->mPopUp2_Click(0);
    return window;
}

// Runs Expand on the files `names` of `folder` from the pop-up menu;
// `answer` answers "Expand To". Returns once the command has ended.
inline std::unique_ptr<frmMain> expand(const QString& folder, const QStringList& names,
                                       const std::function<void(frmSaveDirectoryExpand*)>& answer) {
    auto window = windowOn(folder);
    select(window->File1, names);
    whenOpen<frmSaveDirectoryExpand>(answer);
    choosePopUpItem(QStringLiteral("Expand"));
    rightClickFileList(*window);
    return window;
}

inline void acceptProposal(frmSaveDirectoryExpand* dialog) {
    dialog->cmdSave->click();
}

// Answers "Expand To" with the name `name` in the dialog's folder.
inline std::function<void(frmSaveDirectoryExpand*)> saveAs(const QString& name) {
    return [name](frmSaveDirectoryExpand* dialog) {
        dialog->txtFileName->setText(name);
        dialog->cmdSave->click();
    };
}

} // namespace command_fixture
