// SPDX-License-Identifier: GPL-3.0-or-later
// The two destination dialogs, driven as a user drives them.
#include "common/globals.h"
#include "common/message_box.h"
#include "dialogs/frm_save_directory.h"
#include "dialogs/frm_save_directory_expand.h"
#include "tests/support/own_volume.h"
#include "widgets/dir_list_box.h"
#include "widgets/drive_list_box.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using namespace crunchwise;

class TestSaveDirectoryDialogs : public QObject {
    Q_OBJECT

private:
    QTemporaryDir source_;
    DriveListBox mainDrive_;
    DirListBox mainDir_;

    // Runs the dialog modally; `act` runs once it is shown.
    template <typename Dialog>
    static void runDialog(Dialog& dialog, const std::function<void(Dialog&)>& act) {
        QTimer::singleShot(0, &dialog, [&] { act(dialog); });
        dialog.exec();
    }
    std::unique_ptr<SaveDirectoryDialog> make(bool expand) {
        if (expand) {
            auto dialog = std::make_unique<frmSaveDirectoryExpand>(nullptr, &mainDrive_, &mainDir_);
            dialog->txtFileName->setText(QStringLiteral("SETUP.EXE"));
            return dialog;
        }
        return std::make_unique<frmSaveDirectory>(nullptr, &mainDrive_, &mainDir_);
    }

    static void bothDialogs() {
        QTest::addColumn<bool>("expand");
        QTest::newRow("Compress To") << false;
        QTest::newRow("Expand To") << true;
    }

private slots:
    void initTestCase() {
        QVERIFY(QDir(source_.path()).mkpath(QStringLiteral("sub")));
        mainDir_.setPath(source_.path());
    }
    void init() {
        MessageBox::clearShown();
        Globals::SavePath = Globals::SaveFileName = QString();
    }
    void cleanup() { QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for"); }

    // The lists start on the main window's folder; a repaint after the user
    // moved elsewhere keeps the user's folder, which Save hands back with a
    // separator after it (the root's doubled).
    void saveHandsBackTheFolderTheUserChose_data() {
        QTest::addColumn<bool>("expand");
        QTest::addColumn<QString>("chosen"); // "<sub>": the source folder's sub
        QTest::addColumn<QString>("saved");
        for (bool expand : {false, true}) {
            const char* dialog = expand ? "Expand To" : "Compress To";
            QTest::addRow("%s, a folder", dialog) << expand << "<sub>"
                                                  << "<sub>/";
            QTest::addRow("%s, the root", dialog) << expand << "/"
                                                  << "//";
        }
    }
    void saveHandsBackTheFolderTheUserChose() {
        QFETCH(bool, expand);
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        const QString sub = source_.path() + QStringLiteral("/sub");
        auto dialog = make(expand);
        QString started;
        runDialog<SaveDirectoryDialog>(*dialog, [&](SaveDirectoryDialog& d) {
            started = d.Dir1->path();
            d.Dir1->setPath(chosen.replace(QStringLiteral("<sub>"), sub));
            d.hide(); // a window passing over it: hidden and painted again
            d.show();
            d.repaint();
            d.cmdSave->click();
        });
        QCOMPARE(started, source_.path());
        QCOMPARE(Globals::SavePath, saved.replace(QStringLiteral("<sub>"), sub));
    }

    void leavingSavesNothing_data() {
        QTest::addColumn<bool>("expand");
        QTest::addColumn<int>("how");
        for (bool expand : {false, true}) {
            const char* dialog = expand ? "Expand To" : "Compress To";
            QTest::addRow("%s, Cancel", dialog) << expand << 0;
            QTest::addRow("%s, Esc", dialog) << expand << 1;
            QTest::addRow("%s, close box", dialog) << expand << 2;
        }
    }
    void leavingSavesNothing() {
        QFETCH(bool, expand);
        QFETCH(int, how);
        auto dialog = make(expand);
        Globals::SaveFileName = QStringLiteral("kept");
        runDialog<SaveDirectoryDialog>(*dialog, [how](SaveDirectoryDialog& d) {
            if (how == 0)
                d.cmdCancel->click();
            else if (how == 1)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                d.close();
        });
        QVERIFY(Globals::SavePath.isEmpty());
        QCOMPARE(Globals::SaveFileName, QStringLiteral("kept"));
    }

    // Enter in the folder list opens the highlighted folder, not Save.
    void enterInTheFolderListOpensTheFolder_data() { bothDialogs(); }
    void enterInTheFolderListOpensTheFolder() {
        QFETCH(bool, expand);
        auto dialog = make(expand);
        QString opened;
        runDialog<SaveDirectoryDialog>(*dialog, [&](SaveDirectoryDialog& d) {
            d.Dir1->setListIndex(0);
            QTest::keyClick(d.Dir1, Qt::Key_Return);
            opened = d.Dir1->path();
            d.cmdCancel->click();
        });
        QCOMPARE(opened, source_.path() + QStringLiteral("/sub"));
    }

    // A folder that vanished under the list: a warning, then the system drive.
    void failedFolderWarnsAndFallsBack_data() { bothDialogs(); }
    void failedFolderWarnsAndFallsBack() {
        QFETCH(bool, expand);
        QTemporaryDir gone;
        QVERIFY(QDir(gone.path()).mkpath(QStringLiteral("x")));
        auto dialog = make(expand);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QString drive;
        runDialog<SaveDirectoryDialog>(*dialog, [&](SaveDirectoryDialog& d) {
            d.Dir1->setPath(gone.path());
            d.Dir1->setListIndex(0);
            QDir(gone.path() + QStringLiteral("/x")).removeRecursively();
            QTest::mouseDClick(d.Dir1->viewport(), Qt::LeftButton, {},
                               d.Dir1->visualItemRect(d.Dir1->currentItem()).center());
            drive = d.Drive1->drive();
            d.cmdCancel->click();
        });
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);
        QVERIFY(MessageBox::shown()[0].text.startsWith(QStringLiteral("Error 76:  ")));
        QCOMPARE(drive, QStringLiteral("/"));
    }

