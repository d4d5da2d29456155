// SPDX-License-Identifier: GPL-3.0-or-later
// Expand through the real window: "Expand To", the replace question, SZDD and
// KWAJ files through the LZ library (every format and method is its own
// test), the failure dialog, the line Properties adds for compressed files,
// and a run cut short by Cancel, closing the window or a signal, which never
// costs the file at a destination nor leaves a temporary. (That a replaced
// file keeps its owner, group and permissions is ReplacingFile's; another
// compressor's wrong length is LzFailure's.)
#include "tests/support/window_session.h"

#include "platform/interrupt_cleanup.h"
#include "tests/support/szdd_file.h"

#include <QAction>
#include <QProgressDialog>
#include <QToolButton>

#include <csignal>

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

// One Expand run: the folder's files, all selected unless `selected` names
// some; the name typed over what "Expand To" proposes; files there before and
// the answer to the question about them; the outputs expected after it (a
// file's contents, or "<missing>"), the status and a line of the failure.
struct ExpandCase {
    Files files{};
    QStringList selected{};
    QString typed{};
    QString proposed{};
    Files existing{};
    bool replace = true;
    Files outputs{};
    QString status = QStringLiteral("Expansion Completed");
    QString failure{};
};

// Expands to 480 MB: long enough to be cut short while in hand.
constexpr std::uint64_t kBigGroups = 20 * 1000 * 1000;
const char* const kChildFolder = "CRUNCHWISE_EXPAND_CHILD";

// True once the temporary of big.txt in `folder` has grown.
bool writing(const QString& folder) {
    for (const QString& name : hiddenFiles(folder))
        if (name.contains(u".big.txt.") && QFileInfo(folder + u'/' + name).size() > 0)
            return true;
    return false;
}
// Runs `act` once big.txt of `folder` is being written.
void whileWriting(const QString& folder, const std::function<void()>& act) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (writing(folder)) {
            timer->stop();
            timer->deleteLater();
            act();
        }
    });
    timer->start(2);
}
QProgressDialog* progressDialog() {
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* progress = qobject_cast<QProgressDialog*>(widget))
            return progress;
    return nullptr;
}

// In a child process: expands big.tx_ over big.txt, as the program does
// with its signal handlers, until a signal ends it.
int expandAsChild(int argc, char** argv) {
    InterruptCleanup::installHandlers();
    QApplication application(argc, argv);
    MessageBox::setNextAnswer(QMessageBox::Yes); // replace big.txt
    expand(qEnvironmentVariable(kChildFolder), {"big.tx_"}, acceptProposal);
    return 0;
}
} // namespace

Q_DECLARE_METATYPE(ExpandCase)

class TestExpand : public QObject {
    Q_OBJECT

    WindowSession session_{QStringList{}};
    const QByteArray data_ = sampleData(5);
    QTemporaryDir big_; // big.tx_, a.tx_ and c.tx_ for the runs cut short
    const QString in_ = big_.path() + u'/';

