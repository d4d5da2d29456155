// SPDX-License-Identifier: GPL-3.0-or-later
// The folder list on real folders: its numbering, opening folders by mouse
// and keyboard, failures, and the current folder of a volume.
#include "tests/support/failure_number.h"
#include "tests/support/own_volume.h"
#include "tests/support/test_folder.h"
#include "widgets/dir_list_box.h"

#include <QSignalSpy>
#include <QTest>

using crunchwise::DirListBox;
using crunchwise::RuntimeError;

namespace {

// The entries of the list from the top ancestor down, by their numbering.
QStringList entries(const DirListBox& box) {
    QStringList paths;
    for (int i = -box.count() + box.listCount(); i < box.listCount(); ++i)
        paths.append(box.list(i));
    return paths;
}

QPoint centreOf(const DirListBox& box, int index) {
    const int row = box.count() - box.listCount() + index;
    return box.visualItemRect(box.item(row)).center();
}

} // namespace

class TestDirListBox : public QObject {
    Q_OBJECT

private slots:
    void init() {
        startFolder_ = QDir::currentPath();
        folder_ = new TestFolder;
        QVERIFY(folder_->isValid());
        QVERIFY(folder_->create({"a/b/c/", "a/b/D/", "a/b/e10/", "a/b/e9/", "a/b/.hidden/",
                                 "a/b/file.txt", "a/b/tofolder->c"}));
        box_ = new DirListBox;
        box_->resize(300, 400);
        box_->show();
        QVERIFY(QTest::qWaitForWindowExposed(box_));
        box_->setPath(folder_->pathOf("a/b"));
    }

    void cleanup() {
        delete box_;
        delete folder_;
        QDir::setCurrent(startFolder_);
    }

    // From "/" down to the folder's parent (-2) and the folder (-1), then
    // its subfolders from 0: case ignored, numbers in natural order, a link
    // to a folder among them, hidden ones left out; past either end nothing.
    void numbersAncestorsFolderAndSubfolders() {
        QStringList expected;
        for (const char* below :
             {"a", "a/b", "a/b/c", "a/b/D", "a/b/e9", "a/b/e10", "a/b/tofolder"})
            expected << folder_->pathOf(below);
        const QStringList all = entries(*box_);
        QCOMPARE(all.first(), QStringLiteral("/"));
        QCOMPARE(all.mid(all.size() - expected.size()), expected);
        QCOMPARE(box_->listCount(), 5);
        QCOMPARE(box_->listIndex(), -1);
        QCOMPARE(box_->list(5), QString());
        QCOMPARE(box_->list(-box_->count() + box_->listCount() - 1), QString()); // above "/"
    }

    // A double click opens a subfolder or the parent.
    void doubleClickOpensAFolder() {
        for (const auto& [index, expected] : {std::pair{1, "a/b/D"}, {-2, "a"}}) {
            box_->setPath(folder_->pathOf("a/b"));
            QSignalSpy changed(box_, &DirListBox::changed);
            QTest::mouseDClick(box_->viewport(), Qt::LeftButton, {}, centreOf(*box_, index));
            QCOMPARE(box_->path(), folder_->pathOf(expected));
            QCOMPARE(changed.size(), 1);
            QCOMPARE(box_->listIndex(), -1);
        }
    }

    void enterOpensTheHighlightedFolder_data() {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Enter left alone opens it") << false << "a/b/e9";
        QTest::newRow("Enter cancelled by the receiver does nothing") << true << "a/b";
    }

    void enterOpensTheHighlightedFolder() {
        QFETCH(bool, cancel);
        QFETCH(QString, expected);
        QList<int> seen;
        connect(box_, &DirListBox::keyPress, box_, [&](int& keyAscii) {
            seen.append(keyAscii);
            if (cancel)
                keyAscii = 0;
        });
        QSignalSpy changed(box_, &DirListBox::changed);
        box_->setListIndex(2);
        QTest::keyClick(box_, Qt::Key_Return);
        QCOMPARE(seen, QList<int>{13});
        QCOMPARE(box_->path(), folder_->pathOf(expected));
        QCOMPARE(changed.size(), cancel ? 0 : 1);
    }

    void arrowsOnlyMoveTheHighlight() {
        QSignalSpy changed(box_, &DirListBox::changed);
        QTest::keyClick(box_, Qt::Key_Down);
        QTest::keyClick(box_, Qt::Key_Down);
        QCOMPARE(box_->listIndex(), 1);
        QTest::keyClick(box_, Qt::Key_Up, Qt::NoModifier);
        QTest::keyClick(box_, Qt::Key_Up);
        QTest::keyClick(box_, Qt::Key_Up);
        QCOMPARE(box_->listIndex(), -2);
        QCOMPARE(box_->path(), folder_->pathOf("a/b"));
        QCOMPARE(changed.size(), 0);
        QTest::keyClick(box_, Qt::Key_Return);
        QCOMPARE(box_->path(), folder_->pathOf("a"));
        QCOMPARE(changed.size(), 1);
    }

    // A folder that does not exist, or a regular file: 76 Path not found.
    void unlistableFolderKeepsTheList() {
        box_->setListIndex(3);
        const QStringList before = entries(*box_);
        QSignalSpy changed(box_, &DirListBox::changed);
        for (const char* where : {"a/missing", "a/b/file.txt"}) {
            QCOMPARE(failureNumber([&] { box_->setPath(folder_->pathOf(where)); }), 76);
            QCOMPARE(box_->path(), folder_->pathOf("a/b"));
            QCOMPARE(entries(*box_), before);
            QCOMPARE(box_->listIndex(), 3);
        }
        QCOMPARE(changed.size(), 0);
    }

    void failedOpenByMouseIsReported() {
        QList<int> failures;
        connect(box_, &DirListBox::openFailed, box_,
                [&](const RuntimeError& failure) { failures.append(failure.number()); });
        QVERIFY(QDir(folder_->pathOf("a/b/c")).removeRecursively());
        QTest::mouseDClick(box_->viewport(), Qt::LeftButton, {}, centreOf(*box_, 0));
        QCOMPARE(failures, QList<int>{76});
        QCOMPARE(box_->path(), folder_->pathOf("a/b"));
    }

    void driveOpensItsCurrentFolder() {
        QVERIFY(QDir::setCurrent(folder_->pathOf("a")));
        DirListBox fresh;
        fresh.openDrive("/");
        QCOMPARE(fresh.path(), folder_->pathOf("a")); // the process's current folder
        fresh.setPath(folder_->pathOf("a/b"));
        fresh.openDrive("/");
        QCOMPARE(fresh.path(), folder_->pathOf("a/b")); // the last one shown on it

        DirListBox gone;
        QVERIFY(QDir(folder_->pathOf("a")).removeRecursively());
        gone.openDrive("/");
        QCOMPARE(gone.path(), QStringLiteral("/")); // the current folder went away
    }

    void rootEntryOpensTheRootFromAnotherVolume() {
        OwnVolume volume(folder_->pathOf("a"));
        if (!volume.offered())
            QSKIP("needs root and a temporary folder on disk to mount a volume");
        box_->setPath(folder_->pathOf("a/b"));
        QTest::mouseDClick(box_->viewport(), Qt::LeftButton, {},
                           box_->visualItemRect(box_->item(0)).center());
        QCOMPARE(box_->path(), QStringLiteral("/"));
    }

private:
    TestFolder* folder_ = nullptr;
    DirListBox* box_ = nullptr;
    QString startFolder_;
};

QTEST_MAIN(TestDirListBox)
#include "dir_list_box_test.moc"
