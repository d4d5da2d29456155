// SPDX-License-Identifier: GPL-3.0-or-later
// The file list driven like a user would: real files, real clicks and keys.
#include "tests/support/failure_number.h"
#include "tests/support/test_folder.h"
#include "widgets/file_list_box.h"

#include <QDrag>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

using crunchwise::FileListBox;
using crunchwise::RuntimeError;

// A click on a row, or with a key (row -1) a key stroke.
struct Step {
    int row;
    Qt::KeyboardModifiers modifiers;
    Qt::Key key = Qt::Key_unknown;
};
Q_DECLARE_METATYPE(QList<Step>)

namespace {

const QStringList tenFiles = {"f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10"};

QStringList listed(const FileListBox& box) {
    QStringList names;
    for (int i = 0; i < box.listCount(); ++i)
        names.append(box.list(i));
    return names;
}

QList<int> selectedRows(const FileListBox& box) {
    QList<int> rows;
    for (int i = 0; i < box.listCount(); ++i)
        if (box.selected(i))
            rows.append(i);
    return rows;
}

QPoint centreOf(const FileListBox& box, int row) {
    return box.visualRect(box.model()->index(row, 0)).center();
}

void clickRow(FileListBox& box, int row, Qt::KeyboardModifiers modifiers = {},
              Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(box.viewport(), button, modifiers, centreOf(box, row));
}

} // namespace

class TestFileListBox : public QObject {
    Q_OBJECT

private slots:
    // Each case a fresh list on a fresh folder.
    void init() {
        box_.reset();
        folder_ = std::make_unique<TestFolder>();
        box_ = std::make_unique<FileListBox>();
    }