    // Writes `files` into the session's fresh folder.
    void lay(const Files& files) {
        session_.reset({});
        for (const auto& [name, contents] : files)
            QVERIFY(writeAll(session_.source.pathOf(name), contents));
        session_.window->File1->refresh();
    }
    // big.txt holds "previous", a.txt and c.txt are not there; `answer`
    // answers the question about big.txt.
    void layBig(bool answer = true) {
        for (const char* name : {"a.txt", "c.txt"})
            QFile::remove(in_ + QLatin1String(name));
        QVERIFY(writeAll(in_ + QStringLiteral("big.txt"), "previous"));
        if (answer)
            MessageBox::setNextAnswer(QMessageBox::Yes);
    }
    // The file that was in hand is as it was, and nothing is left beside.
    void bigKept() {
        QCOMPARE(readAll(in_ + QStringLiteral("big.txt")), QByteArray("previous"));
        QCOMPARE(hiddenFiles(big_.path()), QStringList());
    }

private slots:
    void initTestCase() {
        crunchwise::testing::writeZeroStream(QFile::encodeName(in_ + "big.tx_").toStdString(),
                                             kBigGroups);
        QVERIFY(compressed(sampleData(1), in_ + QStringLiteral("a.tx_")));
        QVERIFY(compressed(sampleData(3), in_ + QStringLiteral("c.tx_")));
    }
    void init() { MessageBox::clearShown(); }
    void cleanup() { QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for"); }

    void expandsTheSelection_data() {
        QTest::addColumn<ExpandCase>("run");
        const QString failed = QStringLiteral("Expansion Failed");
        const QString damaged =
            QStringLiteral("Error Number: 321\r\n\r\n1 file was not expanded:\r\n");
        const QByteArray one = sampleData(1), two = sampleData(2),
                         cut = szddOf(sampleData(7, 78737));
        const QByteArray part = expansionOf(cut.left(5000));
        const QString cutShort =
            QStringLiteral("trunc.tx_: expanded %1 bytes, the header says 78737; ")
                .arg(part.size());
        // The first in list order is proposed its name.
        QTest::newRow("SZDD files, each under its own name") << ExpandCase{
            .files = {{"read me.tx_", szddOf(one)},
                      {"SETUP.EX_", szddOf(two)},
                      {"lib.dl_", szddOf(data_)}},
            .proposed = "lib.dll",
            .outputs = {{"read me.txt", one}, {"SETUP.EXE", two}, {"lib.dll", data_}}};
        QTest::newRow("an existing file replaced after Yes")
            << ExpandCase{.files = {{"OTHER.TX_", szddOf(two)}, {"SAMPLE.TX_", szddOf(one)}},
                          .existing = {{"SAMPLE.TXT", "edited by the user"}},
                          .outputs = {{"SAMPLE.TXT", one}, {"OTHER.TXT", two}}};
        QTest::newRow("No leaves an existing file and its source out")
            << ExpandCase{.files = {{"OTHER.TX_", szddOf(two)}, {"SAMPLE.TX_", szddOf(one)}},
                          .existing = {{"SAMPLE.TXT", "edited by the user"}},
                          .replace = false,
                          .outputs = {{"SAMPLE.TXT", "edited by the user"}, {"OTHER.TXT", two}}};
        QTest::newRow("No for the only file leaves nothing to do")
            << ExpandCase{.files = {{"SAMPLE.TX_", szddOf(one)}},
                          .existing = {{"SAMPLE.TXT", "edited by the user"}},
                          .replace = false,
                          .outputs = {{"SAMPLE.TXT", "edited by the user"}},
                          .status = "Expansion Cancelled"};
        // Other spellings of a selected file are the output plan's.
        QTest::newRow("output onto the source itself")
            << ExpandCase{.files = {{"a.tx_", szddOf(one)}, {"b.tx_", szddOf(two)}},
                          .selected = {"a.tx_"},
                          .typed = "a.tx_",
                          .outputs = {{"a.tx_", szddOf(one)}},
                          .status = failed,
                          .failure = "a.tx_: its output a.tx_ is a selected file; not expanded"};
        QTest::newRow("output of an earlier file") << ExpandCase{
            .files = {{"a.tx_", szddOf(one)}, {"b.tx_", szddOf(two)}},
            .typed = "b.txt",
            .outputs = {{"b.txt", one}, {"a.tx_", szddOf(one)}, {"b.tx_", szddOf(two)}},
            .status = failed,
            .failure = "b.tx_: its output b.txt is also the output of a.tx_; not "
                       "expanded"};
        QTest::newRow("a file cut short keeps what was expanded")
            << ExpandCase{.files = {{"trunc.tx_", cut.left(5000)}},
                          .outputs = {{"trunc.txt", part}},
                          .status = failed,
                          .failure = cutShort + "what was expanded is kept as trunc.txt"};
        QTest::newRow("a file cut short never replaces one")
            << ExpandCase{.files = {{"trunc.tx_", cut.left(5000)}},
                          .existing = {{"trunc.txt", "the user's file"}},
                          .outputs = {{"trunc.txt", "the user's file"}},
                          .status = failed,
                          .failure = cutShort + "trunc.txt not replaced"};
        // The first is proposed its stored name; the second, not asked
        // about, takes its own. The names' bytes are kept as stored.
        QTest::newRow("KWAJ methods 3 and 4 under their stored names")
            << ExpandCase{.files = {{"disk1.ex_", kwaj(3, data_, "CAF\x82.EXE")},
                                    {raw("\xff.dl_"), kwaj(4, data_ + "2", "DRIVER.DLL")}},
                          .proposed = raw("CAF\x82.EXE"),
                          .outputs = {{raw("CAF\x82.EXE"), data_}, {"DRIVER.DLL", data_ + "2"}}};
        QTest::newRow("damaged KWAJ data over an existing file") << ExpandCase{
            .files = {{"bad.tx_", damagedKwaj(data_)}},
            .existing = {{"bad.txt", "the user's file"}},
            .outputs = {{"bad.txt", "the user's file"}},
            .status = failed,
            .failure = damaged + "bad.tx_: KWAJ method 4 (MS-ZIP), compressed data is damaged: "
                                 "expanded 0 bytes; bad.txt not replaced"};
        QTest::newRow("a refused KWAJ header") << ExpandCase{
            .files = {{"long.tx_", refusedKwaj(data_)}},
            .outputs = {{"long.txt", "<missing>"}},
            .status = failed,
            .failure = damaged + "long.tx_: KWAJ method 3 (LZH), stored name is too long (over "
                                 "8 characters, or extension over 3); not expanded"};
    }
    void expandsTheSelection() {
        QFETCH(ExpandCase, run);
        lay(run.files + run.existing);
        QStringList names = run.selected;
        for (const auto& file : run.files)
            if (run.selected.isEmpty())
                names << file.first;
        session_.select(names);
        if (!run.existing.isEmpty())
            MessageBox::setNextAnswer(run.replace ? QMessageBox::Yes : QMessageBox::No);
        if (!run.failure.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Cancel);
        QString proposed;
        whenOpen<frmSaveDirectoryExpand>([&](frmSaveDirectoryExpand* dialog) {
            proposed = dialog->txtFileName->text();
            if (!run.typed.isEmpty())
                dialog->txtFileName->setText(run.typed);
            dialog->cmdSave->click();
        });
        session_.window->mPopUp2_Click(1);

        if (!run.proposed.isEmpty())
            QCOMPARE(proposed, run.proposed);
        QCOMPARE(session_.window->lblStatus->text(), run.status);
        for (const auto& [name, contents] : run.outputs)
            QCOMPARE(readAll(session_.source.pathOf(name)), contents);
        QCOMPARE(boxTexts().size(), int(!run.existing.isEmpty()) + int(!run.failure.isEmpty()));
        if (!run.existing.isEmpty()) {
            QCOMPARE(boxTexts()[0], QStringLiteral("1 file already exists in %1:\r\n\r\n%2\r\n\r\n"
                                                   "Replace it?")
                                        .arg(session_.source.path(), run.existing[0].first));
            QCOMPARE(MessageBox::shown()[0].defaultButton, QMessageBox::No);
        }
        if (!run.failure.isEmpty())
            QVERIFY2(boxTexts().last().contains(run.failure), qPrintable(boxTexts().last()));
        else
            QVERIFY(session_.listed().contains(run.outputs[0].first));
        QVERIFY(hiddenFiles(session_.source.path()).isEmpty());
    }

    // Each way out of the dialog is the dialog test's; one is enough here.
    void leavingTheDialogWritesNothing() {
        QTemporaryDir folder;
        QVERIFY(compressed(sampleData(1), folder.path() + QStringLiteral("/a.tx_")));
        auto window = expand(folder.path(), {"a.tx_"}, [&](frmSaveDirectoryExpand* dialog) {
            QVERIFY(writeAll(folder.path() + QStringLiteral("/later.txt"), "x"));
            dialog->cmdCancel->click();
        });
        QVERIFY(window->lblStatus->text().isEmpty());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({"a.tx_", "later.txt"}));
        QCOMPARE(rowOf(window->File1, QStringLiteral("later.txt")), -1); // not refreshed
    }

