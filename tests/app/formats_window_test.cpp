// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ files in the window (every format and method through the LZ library
// is tested beside it): what Expand proposes and writes, what it reports for
// a damaged file, and the line Properties adds for compressed files.
#include "tests/support/window_session.h"

#include "tests/support/szdd_file.h"

using namespace crunchwise;
using namespace command_fixture;

namespace {
using Files = QList<std::pair<QString, QByteArray>>;

// A KWAJ file of `data`, storing the name `stored` ("NAME.EXT") when given.
QByteArray kwaj(int method, const QByteArray& data, const QByteArray& stored = {}) {
    const QList<QByteArray> parts = stored.split('.');
    return bytesOf(crunchwise::testing::kwajOf(
        method, {data.begin(), data.end()}, parts[0].toStdString(), parts.value(1).toStdString()));
}
// Method 4 with its first block's "CK" broken: damaged data.
QByteArray damagedKwaj(const QByteArray& data) {
    QByteArray file = kwaj(4, data);
    return file.replace(file.indexOf("CK", 14), 2, "XX");
}
// A stored name of 9 characters without its NUL: a header that is refused.
QByteArray refusedKwaj(const QByteArray& data) {
    QByteArray file = kwaj(3, data, "ABCDEFGH");
    file[file.indexOf("ABCDEFGH") + 8] = 'I';
    return file;
}
QString raw(const char* bytes) {
    return FileNameCodec::decode(QByteArray(bytes));
}

// One Expand run: the files of the folder, selected in list order; what
// "Expand To" proposes (and is saved); the outputs expected after it (a
// file's contents, or "<missing>"); a file there before; the report.
struct ExpandCase {
    Files files;
    QString proposed;
    Files outputs;
    Files existing;
    QString status;
    QString failure;
};
} // namespace

Q_DECLARE_METATYPE(ExpandCase)

class TestFormatsWindow : public QObject {
    Q_OBJECT

    WindowSession session_{QStringList{}};
    const QByteArray data_ = sampleData(5);

    // Writes `files` into the session's fresh folder.
    void lay(const Files& files) {
        session_.reset({});
        for (const auto& [name, contents] : files)
            QVERIFY(writeAll(session_.source.pathOf(name), contents));
        session_.window->File1->refresh();
    }

private slots:
    void init() { MessageBox::clearShown(); }
    void cleanup() { QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for"); }

    void expandsEachFormat_data() {
        QTest::addColumn<ExpandCase>("run");
        const QString done = QStringLiteral("Expansion Completed");
        // The first is proposed its stored name; the second, not asked
        // about, takes its own. The names' bytes are kept as stored.
        QTest::newRow("KWAJ methods 3 and 4 under their stored names")
            << ExpandCase{{{"disk1.ex_", kwaj(3, data_, "CAF\x82.EXE")},
                           {raw("\xff.dl_"), kwaj(4, data_ + "2", "DRIVER.DLL")}},
                          raw("CAF\x82.EXE"),
                          {{raw("CAF\x82.EXE"), data_}, {"DRIVER.DLL", data_ + "2"}},
                          {},
                          done,
                          {}};
        QTest::newRow("damaged data over an existing file")
            << ExpandCase{{{"bad.tx_", damagedKwaj(data_)}},
                          "bad.txt",
                          {{"bad.txt", "the user's file"}},
                          {{"bad.txt", "the user's file"}},
                          "Expansion Failed",
                          "bad.tx_: KWAJ method 4 (MS-ZIP), compressed data is damaged: "
                          "expanded 0 bytes; bad.txt not replaced"};
        QTest::newRow("a refused header")
            << ExpandCase{{{"long.tx_", refusedKwaj(data_)}},
                          "long.txt",
                          {{"long.txt", "<missing>"}},
                          {},
                          "Expansion Failed",
                          "long.tx_: KWAJ method 3 (LZH), stored name is too long (over 8 "
                          "characters, or extension over 3); not expanded"};
    }
    void expandsEachFormat() {
        QFETCH(ExpandCase, run);
        lay(run.files + run.existing);
        QStringList names;
        for (const auto& file : run.files)
            names << file.first;
        session_.select(names);
        if (!run.existing.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Yes); // replace it
        if (!run.failure.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Cancel);
        QString proposed;
        whenOpen<frmSaveDirectoryExpand>([&](frmSaveDirectoryExpand* dialog) {
            proposed = dialog->txtFileName->text();
            dialog->cmdSave->click();
        });
        session_.window->mPopUp2_Click(1);

        QCOMPARE(proposed, run.proposed);
        QCOMPARE(session_.window->lblStatus->text(), run.status);
        for (const auto& [name, contents] : run.outputs)
            QCOMPARE(readAll(session_.source.pathOf(name)), contents);
        if (run.failure.isEmpty())
            return;
        const QString text = MessageBox::shown().last().text;
        QVERIFY2(text.contains(run.failure) && text.startsWith(QStringLiteral("Error Number: 321")),
                 qPrintable(text));
        QVERIFY(hiddenFiles(session_.source.path()).isEmpty());
    }

    // Properties adds one line for a compressed file, none for another.
    void propertiesTellsWhatAFileExpandsTo_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("line");
        const QString size = QLocale().toString(data_.size()) + QStringLiteral(" bytes");
        QTest::newRow("SZDD") << "SETUP.EX_" << szddOf(data_)
                              << "SZDD, expands to SETUP.EXE, " + size;
        QTest::newRow("KWAJ with a stored name")
            << "disk1.ex_" << kwaj(3, data_, "SETUP.EXE")
            << "KWAJ method 3 (LZH), expands to SETUP.EXE, " + size;
        QTest::newRow("KWAJ without a stored length")
            << "nolen.tx_"
            << bytesOf(crunchwise::testing::kwajBytes(0, 0, {}, {data_.begin(), data_.end()}))
            << "KWAJ method 0 (stored), expands to nolen.txt, size not stored in the file";
        QTest::newRow("a refused header")
            << "long.tx_" << refusedKwaj(data_)
            << "KWAJ method 3 (LZH), cannot be expanded: stored name is too long (over 8 "
               "characters, or extension over 3)";
        QTest::newRow("not compressed") << "readme.txt" << data_ << QString();
    }
    void propertiesTellsWhatAFileExpandsTo() {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, line);
        lay({{name, contents}});
        session_.select({name});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        session_.window->mPopUp2_Click(7);

        QCOMPARE(MessageBox::shown().size(), 1);
        const QStringList lines = MessageBox::shown()[0].text.split(u'\n');
        QCOMPARE(lines.size(), line.isEmpty() ? 2 : 3);
        QVERIFY(lines[1].startsWith(QStringLiteral("File Size: ")));
        if (!line.isEmpty())
            QCOMPARE(lines[2], QStringLiteral("Compressed: ") + line);
    }
};

QTEST_MAIN(TestFormatsWindow)
#include "formats_window_test.moc"
