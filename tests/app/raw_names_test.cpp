// SPDX-License-Identifier: GPL-3.0-or-later
// Every command on a name that is not UTF-8 ("\xff\xfe.txt") beside its
// look-alike twin ("\uFFFD\uFFFD.txt", what a lossy conversion makes of it):
// each acts on the file chosen and leaves the twin alone.
#include "tests/support/expand_session.h"

#include "common/file_name_codec.h"
#include "common/message_box.h"
#include "dialogs/frm_save_directory.h"
#include "program/command_line.h"
#include "tests/support/scratch_folder.h"

#include <QInputDialog>
#include <QLabel>

#include <cstdio>

using namespace crunchwise;
using namespace expand_session;

namespace {
const QByteArray kRaw = "\xff\xfe";
const QString kTwin = QStringLiteral("\uFFFD\uFFFD");

QString raw(const char* suffix) {
    return FileNameCodec::decode(kRaw + suffix);
}
QString twin(const char* suffix) {
    return kTwin + QLatin1String(suffix);
}
// The bytes of the file `name` in `folder`; "<missing>" when absent. Read
// through the host's own names, which QFile would not keep.
QByteArray contents(const QString& folder, const QString& name) {
    const QByteArray path = FileNameCodec::encode(folder + u'/' + name);
    FILE* stream = std::fopen(path.constData(), "rb");
    if (!stream)
        return "<missing>";
    QByteArray data;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        data.append(buffer, qsizetype(got));
    std::fclose(stream);
    return data;
}
// The names in `folder`, as the host has them.
QStringList namesIn(const QString& folder) {
    QStringList names;
    for (const auto& entry :
         std::filesystem::directory_iterator(FileNameCodec::encode(folder).toStdString()))
        names << FileNameCodec::decode(QByteArray::fromStdString(entry.path().filename()));
    names.sort();
    return names;
}

bool put(const QString& folder, const QString& name, const QByteArray& data) {
    const QByteArray path = FileNameCodec::encode(folder + u'/' + name);
    FILE* stream = std::fopen(path.constData(), "wb");
    const bool written = stream && std::fwrite(data.data(), 1, std::size_t(data.size()), stream) ==
                                       std::size_t(data.size());
    return stream && std::fclose(stream) == 0 && written;
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
        QVERIFY(put(folder_, raw(".txt"), rawData_));
        QVERIFY(put(folder_, twin(".txt"), twinData_));
        QVERIFY(compressed("ours", rawData_, folder_ + QStringLiteral("/packed")));
        QVERIFY(compressed("ours", twinData_, folder_ + QStringLiteral("/packed-twin")));
        QVERIFY(put(folder_, raw(".tx_"), readAll(folder_ + QStringLiteral("/packed"))));
        QVERIFY(put(folder_, twin(".tx_"), readAll(folder_ + QStringLiteral("/packed-twin"))));
        QVERIFY(QFile::remove(folder_ + QStringLiteral("/packed")));
        QVERIFY(QFile::remove(folder_ + QStringLiteral("/packed-twin")));
    }
    void cleanup() {
        // The trash may hold raw names, which QTemporaryDir could not remove.
        std::filesystem::remove_all(
            FileNameCodec::encode(session_.homePath() + QStringLiteral("/.local/share/Trash"))
                .toStdString());
        QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for");
        // The twin is never touched.
        QCOMPARE(contents(folder_, twin(".txt")), twinData_);
    }

    void propertiesShowsTheChosenFile() {
        auto window = windowOnRaw(".txt");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->mPopUp2_Click(7);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.endsWith(QStringLiteral("File Size: 2,222 bytes")));
        QCOMPARE(MessageBox::shown()[0].title, FileNameCodec::displayText(raw(".txt")));
    }

    void deleteTrashesTheChosenFile() {
        auto window = windowOnRaw(".txt");
        MessageBox::setNextAnswer(QMessageBox::Yes);
        window->mPopUp2_Click(4);
        QCOMPARE(contents(folder_, raw(".txt")), QByteArray("<missing>"));
        const QString trash = session_.homePath() + QStringLiteral("/.local/share/Trash");
        QCOMPARE(contents(trash + QStringLiteral("/files"), raw(".txt")), rawData_);
        const QByteArray info = contents(trash + QStringLiteral("/info"), raw(".txt.trashinfo"));
        QVERIFY2(info.contains("%FF%FE.txt\nDeletionDate="), info.constData());
    }

    void renameRenamesTheChosenFile() {
        auto window = windowOnRaw(".txt");
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            box->setTextValue(QStringLiteral("renamed.txt"));
            box->accept();
        });
        window->mPopUp2_Click(5);
        QCOMPARE(contents(folder_, QStringLiteral("renamed.txt")), rawData_);
        QCOMPARE(contents(folder_, raw(".txt")), QByteArray("<missing>"));
    }

    void expandExpandsTheChosenFile() {
        auto window = expand(folder_, {raw(".tx_")}, [&](frmSaveDirectoryExpand* dialog) {
            QCOMPARE(dialog->txtFileName->text(), raw(".txt"));
            dialog->txtFileName->setText(raw(".out"));
            dialog->cmdSave->click();
        });
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Completed"));
        QCOMPARE(contents(folder_, raw(".out")), rawData_);
        QCOMPARE(contents(folder_, twin(".out")), QByteArray("<missing>"));
    }

    void compressCompressesTheChosenFile() {
        crunchwise::testing::ScratchFolder destination;
        const QString into = QString::fromStdString(destination.path());
        auto window = windowOnRaw(".txt");
        answerCompressTo(into);
        window->mPopUp2_Click(0);
        QCOMPARE(program_.waitForRunner(), QByteArray("0"));
        QCOMPARE(namesIn(into), QStringList{raw(".tx_")});
        QVERIFY(put(into, QStringLiteral("in.tx_"), contents(into, raw(".tx_"))));
        QProcess expander;
        expander.start(QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/expand.exe"),
                       {into + QStringLiteral("/in.tx_"), into + QStringLiteral("/out")});
        QVERIFY(expander.waitForFinished(20000));
        QCOMPARE(contents(into, QStringLiteral("out")), rawData_);
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
