// SPDX-License-Identifier: GPL-3.0-or-later
// The selection capture, hostile file names and where the batch runs, driven
// through the window's Compress command.
#include "command_fixture.h"

#include "common/app_info.h"
#include "common/message_box.h"

#include <QLabel>

using namespace crunchwise;
using namespace command_fixture;

class TestCompressCases : public QObject {
    Q_OBJECT

private:
    QTemporaryDir config_;
    StagedProgram program_;
    QTemporaryDir runtime_;

    static QStringList filesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        AppInfo::setPathForTesting(program_.path());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
    }

    void init() {
        MessageBox::clearShown();
        program_.clearRecords();
    }

    void cleanup() { QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for"); }

    void captureCases_data() {
        QTest::addColumn<QList<int>>("selected"); // the first is current; -1 for none
        QTest::addColumn<QStringList>("captured");
        QTest::addColumn<QString>("dosPath"); // "old" when the lists kept their contents
        QTest::newRow("no current item") << QList<int>{-1} << QStringList{"old"} << "old";
        QTest::newRow("current item without selection") << QList<int>{} << QStringList{} << "/";
        QTest::newRow("positions 2, 5 and 9")
            << QList<int>{2, 5, 9} << QStringList{"f2", "f5", "f9"} << "/";
    }
    void captureCases() {
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, captured);
        QFETCH(QString, dosPath);
        QTemporaryDir source;
        for (int i = 0; i < 12; ++i)
            QVERIFY(writeAll(source.path() + QStringLiteral("/f%1").arg(i), "x"));
        auto window = windowOn(source.path());
        window->lstLongName = window->lstDOSName = window->lstToCompress = {QStringLiteral("old")};
        window->txtDOSPath = QStringLiteral("old");
        if (selected.isEmpty()) {
            window->File1->setListIndex(3);
            window->File1->setSelected(3, false);
        } else if (selected[0] >= 0) {
            selectRows(window->File1, selected);
            answerCompressTo(QString(), QStringLiteral("cancel"));
        }
        window->mPopUp2_Click(0);

        QStringList paths;
        for (const QString& name : captured)
            paths << (name == u"old" ? name : source.path() + u'/' + name);
        QCOMPARE(window->lstLongName, captured);
        QCOMPARE(window->lstDOSName, captured);
        QCOMPARE(window->lstToCompress, paths);
        QCOMPARE(window->txtDOSPath, dosPath == u"old" ? dosPath : source.path() + dosPath);
        QCOMPARE(window->txtPATH.isEmpty(), captured.isEmpty() || dosPath == u"old");
        QVERIFY(window->lblStatus->text().isEmpty());
    }

    // In the root folder the joined paths carry a doubled separator.
    void driveRootCapturesWithADoubledSeparator() {
        const QString name = QStringLiteral("crunchwise-capture-test");
        if (!writeAll(QStringLiteral("/") + name, "x"))
            QSKIP("the root folder is not writable here");
        auto window = windowOn(QStringLiteral("/"));
        selectRows(window->File1, {rowOf(window->File1, name)});
        answerCompressTo(QString(), QStringLiteral("cancel"));
        window->mPopUp2_Click(0);
        QFile::remove(QStringLiteral("/") + name);
        QCOMPARE(window->txtDOSPath, QStringLiteral("//"));
        QCOMPARE(window->lstToCompress, QStringList{"//" + name});
        QCOMPARE(window->lstDOSName, QStringList{name});
    }

    // Names that no quoting can carry are reported as failure 52 and left
    // out; the others, however hostile, only ever reach the compressor.
    void hostileNamesRunNothingButTheCompressor() {
        QTemporaryDir source, destination;
        const QStringList names = {"a&b|c%d>e<f.txt", "plain.txt", "quote\"name.txt",
                                   "line\nbreak.txt", "x & del plain.txt"};
        for (const QString& name : names)
            QVERIFY(writeAll(source.path() + u'/' + name, name.toUtf8()));
        auto window = windowOn(source.path());
        QList<int> rows;
        for (const QString& name : names)
            rows << rowOf(window->File1, name);
        selectRows(window->File1, rows);
        answerCompressTo(destination.path());
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        window->mPopUp2_Click(0);

        QCOMPARE(MessageBox::shown().size(), 2);
        QVERIFY(MessageBox::shown()[0].text.startsWith(QStringLiteral("Error Number: 52")));
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Compression Completed"));
        QCOMPARE(program_.waitForRunner(), QByteArray("0"));
        QCOMPARE(filesIn(destination.path()),
                 QStringList({"a&b|c%d>e<f.tx_", "plain.tx_", "x & del plain.tx_"}));
        QStringList sorted = names;
        sorted.sort();
        QCOMPARE(filesIn(source.path()), sorted);
        QVERIFY(QFile::exists(source.path() + QStringLiteral("/plain.txt")));
    }

    // A batch that has not finished keeps _tempcom.bat; the next run goes to
    // a folder of its own and still finds the program folder's compressor.
    void unfinishedBatchIsNeverRewritten() {
        QTemporaryDir source, destination;
        QVERIFY(writeAll(source.path() + QStringLiteral("/one.txt"), sampleData(1)));
        const QByteArray unfinished = "del _tempcom.bat\r\n";
        QVERIFY(writeAll(program_.file("_tempcom.bat"), unfinished));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/usr/bin:/bin");
        auto window = windowOn(source.path());
        selectRows(window->File1, {0});
        answerCompressTo(destination.path());
        window->mPopUp2_Click(0);
        QCOMPARE(qgetenv("PATH"), QByteArray("/usr/bin:/bin"));
        qputenv("PATH", path);

        QCOMPARE(program_.waitForRunner(), QByteArray("0"));
        QCOMPARE(readAll(program_.file("_tempcom.bat")), unfinished);
        QFile::remove(program_.file("_tempcom.bat"));
        const QString runFolder =
            QString::fromUtf8(readAll(program_.file("recorded.cwd")).trimmed());
        QCOMPARE(QFileInfo(runFolder).path(), runtime_.path() + QStringLiteral("/Crunchwise"));
        QVERIFY(!QFile::exists(runFolder + QStringLiteral("/_tempcom.bat")));
        QCOMPARE(filesIn(destination.path()), QStringList{"one.tx_"});
    }

    // A second run right after the first: neither batch is mixed into the
    // other, both sets of files arrive.
    void twoRunsInQuickSuccession() {
        QTemporaryDir source, destination;
        for (const char* name : {"first.txt", "second.txt"})
            QVERIFY(writeAll(source.path() + u'/' + QLatin1String(name), sampleData(name[0])));
        auto window = windowOn(source.path());
        for (int row : {0, 1}) {
            selectRows(window->File1, {row});
            answerCompressTo(destination.path());
            window->mPopUp2_Click(0);
        }
        QCOMPARE(program_.waitForRunner(2), QByteArray("0"));
        QCOMPARE(readAll(program_.file("runner.done")), QByteArray("0\n0\n"));
        QCOMPARE(filesIn(destination.path()), QStringList({"first.tx_", "second.tx_"}));
        QVERIFY(!QFile::exists(program_.file("_tempcom.bat")));
    }

    void launcherThatCannotStartIsReported() {
        QTemporaryDir source, destination;
        QVERIFY(writeAll(source.path() + QStringLiteral("/one.txt"), "1"));
        QVERIFY(writeAll(program_.file("crunchws.pif"), "program=no-such-program\n"));
        auto window = windowOn(source.path());
        selectRows(window->File1, {0});
        answerCompressTo(destination.path());
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        window->mPopUp2_Click(0);
        QVERIFY(writeAll(program_.file("crunchws.pif"),
                         "program=record-batch\narguments=/c _tempcom.bat\n"));

        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.startsWith(QStringLiteral("Error Number: 53")));
        QVERIFY(window->lblStatus->text().isEmpty());
        QVERIFY(!QFile::exists(program_.file("_tempcom.bat")));
    }

    // A destination that vanished has no short form: its own path is used.
    void destinationWithoutShortFormKeepsItsPath() {
        QTemporaryDir source, destination;
        QVERIFY(writeAll(source.path() + QStringLiteral("/one.txt"), "1"));
        auto window = windowOn(source.path());
        selectRows(window->File1, {0});
        whenOpen<frmSaveDirectory>([&](frmSaveDirectory* dialog) {
            dialog->Dir1->setPath(destination.path());
            destination.remove();
            dialog->cmdSave->click();
        });
        window->mPopUp2_Click(0);
        QCOMPARE(window->txtShortPathName, destination.path() + u'/');
        program_.waitForRunner();
        QVERIFY(readAll(program_.file("recorded.bat"))
                    .contains(" " + QFile::encodeName(destination.path()) + "/one.tx_\r\n"));
    }
};

QTEST_MAIN(TestCompressCases)
#include "test_compress_cases.moc"
