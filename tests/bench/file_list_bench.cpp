// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a folder of 100,000 files in the file list: time until the list is
// laid out, and the memory it takes (resident set before and after, and the
// peak in between from VmHWM, reset before each run through clear_refs).
// The memory figures are the largest of the runs: the first one, since later
// runs reuse what the allocator kept from the earlier ones.
#include "desktop/files/folder_reader.h"
#include "tests/support/test_folder.h"
#include "widgets/file_list_box.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

using crunchwise::FileListBox;
using crunchwise::FolderReader;

namespace {

constexpr int FileCount = 100000;

// One folder for all runs; names in the style of a set-up disk.
const TestFolder& bigFolder() {
    static const auto folder = [] {
        auto made = std::make_unique<TestFolder>();
        if (!made->isValid() || !made->createNumbered(FileCount, QStringLiteral("Setup_File")))
            std::abort();
        return made;
    }();
    return *folder;
}

// A value in kB from /proc/self/status ("VmRSS", "VmHWM").
double statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble();
    return 0;
}

void resetPeak() {
    if (FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

void waitForLayout(FileListBox& box) {
    const QModelIndex last = box.model()->index(box.listCount() - 1, 0);
    while (!box.visualRect(last).isValid())
        QCoreApplication::processEvents();
}

void BM_OpenFolder(benchmark::State& state) {
    const QString path = bigFolder().path();
    double grownKb = 0, peakKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto box = std::make_unique<FileListBox>();
        box->resize(400, 600);
        box->show();
        QCoreApplication::processEvents();
        const double before = statusKb("VmRSS");
        resetPeak();
        state.ResumeTiming();
        box->setPath(path);
        waitForLayout(*box);
        state.PauseTiming();
        grownKb = std::max(grownKb, statusKb("VmRSS") - before);
        peakKb = std::max(peakKb, statusKb("VmHWM") - before);
        if (box->listCount() != FileCount)
            state.SkipWithError("wrong file count");
        box.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["files"] = FileCount;
    state.counters["rss_growth_MB"] = grownKb / 1024;
    state.counters["peak_growth_MB"] = peakKb / 1024;
}
BENCHMARK(BM_OpenFolder)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RefreshFolder(benchmark::State& state) {
    FileListBox box;
    box.resize(400, 600);
    box.show();
    box.setPath(bigFolder().path());
    waitForLayout(box);
    box.setListIndex(FileCount / 2);
    for (auto _ : state) {
        box.refresh();
        waitForLayout(box);
    }
}
BENCHMARK(BM_RefreshFolder)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadFolderOnly(benchmark::State& state) {
    const QString path = bigFolder().path();
    for (auto _ : state)
        benchmark::DoNotOptimize(FolderReader::read(path, FolderReader::Entries::Files).size());
}
BENCHMARK(BM_ReadFolderOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

// What the window reads when the folder changed: files and folders at once.
void BM_ReadFilesAndFolders(benchmark::State& state) {
    const QString path = bigFolder().path();
    for (auto _ : state)
        benchmark::DoNotOptimize(FolderReader::readBoth(path).files.size());
}
BENCHMARK(BM_ReadFilesAndFolders)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bigFolder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