    // A failure names the file; Retry expands the failed files again.
    void retryExpandsTheFailedFilesAgain() {
        QTemporaryDir folder;
        QVERIFY(compressed(sampleData(4), folder.path() + QStringLiteral("/a.tx_")));
        QString text;
        whenOpen<QMessageBox>([&](QMessageBox* box) {
            text = box->text();
            QDir(folder.path()).mkdir(QStringLiteral("later"));
            box->button(QMessageBox::Retry)->click();
        });
        auto window = expand(folder.path(), {"a.tx_"}, saveAs(QStringLiteral("later/a.txt")));
        QVERIFY2(text.contains(QStringLiteral("a.tx_: cannot write later/a.txt: Path not found")),
                 qPrintable(text));
        QCOMPARE(readAll(folder.path() + QStringLiteral("/later/a.txt")), sampleData(4));
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Completed"));
    }

    // The root folder's doubled separator is passed on and works.
    void rootFolderDestination() {
        QTemporaryDir folder;
        QVERIFY(compressed(sampleData(4), folder.path() + QStringLiteral("/root.tx_")));
        const QString target = QStringLiteral("/crunchwise-expand-test.txt");
        if (!writeAll(target, "probe") || !QFile::remove(target))
            QSKIP("the root folder is not writable here");
        auto window = expand(folder.path(), {"root.tx_"}, [&](frmSaveDirectoryExpand* d) {
            d->Dir1->setPath(QStringLiteral("/"));
            d->txtFileName->setText(target.mid(1));
            d->cmdSave->click();
        });
        const QByteArray written = readAll(target);
        QFile::remove(target);
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Completed"));
        QCOMPARE(written, sampleData(4));
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

    // Cancel stops the file in hand, keeps the files done before it and
    // leaves the later ones out.
    void cancelStopsTheFileInHand() {
        layBig();
        // The Cancel button, clicked before the dialog shows.
        whileWriting(big_.path(), [] { progressDialog()->findChild<QPushButton*>()->click(); });
        auto window = expand(big_.path(), {"a.tx_", "big.tx_", "c.tx_"}, acceptProposal);
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Cancelled"));
        QCOMPARE(readAll(in_ + QStringLiteral("a.txt")), sampleData(1));
        QVERIFY(!QFile::exists(in_ + QStringLiteral("c.txt")));
        QCOMPARE(MessageBox::shown().size(), 1); // the replace question alone
        bigKept();
    }

    // From its first moment, before the progress shows, the window takes no
    // other command; closing it then stops the file in hand.
    void noSecondCommandAndClosingLosesNothing() {
        layBig();
        bool progressShown = true;
        QStringList enabled;
        whileWriting(big_.path(), [&] {
            auto* running = qobject_cast<frmMain*>(progressDialog()->parentWidget());
            progressShown = progressDialog()->isVisible();
            for (QWidget* button : {static_cast<QWidget*>(running->cmdCompress),
                                    static_cast<QWidget*>(running->cmdProperties)})
                enabled << (button->isEnabled() ? button->objectName() : QString());
            if (running->mnuProperties->isEnabled())
                enabled << running->mnuProperties->objectName();
            running->mPopUp2_Click(7); // would show a Properties box
            running->mnuCompress->trigger();
            running->close();
        });
        auto window = expand(big_.path(), {"big.tx_"}, acceptProposal);
        QVERIFY(!progressShown);
        QCOMPARE(enabled.join(QString()), QString());
        QCOMPARE(MessageBox::shown().size(), 1); // the replace question alone
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Cancelled"));
        QVERIFY(window->cmdProperties->isEnabled());
        bigKept();
    }

    // The LZ library's temporary goes at SIGTERM. That SIGINT and SIGHUP do
    // the same, through the same handlers, is ToolFailure's (compress.exe).
    void signalRemovesTheTemporaryAndEndsTheProgram() {
        layBig(false); // the child answers the question
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kChildFolder), big_.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), session_.configPath());
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] { return writing(big_.path()) || child.state() == QProcess::NotRunning; }, 20000));
        QCOMPARE(child.state(), QProcess::Running); // else it expanded to the end
        QCOMPARE(::kill(pid_t(child.processId()), SIGTERM), 0);
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        bigKept();
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kChildFolder))
        return expandAsChild(argc, argv);
    QApplication application(argc, argv);
    TestExpand test;
    return QTest::qExec(&test, argc, argv);
}

#include "expand_test.moc"