    void listsTheFolderFiles_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("folders are left out")
            << QStringList{"b.txt", "sub/", "a.txt"} << QStringList{"a.txt", "b.txt"};
        QTest::newRow("hidden files and folders are left out")
            << QStringList{".hidden", "shown", ".dir/"} << QStringList{"shown"};
        QTest::newRow("natural order")
            << QStringList{"file10.txt", "file9.txt", "file100.txt", "file1.txt"}
            << QStringList{"file1.txt", "file9.txt", "file10.txt", "file100.txt"};
        QTest::newRow("links to files shown, links to folders and dangling links not")
            << QStringList{"real", "sub/", "tofile->real", "todir->sub", "dangling->missing"}
            << QStringList{"real", "tofile"};
        QTest::newRow("empty folder") << QStringList{"only/"} << QStringList{};
    }

    void listsTheFolderFiles() {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, expected);
        open(entries);
        QCOMPARE(listed(*box_), expected);
        QCOMPARE(box_->listCount(), expected.size());
        QCOMPARE(box_->listIndex(), -1);
        QCOMPARE(box_->selCount(), 0);
    }

    void selection_data() {
        using M = Qt::KeyboardModifier;
        const Qt::KeyboardModifiers shift = M::ShiftModifier, ctrl = M::ControlModifier;
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QList<int>>("expected");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("clicks"); // one per step that moved or changed the selection
        QTest::newRow("a click selects one file")
            << QList<Step>{{2, {}}} << QList<int>{2} << 2 << 1;
        QTest::newRow("shift click selects the range")
            << QList<Step>{{2, {}}, {5, shift}} << QList<int>{2, 3, 4, 5} << 5 << 2;
        QTest::newRow("ctrl click toggles a selected file off")
            << QList<Step>{{2, {}}, {5, ctrl}, {2, ctrl}} << QList<int>{5} << 2 << 3;
        QTest::newRow("down moves the selection")
            << QList<Step>{{2, {}}, {-1, {}, Qt::Key_Down}} << QList<int>{3} << 3 << 2;
        QTest::newRow("down on the last file does nothing")
            << QList<Step>{{9, {}}, {-1, {}, Qt::Key_Down}} << QList<int>{9} << 9 << 1;
        QTest::newRow("shift down extends it")
            << QList<Step>{{2, {}}, {-1, shift, Qt::Key_Down}, {-1, shift, Qt::Key_Down}}
            << QList<int>{2, 3, 4} << 4 << 3;
        QTest::newRow("ctrl down moves, ctrl space adds") << QList<Step>{{2, {}},
                                                                         {-1, ctrl, Qt::Key_Down},
                                                                         {-1, ctrl, Qt::Key_Down},
                                                                         {-1, ctrl, Qt::Key_Space}}
                                                          << QList<int>{2, 4} << 4 << 4;
        QTest::newRow("ctrl a selects all") << QList<Step>{{0, {}}, {-1, ctrl, Qt::Key_A}}
                                            << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} << 0 << 2;
    }

    void selection() {
        QFETCH(QList<Step>, steps);
        QFETCH(QList<int>, expected);
        QFETCH(int, current);
        QFETCH(int, clicks);
        open(tenFiles);
        QSignalSpy clicked(box_.get(), &FileListBox::click);
        for (const Step& step : steps) {
            if (step.row < 0)
                QTest::keyClick(box_.get(), step.key, step.modifiers);
            else
                clickRow(*box_, step.row, step.modifiers);
        }
        QCOMPARE(selectedRows(*box_), expected);
        QCOMPARE(box_->selCount(), expected.size());
        QCOMPARE(box_->listIndex(), current);
        QCOMPARE(clicked.size(), clicks);
    }

    void rightClickKeepsTheSelection() {
        open(tenFiles);
        clickRow(*box_, 1);
        clickRow(*box_, 3, Qt::ControlModifier);
        clickRow(*box_, 5, Qt::ControlModifier);
        QSignalSpy pressed(box_.get(), &FileListBox::mouseDown);
        QSignalSpy clicked(box_.get(), &FileListBox::click);
        clickRow(*box_, 7, {}, Qt::RightButton);
        QCOMPARE(selectedRows(*box_), (QList<int>{1, 3, 5}));
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(pressed.at(0).at(2).toPoint(), centreOf(*box_, 7));
        QCOMPARE(clicked.size(), 0);
    }

    void doubleClickOnAFileOnly() {
        open({"one", "two"});
        QSignalSpy doubled(box_.get(), &FileListBox::dblClick);
        QTest::mouseDClick(box_->viewport(), Qt::LeftButton, {}, centreOf(*box_, 1));
        QCOMPARE(doubled.size(), 1);
        QCOMPARE(box_->listIndex(), 1);
        QTest::mouseDClick(box_->viewport(), Qt::LeftButton, {},
                           QPoint(5, box_->viewport()->height() - 3));
        QCOMPARE(doubled.size(), 1);
    }

    void keyPressCanCancelTheKey() {
        open({"apple", "banana", "cherry"});
        clickRow(*box_, 0);
        bool cancel = true;
        QList<int> seen;
        connect(box_.get(), &FileListBox::keyPress, box_.get(), [&](int& keyAscii) {
            seen.append(keyAscii);
            if (cancel)
                keyAscii = 0;
        });
        QTest::keyClick(box_.get(), Qt::Key_C);
        QCOMPARE(box_->listIndex(), 0); // the type-ahead search did not run
        cancel = false;
        QTest::keyClick(box_.get(), Qt::Key_C);
        QCOMPARE(box_->listIndex(), 2);
        QTest::keyClick(box_.get(), Qt::Key_Return);
        QCOMPARE(seen, (QList<int>{'c', 'c', 13}));
    }

    void refreshFollowsTheFolder() {
        open({"a", "b", "c", "d"});
        clickRow(*box_, 1);
        clickRow(*box_, 2, Qt::ControlModifier);
        clickRow(*box_, 3, Qt::ControlModifier);
        QVERIFY(folder_->create({"ab"}));
        QVERIFY(folder_->remove("d"));
        box_->refresh();
        QCOMPARE(listed(*box_), (QStringList{"a", "ab", "b", "c"}));
        QCOMPARE(selectedRows(*box_), (QList<int>{2, 3}));
        QCOMPARE(box_->listIndex(), -1); // "d" was current and is gone
        clickRow(*box_, 3, Qt::ControlModifier);
        clickRow(*box_, 3, Qt::ControlModifier);
        box_->refresh();
        QCOMPARE(box_->list(box_->listIndex()), QStringLiteral("c"));
    }

    // Hundreds of changes all over the list: read as one new list, with the
    // selection, the current file and the top file put back by name.
    void refreshOfManyChangesKeepsTheSelection() {
        QStringList even;
        for (int i = 0; i < 1000; i += 2)
            even << QStringLiteral("f%1").arg(i, 3, 10, QLatin1Char('0'));
        open(even);
        box_->setListIndex(300);
        box_->setSelected(10, true);
        box_->scrollTo(box_->model()->index(200, 0), QAbstractItemView::PositionAtTop);
        const QString top = box_->list(box_->indexAt(QPoint(1, 1)).row());
        QStringList odd;
        for (int i = 1; i < 800; i += 2)
            odd << QStringLiteral("f%1").arg(i, 3, 10, QLatin1Char('0'));
        QVERIFY(folder_->create(odd));
        QSignalSpy reset(box_->model(), &QAbstractItemModel::modelReset);
        box_->refresh();
        QCoreApplication::processEvents();
        QCOMPARE(reset.size(), 1);
        QCOMPARE(box_->listCount(), 900);
        QCOMPARE(box_->list(box_->listIndex()), QStringLiteral("f600"));
        QCOMPARE(selectedRows(*box_).size(), 2);
        QVERIFY(box_->selected(20) && box_->list(20) == QStringLiteral("f020"));
        QCOMPARE(box_->list(box_->indexAt(QPoint(1, 1)).row()), top);
    }

    // Dragged to a file manager, the selected files go as their exact file
    // addresses, offered to copy only: a move would take them away. A name
    // that is not UTF-8 is listed, shown with U+FFFD, and kept byte for byte.
    void dragOffersTheSelectionToCopy() {
        open({"a b.txt", "c.txt"});
        QVERIFY(folder_->createRaw("caf\xe9.ex_"));
        box_->refresh();
        QVERIFY(box_->model()->index(2, 0).data().toString().contains(QChar::ReplacementCharacter));
        box_->selectAll();
        // The headless platform has no drag and drop: the drag that the
        // mouse starts returns at once and stays behind to be looked at.
        const QPoint from = centreOf(*box_, 0);
        QTest::mousePress(box_->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(box_->viewport(), from + QPoint(2, 2));
        QTest::mouseMove(box_->viewport(), from + QPoint(40, 40));
        QCOMPARE(box_->selCount(), 3);
        QTest::mouseRelease(box_->viewport(), Qt::LeftButton, {}, from + QPoint(40, 40));
        auto* drag = box_->findChild<QDrag*>();
        QVERIFY(drag);
        const QByteArray offered = drag->mimeData()->data(QStringLiteral("text/uri-list"));
        const Qt::DropActions actions = drag->supportedActions();
        const QByteArray base =
            "file://" + QFile::encodeName(folder_->path()).toPercentEncoding("/");
        QCOMPARE(offered, base + "/a%20b.txt\r\n" + base + "/c.txt\r\n" + base + "/caf%E9.ex_\r\n");
        QCOMPARE(actions, Qt::DropActions(Qt::CopyAction));
    }

    // A folder that does not exist, a regular file, an empty path: 76 Path not found.
    void unreadableFolderKeepsTheListing() {
        open({"one", "two"});
        clickRow(*box_, 1);
        for (const QString& target :
             {folder_->pathOf("missing"), folder_->pathOf("one"), QString()}) {
            QCOMPARE(failureNumber([&] { box_->setPath(target); }), 76);
            QCOMPARE(box_->path(), folder_->path());
            QCOMPARE(listed(*box_), (QStringList{"one", "two"}));
            QCOMPARE(selectedRows(*box_), QList<int>{1});
        }
    }

    void manyFilesPast16BitIndices() {
        QVERIFY(folder_->createNumbered(40000, "file"));
        open({});
        QCOMPARE(box_->listCount(), 40000);
        QCOMPARE(box_->list(39999), QStringLiteral("file39999"));
        QCOMPARE(box_->list(32768), QStringLiteral("file32768"));
        box_->setListIndex(39999);
        QCOMPARE(box_->listIndex(), 39999);
        QVERIFY(box_->selected(39999));
        box_->setSelected(32767, true);
        box_->setSelected(32768, true);
        QCOMPARE(selectedRows(*box_), (QList<int>{32767, 32768, 39999}));
        QCOMPARE(box_->selCount(), 3);
        QTest::keyClick(box_.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box_->selCount(), 40000);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, box_->setSelected(40000, true));
    }

private:
    // A shown list of the files `entries` in a fresh folder.
    void open(const QStringList& entries) {
        QVERIFY(folder_->create(entries));
        box_->resize(300, 400);
        box_->show();
        QVERIFY(QTest::qWaitForWindowExposed(box_.get()));
        box_->setPath(folder_->path());
        QCOMPARE(box_->path(), folder_->path());
    }

    std::unique_ptr<TestFolder> folder_;
    std::unique_ptr<FileListBox> box_;
};

QTEST_MAIN(TestFileListBox)
#include "file_list_box_test.moc"
