// SPDX-License-Identifier: GPL-3.0-or-later
// Expand cut short by the user or the session: Cancel, closing the window
// and a signal never cost the file at a destination nor leave a temporary.
// (That a replaced file keeps its owner, group and permissions is
// ReplacingFile's, through Destination and LzExpand.)
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
// Expands to 480 MB: long enough to be cut short while in hand.
constexpr std::uint64_t kBigGroups = 20 * 1000 * 1000;
const char* const kChildFolder = "CRUNCHWISE_EXPAND_CHILD";

// True once the temporary of `file` in `folder` has grown, that is while
// `file` is being written.
bool writing(const QString& folder, const QString& file) {
    for (const QString& name : hiddenFiles(folder))
        if (name.contains(u'.' + file + u'.') && QFileInfo(folder + u'/' + name).size() > 0)
            return true;
    return false;
}

// Runs `act` once big.txt of `folder` is being written.
void whileWriting(const QString& folder, const std::function<void()>& act) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (writing(folder, QStringLiteral("big.txt"))) {
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

class TestExpandInterrupt : public QObject {
    Q_OBJECT

private:
    QTemporaryDir config_;
    QTemporaryDir folder_;
    QString in_;

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        in_ = folder_.path() + u'/';
        crunchwise::testing::writeZeroStream(QFile::encodeName(in_ + "big.tx_").toStdString(),
                                             kBigGroups);
        QVERIFY(compressed(sampleData(1), in_ + QStringLiteral("a.tx_")));
        QVERIFY(compressed(sampleData(3), in_ + QStringLiteral("c.tx_")));
    }
    void init() {
        MessageBox::clearShown();
        for (const char* name : {"a.txt", "c.txt"})
            QFile::remove(in_ + QLatin1String(name));
        QVERIFY(writeAll(in_ + QStringLiteral("big.txt"), "previous"));
    }
    void cleanup() {
        QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for");
        // The file that was in hand is as it was, and nothing is left beside.
        QCOMPARE(readAll(in_ + QStringLiteral("big.txt")), QByteArray("previous"));
        QCOMPARE(hiddenFiles(folder_.path()), QStringList());
    }

    // Cancel stops the file in hand, keeps the files done before it and
    // leaves the later ones out.
    void cancelStopsTheFileInHand() {
        MessageBox::setNextAnswer(QMessageBox::Yes); // replace big.txt
        // The Cancel button, clicked before the dialog shows.
        whileWriting(folder_.path(), [] { progressDialog()->findChild<QPushButton*>()->click(); });
        auto window = expand(folder_.path(), {"a.tx_", "big.tx_", "c.tx_"}, acceptProposal);
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Cancelled"));
        QCOMPARE(readAll(in_ + QStringLiteral("a.txt")), sampleData(1));
        QVERIFY(!QFile::exists(in_ + QStringLiteral("c.txt")));
        QCOMPARE(MessageBox::shown().size(), 1); // the replace question alone
    }

    // From its first moment, before the progress shows, the window takes no
    // other command; closing it then stops the file in hand.
    void noSecondCommandAndClosingLosesNothing() {
        MessageBox::setNextAnswer(QMessageBox::Yes);
        bool progressShown = true;
        QStringList enabled;
        frmMain* running = nullptr;
        whileWriting(folder_.path(), [&] {
            running = qobject_cast<frmMain*>(progressDialog()->parentWidget());
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
        auto window = expand(folder_.path(), {"big.tx_"}, acceptProposal);
        QVERIFY(!progressShown);
        QCOMPARE(enabled.join(QString()), QString());
        QCOMPARE(MessageBox::shown().size(), 1); // the replace question alone
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Cancelled"));
        QVERIFY(window->cmdProperties->isEnabled());
    }

    // The LZ library's temporary goes at SIGTERM. That SIGINT and SIGHUP do
    // the same, through the same handlers, is ToolFailure's (compress.exe).
    void signalRemovesTheTemporaryAndEndsTheProgram() {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kChildFolder), folder_.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] {
                return writing(folder_.path(), QStringLiteral("big.txt")) ||
                       child.state() == QProcess::NotRunning;
            },
            20000));
        QCOMPARE(child.state(), QProcess::Running); // else it expanded to the end
        QCOMPARE(::kill(pid_t(child.processId()), SIGTERM), 0);
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kChildFolder))
        return expandAsChild(argc, argv);
    QApplication application(argc, argv);
    TestExpandInterrupt test;
    return QTest::qExec(&test, argc, argv);
}

#include "expand_interrupt_test.moc"
