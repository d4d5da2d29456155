// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/app_info.h"
#include "common/message_box.h"
#include "errors/error_trap.h"
#include "errors/on_error.h"
#include "failures/runtime_error.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <system_error>

using namespace crunchwise;

Q_DECLARE_METATYPE(ErrorTrap::Mode)

class TestErrorTrap : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;

    int logLines() const {
        QFile log(folder_.path() + QStringLiteral("/error.log"));
        return log.open(QIODevice::ReadOnly) ? int(log.readAll().count('\n')) : 0;
    }

private slots:
    void init() {
        QFile::remove(folder_.path() + QStringLiteral("/error.log"));
        AppInfo::setPathForTesting(folder_.path());
        MessageBox::clearShown();
    }

    // One guarded step or branch test that fails `failing` times (-1: every
    // time), with `answers` to its reports; then one more step.
    void branches_data() {
        QTest::addColumn<ErrorTrap::Mode>("mode");
        QTest::addColumn<bool>("branch"); // a branch test (whose own value is false), else a step
        QTest::addColumn<int>("failing");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("reports"); // boxes shown, error.log lines
        using M = ErrorTrap::Mode;
        const int retry = QMessageBox::Retry;
        const int cancel = QMessageBox::Cancel;
        QTest::newRow("Retry runs a step again until it succeeds")
            << M::Report << false << 2 << QList<int>{retry, retry} << true << 3 << 2;
        QTest::newRow("Cancel skips the step and goes on")
            << M::Report << false << -1 << QList<int>{cancel} << false << 1 << 1;
        QTest::newRow("a failed branch test enters the branch")
            << M::Report << true << -1 << QList<int>{cancel} << true << 1 << 1;
        QTest::newRow("a retried branch test takes its real value")
            << M::Report << true << 1 << QList<int>{retry} << false << 2 << 1;
        QTest::newRow("a passing branch test is not reported")
            << M::Report << true << 0 << QList<int>{} << false << 1 << 0;
        QTest::newRow("ignoring, a step is skipped silently")
            << M::Ignore << false << -1 << QList<int>{} << false << 1 << 0;
        QTest::newRow("ignoring, a failed branch test enters the branch")
            << M::Ignore << true << -1 << QList<int>{} << true << 1 << 0;
    }
    void branches() {
        QFETCH(ErrorTrap::Mode, mode);
        QFETCH(bool, branch);
        QFETCH(int, failing);
        QFETCH(QList<int>, answers);
        QFETCH(bool, result);
        QFETCH(int, attempts);
        QFETCH(int, reports);
        for (const int answer : answers)
            MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
        const int beeps = OnError::beepCount();
        ErrorTrap trap(QStringLiteral("frmMainBranch"), mode);
        int tries = 0;
        const auto run = [&] {
            if (++tries <= failing || failing < 0)
                raiseRuntimeError(52);
            return false;
        };
        QCOMPARE(branch ? trap.test(run) : trap.step(run), result);
        int after = 0;
        trap.step([&] { ++after; });
        QCOMPARE(tries, attempts);
        QCOMPARE(after, 1);
        QCOMPARE(MessageBox::shown().size(), reports);
        QCOMPARE(logLines(), reports);
        QCOMPARE(OnError::beepCount() - beeps, 2 * reports); // two beeps each
    }

    void tellingTrapShowsTheDescriptionOnlyAndSkips() {
        MessageBox::setNextAnswer(QMessageBox::Ok);
        const int beeps = OnError::beepCount();
        QVERIFY(!ErrorTrap::telling(nullptr).step([] { raiseRuntimeError(53); }));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("File not found"));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::NoIcon);
        QCOMPARE(logLines(), 0);
        QCOMPARE(OnError::beepCount(), beeps);
    }

    // A missing file from the file system, out of memory, any other exception.
    void otherExceptionsAreReportedWithTheirNumbers() {
        for (const auto& [kind, logged] : {std::pair{0, "File not found (53)\r\n"},
                                           {1, "Out of memory (7)\r\n"},
                                           {2, "broken (51)\r\n"}}) {
            MessageBox::setNextAnswer(QMessageBox::Cancel);
            ErrorTrap(QStringLiteral("frmMainKinds")).step([kind] {
                if (kind == 0)
                    throw std::filesystem::filesystem_error(
                        "open", std::make_error_code(std::errc::no_such_file_or_directory));
                if (kind == 1)
                    throw std::bad_alloc();
                throw std::runtime_error("broken");
            });
            QFile log(folder_.path() + QStringLiteral("/error.log"));
            QVERIFY(log.open(QIODevice::ReadOnly));
            QVERIFY2(log.readAll().contains(logged), logged);
        }
    }
};

QTEST_MAIN(TestErrorTrap)
#include "error_trap_test.moc"
