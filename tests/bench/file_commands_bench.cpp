// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks of the window's file commands, end to end (not a test):
//   bench_file_commands compress [FILES]   Compress of FILES small files (1000),
//                                          from the command to the last file on disk
//   bench_file_commands expand [MIB]       Expand of one MIB MiB file (256) through
//                                          the window, against expand.exe on it
#include "tests/app/window_session.h"

#include "common/app_info.h"
#include "dialogs/frm_save_directory_expand.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <cstdio>
#include <limits>
#include <random>

using namespace crunchwise;
using namespace command_fixture;

namespace {

// Peak resident memory of this process so far, in KiB.
long peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

void selectAll(frmMain& window) {
    window.File1->setListIndex(0);
    for (int i = 0; i < window.File1->listCount(); ++i)
        window.File1->setSelected(i, true);
}

int benchCompress(int files) {
    QTemporaryDir source, destination;
    for (int i = 0; i < files; ++i)
        writeAll(source.path() + QStringLiteral("/file %1.txt").arg(i), sampleData(i, 4096));
    auto window = windowOn(source.path());
    selectAll(*window);
    answerCompressTo(destination.path());
    QElapsedTimer clock;
    clock.start();
    window->mPopUp2_Click(0);
    const qint64 returned = clock.elapsed();
    const QString last = destination.path() + QStringLiteral("/file %1.tx_").arg(files - 1);
    QDir out(destination.path());
    if (!QTest::qWaitFor([&] { return int(out.entryList(QDir::Files).size()) >= files; }, 600000))
        std::printf("not all files arrived\n");
    const qint64 done = clock.elapsed();
    std::printf("compress %d files of 4 KiB: command returned after %lld ms (%s), "
                "last file on disk after %lld ms, %.2f ms per file\n",
                files, qlonglong(returned), qPrintable(window->lblStatus->text()), qlonglong(done),
                double(done) / files);
    return QFile::exists(last) ? 0 : 1;
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
