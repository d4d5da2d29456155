// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks of the window's file commands, end to end (not a test):
//   bench_file_commands compress [FILES]   Compress of FILES small files (1000),
//                                          from Save to the run's end, all listed
//   bench_file_commands expand [MIB]       Expand of one MIB MiB file (256) through
//                                          the window, against expand.exe on it
#include "tests/support/window_session.h"

#include "common/app_info.h"
#include "dialogs/frm_save_directory.h"
#include "dialogs/frm_save_directory_expand.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <cstdio>
#include <limits>
#include <random>
#include <sys/resource.h>

using namespace crunchwise;
using namespace command_fixture;

namespace {

// Peak resident memory of this process so far, in KiB.
long peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// User and system seconds of this process and of the processes it has waited
// for (the batch runner, which waits for each compressor).
double cpuSeconds() {
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime})
            total += double(t.tv_sec) + double(t.tv_usec) / 1e6;
    }
    return total;
}

void selectAll(frmMain& window) {
    window.File1->setListIndex(0);
    for (int i = 0; i < window.File1->listCount(); ++i)
        window.File1->setSelected(i, true);
}

// Compresses `files` files of 4 KiB into the folder they lie in, so that the
// file list shows the new files: milliseconds from Save in "Compress To" to
// the status "Compression Completed", with every file on disk and listed.
int benchCompress(int files) {
    QTemporaryDir folder;
    for (int i = 0; i < files; ++i)
        writeAll(folder.path() + QStringLiteral("/file %1.txt").arg(i), sampleData(i, 4096));
    auto window = windowOn(folder.path());
    selectAll(*window);
    QElapsedTimer clock;
    whenOpen<frmSaveDirectory>([&](frmSaveDirectory* dialog) {
        clock.start();
        dialog->cmdSave->click(); // the folder the lists show
    });
    const double cpuBefore = cpuSeconds();
    window->mPopUp2_Click(0);
    const qint64 returned = clock.elapsed();
    if (!QTest::qWaitFor([&] { return !window->lblStatus->text().startsWith(u"Compressing"); },
                         600000))
        std::printf("the run did not end\n");
    const qint64 done = clock.elapsed();
    const double cpu = cpuSeconds() - cpuBefore;
    int packed = 0;
    for (int i = 0; i < window->File1->listCount(); ++i)
        packed += window->File1->list(i).endsWith(u'_') ? 1 : 0;
    std::printf("compress %d files of 4 KiB: Save to \"%s\" with %d new files listed: %lld ms "
                "(%.2f ms per file; the command returned after %lld ms); CPU time of the "
                "window, the runner and the compressors: %.0f ms\n",
                files, qPrintable(window->lblStatus->text()), packed, qlonglong(done),
                double(done) / files, qlonglong(returned), cpu * 1000);
    return packed == files && window->lblStatus->text() == u"Compression Completed" ? 0 : 1;
}

// Expands `name` through the window into its own folder: milliseconds from
// Save in "Expand To" to the end of the command.
qint64 expandThroughWindow(const QString& folder, const QString& name) {
    auto window = windowOn(folder);
    window->File1->setListIndex(rowOf(window->File1, name));
    QElapsedTimer clock;
    whenOpen<frmSaveDirectoryExpand>([&clock](frmSaveDirectoryExpand* d) {
        clock.start();
        d->cmdSave->click();
    });
    window->mPopUp2_Click(1);
    const qint64 elapsed = clock.elapsed();
    if (window->lblStatus->text() != u"Expansion Completed")
        std::printf("window: %s\n", qPrintable(window->lblStatus->text()));
    return elapsed;
}

int benchExpand(int mib) {
    QTemporaryDir folder;
    QByteArray data = sampleData(7, 1 << 20);
    std::mt19937 random(1);
    QFile plain(folder.path() + QStringLiteral("/big.bin"));
    plain.open(QIODevice::WriteOnly);
    for (int i = 0; i < mib; ++i) {
        for (int j = 0; j < 64; ++j) // some incompressible bytes in each MiB
            data[int(random() % data.size())] = char(random());
        plain.write(data);
    }
    plain.close();
    QProcess::execute(QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/compress.exe"),
                      {plain.fileName(), folder.path() + QStringLiteral("/big.bi_")});
    plain.remove();

    // Alternately, so that neither gains from a warmer cache; the best of two.
    const long peakBefore = peakKiB();
    qint64 window = std::numeric_limits<qint64>::max();
    qint64 tool = window;
    for (int round = 0; round < 2; ++round) {
        QElapsedTimer clock;
        clock.start();
        QProcess::execute(QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/expand.exe"),
                          {folder.path() + QStringLiteral("/big.bi_"),
                           folder.path() + QStringLiteral("/tool.bin")});
        tool = std::min(tool, clock.elapsed());
        // A new file each time: an existing one would be asked about first.
        QFile::remove(folder.path() + QStringLiteral("/big.bi$"));
        window = std::min(window, expandThroughWindow(folder.path(), QStringLiteral("big.bi_")));
    }
    const long peakGrowth = peakKiB() - peakBefore;
    std::printf("expand %d MiB: window %lld ms, expand.exe %lld ms, ratio %.2f (goal <= 1.20), "
                "peak memory growth %ld KiB\n",
                mib, qlonglong(window), qlonglong(tool), double(window) / double(tool), peakGrowth);
    // The window's output has the proposed name: ".bi_" has no row.
    return readAll(folder.path() + QStringLiteral("/big.bi$")) ==
                   readAll(folder.path() + QStringLiteral("/tool.bin"))
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    AppInfo::setPathForTesting(QStringLiteral(CRUNCHWISE_PROGRAM_DIR));
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("compress");
    const int amount = argc > 2 ? std::atoi(argv[2]) : 0;
    if (mode == u"expand")
        return benchExpand(amount > 0 ? amount : 256);
    return benchCompress(amount > 0 ? amount : 1000);
}