    // A drive chosen in the dialog opens on the folder that the main window
    // last showed on it, as the main window's own drive list does.
    void driveOpensThatDrivesCurrentFolder_data() { bothDialogs(); }
    void driveOpensThatDrivesCurrentFolder() {
        QFETCH(bool, expand);
        const QString root = source_.path() + QStringLiteral("/volume");
        QVERIFY(QDir(root).mkpath(QStringLiteral("deep")));
        OwnVolume volume(root);
        if (!volume.offered())
            QSKIP("needs root and a temporary folder on disk to mount a volume");
        mainDir_.setPath(root + QStringLiteral("/deep"));
        mainDir_.setPath(source_.path());
        auto dialog = make(expand);
        QString opened;
        runDialog<SaveDirectoryDialog>(*dialog, [&](SaveDirectoryDialog& d) {
            d.Drive1->setDrive(root);
            opened = d.Dir1->path();
            d.cmdCancel->click();
        });
        QCOMPARE(opened, root + QStringLiteral("/deep"));
    }

    void expandNameIsSelectedAndAnEmptyNameIsRefused() {
        frmSaveDirectoryExpand dialog(nullptr, &mainDrive_, &mainDir_);
        dialog.txtFileName->setText(QStringLiteral("SETUP.EXE"));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        bool stayedOpen = false;
        QString selected;
        runDialog<frmSaveDirectoryExpand>(dialog, [&](frmSaveDirectoryExpand& d) {
            selected = d.txtFileName->selectedText();
            QTest::keyClick(d.txtFileName, Qt::Key_Backspace);
            QTest::keyClick(&d, Qt::Key_Return);
            stayedOpen = d.isVisible() && d.focusWidget() == d.txtFileName;
            QTest::keyClicks(d.txtFileName, QStringLiteral("new name.txt"));
            QTest::keyClick(&d, Qt::Key_Return);
        });
        QCOMPARE(selected, QStringLiteral("SETUP.EXE"));
        QVERIFY(stayedOpen);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Please Enter A Filename"));
        QCOMPARE(Globals::SavePath, source_.path() + u'/');
        QCOMPARE(Globals::SaveFileName, QStringLiteral("new name.txt"));
    }
};

QTEST_MAIN(TestSaveDirectoryDialogs)
#include "save_directory_dialogs_test.moc"
