// SPDX-License-Identifier: GPL-3.0-or-later
// The file list driven like a user would: real files, real clicks and keys.
#include "common/file_name_codec.h"
#include "failures/runtime_error.h"
#include "tests/support/test_folder.h"
#include "widgets/file_list_box.h"

#include <QDrag>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

using crunchwise::FileListBox;
using crunchwise::RuntimeError;

struct Click {
    int row;
    Qt::KeyboardModifiers modifiers;
};
struct KeyStroke {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};
Q_DECLARE_METATYPE(QList<Click>)
Q_DECLARE_METATYPE(QList<KeyStroke>)

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
        FileListBox box;
        TestFolder folder;
        open(box, folder, entries);
        QCOMPARE(listed(box), expected);
        QCOMPARE(box.listCount(), expected.size());
        QCOMPARE(box.listIndex(), -1);
        QCOMPARE(box.selCount(), 0);
    }

    void oddByteNamesListReopenAndSelect() {
        FileListBox box;
        TestFolder folder;
        open(box, folder, {"plain"});
        QVERIFY(folder.createRaw("caf\xe9 \"x\".ex_"));
        box.refresh();
        QCOMPARE(box.listCount(), 2);
        const int odd = box.list(0) == "plain" ? 1 : 0;
        const QByteArray reopened =
            crunchwise::FileNameCodec::encode(box.path() + '/' + box.list(odd));
        QCOMPARE(reopened, QFile::encodeName(box.path()) + "/caf\xe9 \"x\".ex_");
        const int fd = ::open(reopened.constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        ::close(fd);
        clickRow(box, odd);
        QCOMPARE(selectedRows(box), QList<int>{odd});
        QVERIFY(box.model()->index(odd, 0).data().toString().contains(QChar::ReplacementCharacter));
    }

    void mouseSelection_data() {
        using M = Qt::KeyboardModifier;
        QTest::addColumn<QList<Click>>("clicks");
        QTest::addColumn<QList<int>>("expected");
        QTest::addColumn<int>("current");
        QTest::newRow("a click selects one file") << QList<Click>{{2, {}}} << QList<int>{2} << 2;
        QTest::newRow("shift click selects the range")
            << QList<Click>{{2, {}}, {5, M::ShiftModifier}} << QList<int>{2, 3, 4, 5} << 5;
        QTest::newRow("ctrl click toggles a selected file off")
            << QList<Click>{{2, {}}, {5, M::ControlModifier}, {2, M::ControlModifier}}
            << QList<int>{5} << 2;
    }

    void mouseSelection() {
        QFETCH(QList<Click>, clicks);
        QFETCH(QList<int>, expected);
        QFETCH(int, current);
        FileListBox box;
        TestFolder folder;
        open(box, folder, tenFiles);
        QSignalSpy clicked(&box, &FileListBox::click);
        for (const Click& click : clicks)
            clickRow(box, click.row, click.modifiers);
        QCOMPARE(selectedRows(box), expected);
        QCOMPARE(box.selCount(), expected.size());
        QCOMPARE(box.listIndex(), current);
        QCOMPARE(clicked.size(), clicks.size());
    }

    void keyboardSelection_data() {
        using M = Qt::KeyboardModifier;
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<KeyStroke>>("keys");
        QTest::addColumn<QList<int>>("expected");
        QTest::addColumn<int>("clicks"); // one per key that moved or changed the selection
        QTest::newRow("down moves the selection")
            << 2 << QList<KeyStroke>{{Qt::Key_Down, {}}} << QList<int>{3} << 1;
        QTest::newRow("down on the last file does nothing")
            << 9 << QList<KeyStroke>{{Qt::Key_Down, {}}} << QList<int>{9} << 0;
        QTest::newRow("shift down extends it")
            << 2
            << QList<KeyStroke>{{Qt::Key_Down, M::ShiftModifier}, {Qt::Key_Down, M::ShiftModifier}}
            << QList<int>{2, 3, 4} << 2;
        QTest::newRow("ctrl down moves, ctrl space adds")
            << 2
            << QList<KeyStroke>{{Qt::Key_Down, M::ControlModifier},
                                {Qt::Key_Down, M::ControlModifier},
                                {Qt::Key_Space, M::ControlModifier}}
            << QList<int>{2, 4} << 3;
        QTest::newRow("ctrl a selects all")
            << 0 << QList<KeyStroke>{{Qt::Key_A, M::ControlModifier}}
            << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} << 1;
    }

    void keyboardSelection() {
        QFETCH(int, start);
        QFETCH(QList<KeyStroke>, keys);
        QFETCH(QList<int>, expected);
        QFETCH(int, clicks);
        FileListBox box;
        TestFolder folder;
        open(box, folder, tenFiles);
        clickRow(box, start);
        QSignalSpy clicked(&box, &FileListBox::click);
        for (const KeyStroke& stroke : keys)
            QTest::keyClick(&box, stroke.key, stroke.modifiers);
        QCOMPARE(selectedRows(box), expected);
        QCOMPARE(box.selCount(), expected.size());
        QCOMPARE(clicked.size(), clicks);
    }

    void rightClickKeepsTheSelection() {
        FileListBox box;
        TestFolder folder;
        open(box, folder, tenFiles);
        clickRow(box, 1);
        clickRow(box, 3, Qt::ControlModifier);
        clickRow(box, 5, Qt::ControlModifier);
        QSignalSpy pressed(&box, &FileListBox::mouseDown);
        QSignalSpy clicked(&box, &FileListBox::click);
        clickRow(box, 7, {}, Qt::RightButton);
        QCOMPARE(selectedRows(box), (QList<int>{1, 3, 5}));
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(pressed.at(0).at(2).toPoint(), centreOf(box, 7));
        QCOMPARE(clicked.size(), 0);
    }

    void doubleClickOnAFileOnly() {
        FileListBox box;
        TestFolder folder;
        open(box, folder, {"one", "two"});
        QSignalSpy doubled(&box, &FileListBox::dblClick);
        QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, centreOf(box, 1));
        QCOMPARE(doubled.size(), 1);
        QCOMPARE(box.listIndex(), 1);
        QTest::mouseDClick(box.viewport(), Qt::LeftButton, {},
                           QPoint(5, box.viewport()->height() - 3));
        QCOMPARE(doubled.size(), 1);
    }

    void keyPressCanCancelTheKey() {
        FileListBox box;
        TestFolder folder;
        open(box, folder, {"apple", "banana", "cherry"});
        clickRow(box, 0);
        bool cancel = true;
        QList<int> seen;
        connect(&box, &FileListBox::keyPress, &box, [&](int& keyAscii) {
            seen.append(keyAscii);
            if (cancel)
                keyAscii = 0;
        });
        QTest::keyClick(&box, Qt::Key_C);
        QCOMPARE(box.listIndex(), 0); // the type-ahead search did not run
        cancel = false;
        QTest::keyClick(&box, Qt::Key_C);
        QCOMPARE(box.listIndex(), 2);
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(seen, (QList<int>{'c', 'c', 13}));
    }

    void refreshFollowsTheFolder() {
        FileListBox box;
        TestFolder folder;
        open(box, folder, {"a", "b", "c", "d"});
        clickRow(box, 1);
        clickRow(box, 2, Qt::ControlModifier);
        clickRow(box, 3, Qt::ControlModifier);
        QVERIFY(folder.create({"ab"}));
        QVERIFY(folder.remove("d"));
        box.refresh();
        QCOMPARE(listed(box), (QStringList{"a", "ab", "b", "c"}));
        QCOMPARE(selectedRows(box), (QList<int>{2, 3}));
        QCOMPARE(box.listIndex(), -1); // "d" was current and is gone
        clickRow(box, 3, Qt::ControlModifier);
        clickRow(box, 3, Qt::ControlModifier);
        box.refresh();
        QCOMPARE(box.list(box.listIndex()), QStringLiteral("c"));
    }

    // Hundreds of changes all over the list: read as one new list, with the
    // selection, the current file and the top file put back by name.
    void refreshOfManyChangesKeepsTheSelection() {
        FileListBox box;
        TestFolder folder;
        QStringList even;
        for (int i = 0; i < 1000; i += 2)
            even << QStringLiteral("f%1").arg(i, 3, 10, QLatin1Char('0'));
        open(box, folder, even);
        box.setListIndex(300);
        box.setSelected(10, true);
        box.scrollTo(box.model()->index(200, 0), QAbstractItemView::PositionAtTop);
        const QString top = box.list(box.indexAt(QPoint(1, 1)).row());
        QStringList odd;
        for (int i = 1; i < 800; i += 2)
            odd << QStringLiteral("f%1").arg(i, 3, 10, QLatin1Char('0'));
        QVERIFY(folder.create(odd));
        QSignalSpy reset(box.model(), &QAbstractItemModel::modelReset);
        box.refresh();
        QCoreApplication::processEvents();
        QCOMPARE(reset.size(), 1);
        QCOMPARE(box.listCount(), 900);
        QCOMPARE(box.list(box.listIndex()), QStringLiteral("f600"));
        QCOMPARE(selectedRows(box).size(), 2);
        QVERIFY(box.selected(20) && box.list(20) == QStringLiteral("f020"));
        QCOMPARE(box.list(box.indexAt(QPoint(1, 1)).row()), top);
    }

    // Files that come or go above the top of a scrolled list do not move it.
    void refreshKeepsTheTopFile() {
        FileListBox box;
        TestFolder folder;
        QVERIFY(folder.createNumbered(300, QStringLiteral("f")));
        open(box, folder, {});
        box.scrollTo(box.model()->index(150, 0), QAbstractItemView::PositionAtTop);
        const QString top = box.list(box.indexAt(QPoint(1, 1)).row());
        QVERIFY(folder.create({"a1", "a2", "a3"}) && folder.remove("f0"));
        box.refresh();
        QCoreApplication::processEvents(); // the list is laid out again
        QCOMPARE(box.listCount(), 302);
        QCOMPARE(box.list(box.indexAt(QPoint(1, 1)).row()), top);
    }

    // Dragged to a file manager, the selected files go as their exact file
    // addresses, offered to copy only: a move would take them away.
    void dragOffersTheSelectionToCopy() {
        FileListBox box;
        TestFolder folder;
        open(box, folder, {"a b.txt", "c.txt"});
        QVERIFY(folder.createRaw("caf\xe9.ex_"));
        box.refresh();
        box.selectAll();
        // The headless platform has no drag and drop: the drag that the
        // mouse starts returns at once and stays behind to be looked at.
        const QPoint from = centreOf(box, 0);
        QTest::mousePress(box.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(box.viewport(), from + QPoint(2, 2));
        QTest::mouseMove(box.viewport(), from + QPoint(40, 40));
        QCOMPARE(box.selCount(), 3);
        QTest::mouseRelease(box.viewport(), Qt::LeftButton, {}, from + QPoint(40, 40));
        auto* drag = box.findChild<QDrag*>();
        QVERIFY(drag);
        const QByteArray offered = drag->mimeData()->data(QStringLiteral("text/uri-list"));
        const Qt::DropActions actions = drag->supportedActions();
        const QByteArray base = "file://" + QFile::encodeName(folder.path()).toPercentEncoding("/");
        QCOMPARE(offered, base + "/a%20b.txt\r\n" + base + "/c.txt\r\n" + base + "/caf%E9.ex_\r\n");
        QCOMPARE(actions, Qt::DropActions(Qt::CopyAction));
    }

    void unreadableFolderKeepsTheListing_data() {
        QTest::addColumn<QString>("where"); // each is 76 Path not found
        QTest::newRow("a folder that does not exist") << "missing";
        QTest::newRow("a regular file") << "one";
        QTest::newRow("an empty path") << "";
    }

    void unreadableFolderKeepsTheListing() {
        QFETCH(QString, where);
        FileListBox box;
        TestFolder folder;
        open(box, folder, {"one", "two"});
        clickRow(box, 1);
        const QString target = where.isEmpty() ? where : folder.pathOf(where);
        try {
            box.setPath(target);
            QFAIL("setPath succeeded");
        } catch (const RuntimeError& failure) {
            QCOMPARE(failure.number(), 76);
        }
        QCOMPARE(box.path(), folder.path());
        QCOMPARE(listed(box), (QStringList{"one", "two"}));
        QCOMPARE(selectedRows(box), QList<int>{1});
    }

    void manyFilesPast16BitIndices() {
        FileListBox box;
        TestFolder folder;
        QVERIFY(folder.createNumbered(40000, "file"));
        open(box, folder, {});
        QCOMPARE(box.listCount(), 40000);
        QCOMPARE(box.list(39999), QStringLiteral("file39999"));
        QCOMPARE(box.list(32768), QStringLiteral("file32768"));
        box.setListIndex(39999);
        QCOMPARE(box.listIndex(), 39999);
        QVERIFY(box.selected(39999));
        box.setSelected(32767, true);
        box.setSelected(32768, true);
        QCOMPARE(selectedRows(box), (QList<int>{32767, 32768, 39999}));
        QCOMPARE(box.selCount(), 3);
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box.selCount(), 40000);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, box.setSelected(40000, true));
    }

private:
    // A shown list of the files `entries` in a fresh folder.

    void open(FileListBox& box, TestFolder& folder, const QStringList& entries) {
        QVERIFY(folder.isValid());
        QVERIFY(folder.create(entries));
        box.resize(300, 400);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setPath(folder.path());
        QCOMPARE(box.path(), folder.path());
    }
};

QTEST_MAIN(TestFileListBox)
#include "file_list_box_test.moc"
