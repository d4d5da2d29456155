// SPDX-License-Identifier: GPL-3.0-or-later
// Every command on a name that is not UTF-8 ("\xff\xfe.txt") beside its
// look-alike twin ("\uFFFD\uFFFD.txt", what a lossy conversion makes of it):
// each acts on the file chosen and leaves the twin alone.
#include "tests/support/window_session.h"

#include "program/command_line.h"
#include "tests/support/scratch_folder.h"

#include <QInputDialog>

using namespace crunchwise;
using namespace command_fixture;

namespace {
const QByteArray kRaw = "\xff\xfe";
const QString kTwin = QStringLiteral("\uFFFD\uFFFD");

QString raw(const char* suffix) {
    return FileNameCodec::decode(kRaw + suffix);
}
QString twin(const char* suffix) {
    return kTwin + QLatin1String(suffix);
}
} // namespace

class TestRawNames : public QObject {
    Q_OBJECT

private:
    WindowSession session_{WindowSession::NoWindow{}};
    StagedProgram program_;
    std::unique_ptr<crunchwise::testing::ScratchFolder> scratch_;
    QString folder_;
    const QByteArray rawData_ = QByteArray(2222, 'r');
    const QByteArray twinData_ = QByteArray(333, 't');

    QString in(const QString& name) const { return folder_ + u'/' + name; }
    // A window on the folder, the raw-named file `suffix` alone selected.
    std::unique_ptr<frmMain> windowOnRaw(const char* suffix) {
        auto window = windowOn(folder_);
        selectRows(window->File1, {rowOf(window->File1, raw(suffix))});
        return window;
    }

private slots:
    void initTestCase() { AppInfo::setPathForTesting(program_.path()); }
    // Each pair twice: plain ("*.txt") and compressed ("*.tx_").
    void init() {
        MessageBox::clearShown();
        scratch_ = std::make_unique<crunchwise::testing::ScratchFolder>();
        folder_ = FileNameCodec::decode(QByteArray::fromStdString(scratch_->path()));
        QVERIFY(writeAll(in(raw(".txt")), rawData_));
        QVERIFY(writeAll(in(twin(".txt")), twinData_));
        QVERIFY(compressed(rawData_, in(raw(".tx_"))));
        QVERIFY(compressed(twinData_, in(twin(".tx_"))));
    }
    void cleanup() {
        // The trash may hold raw names, which QTemporaryDir could not remove.
        std::filesystem::remove_all(
            FileNameCodec::encode(session_.homePath() + QStringLiteral("/.local/share/Trash"))
                .toStdString());
        QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for");
        // The twin is never touched.
        QCOMPARE(readAll(in(twin(".txt"))), twinData_);
    }

    void propertiesShowsTheChosenFile() {
        auto window = windowOnRaw(".txt");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->mPopUp2_Click(7);
        QCOMPARE(boxTitles(), QStringList{FileNameCodec::displayText(raw(".txt"))});
        QVERIFY(boxTexts()[0].endsWith(QStringLiteral("File Size: 2,222 bytes")));
    }

    void deleteTrashesTheChosenFile() {
        auto window = windowOnRaw(".txt");
        MessageBox::setNextAnswer(QMessageBox::Yes);
        window->mPopUp2_Click(4);
        QCOMPARE(readAll(in(raw(".txt"))), QByteArray("<missing>"));
        const QString trash = session_.homePath() + QStringLiteral("/.local/share/Trash");
        QCOMPARE(readAll(trash + QStringLiteral("/files") + u'/' + raw(".txt")), rawData_);
        const QByteArray info =
            readAll(trash + QStringLiteral("/info") + u'/' + raw(".txt.trashinfo"));
        QVERIFY2(info.contains("%FF%FE.txt\nDeletionDate="), info.constData());
    }

    void renameRenamesTheChosenFile() {
        auto window = windowOnRaw(".txt");
        whenOpen<QInputDialog>([](QInputDialog* box) {
            box->setTextValue(QStringLiteral("renamed.txt"));
            box->accept();
        });
        window->mPopUp2_Click(5);
        QCOMPARE(readAll(in(QStringLiteral("renamed.txt"))), rawData_);
        QCOMPARE(readAll(in(raw(".txt"))), QByteArray("<missing>"));
    }

    void expandExpandsTheChosenFile() {
        auto window = expand(folder_, {raw(".tx_")}, [&](frmSaveDirectoryExpand* dialog) {
            QCOMPARE(dialog->txtFileName->text(), raw(".txt"));
            dialog->txtFileName->setText(raw(".out"));
            dialog->cmdSave->click();
        });
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Completed"));
        QCOMPARE(readAll(in(raw(".out"))), rawData_);
        QCOMPARE(readAll(in(twin(".out"))), QByteArray("<missing>"));
    }

    void compressCompressesTheChosenFile() {
        crunchwise::testing::ScratchFolder destination;
        const QString into = QString::fromStdString(destination.path());
        auto window = windowOnRaw(".txt");
        answerCompressTo(into);
        window->mPopUp2_Click(0);
        QCOMPARE(program_.waitForRunner(), QByteArray("0"));
        QCOMPARE(filesIn(into), QStringList{raw(".tx_")});
        QCOMPARE(expanded(into + u'/' + raw(".tx_")), rawData_);
    }

    void commandLinePathSelectsTheChosenFile() {
        QByteArray path = FileNameCodec::encode(folder_ + u'/') + kRaw + ".txt";
        char program[] = "crunchwise";
        char* argv[] = {program, path.data()};
        QString opened;
        QCOMPARE(CommandLine().readPath(argumentList(2, argv), opened), std::optional<int>());
        auto window = windowOn(session_.source.path());
        QVERIFY(window->openPath(opened));
        QCOMPARE(window->File1->list(window->File1->listIndex()), raw(".txt"));
    }
};

QTEST_MAIN(TestRawNames)
#include "raw_names_test.moc"
