// SPDX-License-Identifier: GPL-3.0-or-later
// ShellExecuteA: the launcher file runs the batch runner detached in the
// given folder; addresses go to the desktop.
#include "desktop/shell_execute.h"
#include "szdd/szdd.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QObject>
#include <QTest>
#include <QUrl>

using namespace crunchwise;
using namespace crunchwise::testing;

// Receives the addresses that the desktop would open.
class AddressCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class ShellExecuteTest : public QObject {
    Q_OBJECT
private slots:
    void launcherRunsTheBatchDetachedInTheGivenFolder();
    void launcherFailures(); // and operations other than opening
    void addressesGoToTheirHandlerOrHaveNoAssociation();
    void watchedLauncherHandsBackItsProgram();
};

void ShellExecuteTest::launcherRunsTheBatchDetachedInTheGivenFolder() {
    ScratchFolder scratch;
    const fs::path program = scratch / "program";
    const fs::path work = scratch / "work";
    for (const fs::path& folder : {program, work, scratch / "Out"})
        fs::create_directories(folder);
    // A copy of the program folder; the batch runs in `work`, with its own compressor.
    for (const char* name : {"crunchws.pif", "crunchws-cmd", "compress.exe"})
        fs::copy_file(fs::path(CRUNCHWISE_PROGRAM_DIR) / name, program / name);
    fs::copy_file(program / "compress.exe", work / "compress.exe");
    const Bytes data = testData(20000);
    writeBytes(scratch / "Read Me.txt", data);
    writeText(program / "marker", "must stay");
    writeText(work / "marker", "m");
    const std::string packed = (scratch / "Out/README~1.TX_").string();
    writeText(work / "_tempcom.bat", "compress \"" + (scratch / "Read Me.txt").string() + "\" " +
                                         packed + "\r\nren " + packed +
                                         " \"Read Me.tx_\"\r\ndel marker\r\ndel _tempcom.bat\r\n");

    const int result = ShellExecuteA(nullptr, "open", (program / "crunchws.pif").string(), nullptr,
                                     work.string(), SW_HIDE);
    QVERIFY2(result > 32, qPrintable(QString::number(result)));
    QTRY_VERIFY_WITH_TIMEOUT(!fs::exists(work / "_tempcom.bat"), 15000);
    QVERIFY(!fs::exists(work / "marker"));
    QVERIFY(fs::exists(program / "marker"));
    Bytes expanded;
    QCOMPARE(szdd::expand(readBytes(scratch / "Out/Read Me.tx_"), expanded), szdd::Status::ok);
    QVERIFY(expanded == data);
}

void ShellExecuteTest::launcherFailures() {
    ScratchFolder scratch;
    writeText(scratch / "noprog.pif", "program=crunchws-cmd\narguments=/c _tempcom.bat\n");
    writeText(scratch / "bad.PIF", "this is not a launcher\n");
    writeText(scratch / "ok.pif", "program=/bin/true\n");
    struct Case {
        const char* operation;
        const char* file;
        const char* folder;
        int result;
    };
    const Case cases[] = {
        {nullptr, "crunchws.pif", "", SE_ERR_FNF},  {nullptr, "noprog.pif", "", SE_ERR_FNF},
        {nullptr, "bad.PIF", "", ERROR_BAD_FORMAT}, {nullptr, "ok.pif", "missing", SE_ERR_PNF},
        {nullptr, "absent.txt", "", SE_ERR_FNF},    {"print", "ok.pif", "", SE_ERR_NOASSOC},
    };
    for (const Case& c : cases) {
        QCOMPARE(ShellExecuteA(nullptr, c.operation, (scratch / c.file).string(), nullptr,
                               (scratch / c.folder).string(), SW_HIDE),
                 c.result);
    }
}

void ShellExecuteTest::addressesGoToTheirHandlerOrHaveNoAssociation() {
    AddressCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    const int web = ShellExecuteA(nullptr, nullptr, "https://example.org/crunchwise", nullptr, "",
                                  SW_SHOWNORMAL);
    const int mail =
        ShellExecuteA(nullptr, nullptr, "mailto:support@example.org", nullptr, "", SW_SHOWNORMAL);
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("mailto");
    QVERIFY(web > 32);
    QVERIFY(mail > 32);
    QCOMPARE(catcher.opened, (QList<QUrl>{QUrl("https://example.org/crunchwise"),
                                          QUrl("mailto:support@example.org")}));
    // Only the offscreen platform is known to have no mail program.
    if (QGuiApplication::platformName() == "offscreen") {
        QCOMPARE(ShellExecuteA(nullptr, nullptr, "mailto:support@example.org", nullptr, "", 1),
                 SE_ERR_NOASSOC);
    }
}

// With SEE_MASK_NOCLOSEPROCESS the program comes back running, its output
// readable; TerminateProcess reaches what it started too.
void ShellExecuteTest::watchedLauncherHandsBackItsProgram() {
    ScratchFolder scratch;
    writeText(scratch / "run.pif", "program=run.sh\narguments=first \"second word\"\n");
    writeText(scratch / "run.sh",
              "#!/bin/sh\nPATH=/usr/bin:/bin\necho \"$2\"; echo to-error >&2; read nothing\n"
              "sh -c 'trap \"touch child-stopped; exit 1\" TERM; touch child-started\n"
              "       while :; do sleep 0.05; done' >/dev/null 2>&1 &\nwait\n");
    fs::permissions(scratch / "run.sh", fs::perms::owner_all);
    SHELLEXECUTEINFOA info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = (scratch / "run.pif").string();
    info.lpDirectory = scratch.path().string();
    QVERIFY(ShellExecuteExA(info));
    QVERIFY(info.hInstApp > 32);
    QVERIFY(info.hProcess);
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(scratch / "child-started"), 10000);
    QVERIFY(TerminateProcess(*info.hProcess));
    QVERIFY(info.hProcess->waitForFinished(10000));
    QCOMPARE(info.hProcess->readAllStandardOutput(), QByteArray("second word\n"));
    QCOMPARE(info.hProcess->readAllStandardError(), QByteArray("to-error\n"));
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(scratch / "child-stopped"), 10000);

    // Without the mask, or for what is no launcher, nothing comes back.
    SHELLEXECUTEINFOA missing;
    missing.fMask = SEE_MASK_NOCLOSEPROCESS;
    missing.lpFile = (scratch / "none.pif").string();
    QVERIFY(!ShellExecuteExA(missing));
    QCOMPARE(missing.hInstApp, SE_ERR_FNF);
    QVERIFY(!missing.hProcess);
}

QTEST_MAIN(ShellExecuteTest)
#include "shell_execute_test.moc"
