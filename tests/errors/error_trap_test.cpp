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

    void retryRunsTheStepAgainUntilItSucceeds() {
        MessageBox::setNextAnswer(QMessageBox::Retry);
        MessageBox::setNextAnswer(QMessageBox::Retry);
        int attempts = 0;
        ErrorTrap trap(QStringLiteral("frmMainRetry"));
        const bool done = trap.step([&] {
            if (++attempts < 3)
                raiseRuntimeError(52);
        });
        QVERIFY(done);
        QCOMPARE(attempts, 3);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(logLines(), 2);
    }

    void cancelGoesOnWithTheNextStep() {
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        QStringList ran;
        ErrorTrap trap(QStringLiteral("frmMainCancel"));
        trap.step([&] { ran << "first"; });
        const bool second = trap.step([&] {
            ran << "second";
            raiseRuntimeError(61);
        });
        trap.step([&] { ran << "third"; });
        QVERIFY(!second);
        QCOMPARE(ran, QStringList({"first", "second", "third"}));
        QCOMPARE(MessageBox::pendingAnswers(), 0);
    }

    void failedBranchTestEntersTheBranch() {
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        ErrorTrap trap(QStringLiteral("frmMainBranch"));
        const bool entered = trap.test([]() -> bool { throw RuntimeError(13); });
        QVERIFY(entered);
        QCOMPARE(MessageBox::shown().size(), 1);
    }

    void retriedBranchTestTakesItsRealValue() {
        MessageBox::setNextAnswer(QMessageBox::Retry);
        int attempts = 0;
        ErrorTrap trap(QStringLiteral("frmMainBranch"));
        const bool entered = trap.test([&] {
            if (++attempts == 1)
                raiseRuntimeError(71);
            return false;
        });
        QVERIFY(!entered);
        QCOMPARE(attempts, 2);
    }

    void passingTestsAreNotReported() {
        ErrorTrap trap(QStringLiteral("frmMainQuiet"));
        QVERIFY(!trap.test([] { return false; }));
        QVERIFY(trap.test([] { return true; }));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void ignoringTrapSkipsFailuresSilently() {
        const int beeps = OnError::beepCount();
        ErrorTrap trap(QStringLiteral("frmMainSizeControls"), ErrorTrap::Mode::Ignore);
        int after = 0;
        QVERIFY(!trap.step([] { raiseRuntimeError(380); }));
        trap.step([&] { ++after; });
        QVERIFY(trap.test([]() -> bool { throw RuntimeError(6); }));
        QCOMPARE(after, 1);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(logLines(), 0);
        QCOMPARE(OnError::beepCount(), beeps);
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

    void otherExceptionsAreReportedWithTheirNumbers_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("logged");
        QTest::newRow("missing file from the file system") << 0 << "File not found (53)";
        QTest::newRow("out of memory") << 1 << "Out of memory (7)";
        QTest::newRow("any other exception") << 2 << "broken (51)";
    }
    void otherExceptionsAreReportedWithTheirNumbers() {
        QFETCH(int, kind);
        QFETCH(QString, logged);
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
        QVERIFY2(log.readAll().contains(logged.toUtf8() + "\r\n"), qPrintable(logged));
    }
};

QTEST_MAIN(TestErrorTrap)
#include "error_trap_test.moc"
