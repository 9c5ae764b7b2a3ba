// The font list, offscreen: the time from choosing a folder to the first
// painted rows and to the end of its load, painting one screenful after
// scrolling to a random place, a click on a column header, and following
// the folder when many files go or come.
//
//   list_benchmark [--fonts=FOLDER] [benchmark flags]
//
// The folder benchmarks work on a folder of hard links to the fonts (copies
// where links cannot be made) beside FOLDER, removed at the end.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "bench/BenchFonts.h"
#include "collections/FontProjects.h"
#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "render/ExactFont.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/common/FontListDelegate.h"

namespace {

QString& Folder() {
    static QString folder;
    return folder;
}

struct CList {
    Quillmark::CQuillmarkSignals hub;
    Quillmark::CProgramOptions options;
    Quillmark::CFontManagerHub managerHub{hub};
    Quillmark::CFontManager manager{&managerHub, nullptr};
    Quillmark::CFontProjects projects;
    Quillmark::CQuillmarkDoc document{hub, options, manager, QString()};
    Quillmark::CFontListController list{hub,      options,  manager,
                                        projects, document, QApplication::font()};
    std::unique_ptr<Quillmark::CFontListView> owned{list.View()};
    Quillmark::CFontListView& view = *owned;
    CList() {
        view.resize(1000, 800);
        view.show();
    }
    // Runs the event loop until `done` (the load runs on it).
    template <typename Done>
    void RunUntil(Done done) {
        while (!done()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
};

void BM_ChooseFolderToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Quillmark::Platform::CExactFontCache::Instance().Clear();
        auto list = std::make_unique<CList>();
        state.ResumeTiming();
        list->hub.FireFolderSelected(Folder(), nullptr);
        list->RunUntil(
            [&] { return list->view.Model().rowCount() > 0 || !list->list.IsLoading(); });
        benchmark::DoNotOptimize(list->view.viewport()->grab());
        state.PauseTiming();
        state.counters["rows"] = list->view.Model().rowCount();
        list->RunUntil([&] { return !list->list.IsLoading(); });
        list.reset();
        state.ResumeTiming();
    }
}

void BM_ChooseFolderToLoaded(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Quillmark::Platform::CExactFontCache::Instance().Clear();
        auto list = std::make_unique<CList>();
        state.ResumeTiming();
        list->hub.FireFolderSelected(Folder(), nullptr);
        list->RunUntil([&] { return !list->list.IsLoading(); });
        benchmark::DoNotOptimize(list->view.viewport()->grab());
        state.PauseTiming();
        state.counters["rows"] = list->view.Model().rowCount();
        list.reset();
        state.ResumeTiming();
    }
}

void BM_PaintScreenfulAfterScrolling(benchmark::State& state) {
    CList list;
    list.hub.FireFolderSelected(Folder(), nullptr);
    list.RunUntil([&] { return !list.list.IsLoading(); });
    std::mt19937 random(7);
    QScrollBar* bar = list.view.verticalScrollBar();
    std::uniform_int_distribution<int> where(0, bar->maximum());
    for (auto _ : state) {
        bar->setValue(where(random));
        benchmark::DoNotOptimize(list.view.viewport()->grab());
    }
    if (!qEnvironmentVariableIsEmpty("QUILLMARK_BENCH_PICTURE")) {
        list.view.viewport()->grab().save(qEnvironmentVariable("QUILLMARK_BENCH_PICTURE"));
    }
    state.counters["rows"] = list.view.Model().rowCount();
    state.counters["rows on screen"] =
        list.view.viewport()->height() / list.view.Delegate().RowHeight() + 1;
}

// Clicks the column's header, alternately ascending and descending, up to
// the repainted rows.
void BM_HeaderClickSort(benchmark::State& state) {
    CList list;
    list.hub.FireFolderSelected(Folder(), nullptr);
    list.RunUntil([&] { return !list.list.IsLoading(); });
    const int column = static_cast<int>(state.range(0));
    QHeaderView* header = list.view.header();
    const QPoint where(header->sectionViewportPosition(column) + 5, header->height() / 2);
    for (auto _ : state) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, where);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(list.view.viewport()->grab());
    }
    state.counters["rows"] = list.view.Model().rowCount();
}

namespace fs = std::filesystem;

double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

// A folder of links to the first `count` fonts of Folder(), beside it.
struct CScratchFolder {
    fs::path path;
    std::vector<fs::path> fonts;
    explicit CScratchFolder(std::size_t count) {
        fs::path folder = Folder().toStdString();
        path = folder.parent_path() / (".quillmark-bench-" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
        for (const fs::path& font : QuillmarkBench::FontFiles(folder)) {
            if (fonts.size() == count) {
                break;
            }
            fonts.push_back(font);
        }
        std::sort(fonts.begin(), fonts.end());
        for (std::size_t i = 0; i < fonts.size(); ++i) {
            Add(i);
        }
    }
    ~CScratchFolder() { fs::remove_all(path); }
    fs::path Name(std::size_t i) const {
        return path / (std::to_string(i) + fonts[i].extension().string());
    }
    void Add(std::size_t i) const {
        std::error_code ec;
        fs::create_hard_link(fonts[i], Name(i), ec);
        if (ec) {
            fs::copy_file(fonts[i], Name(i));
        }
    }
    void Remove(std::size_t i) const { fs::remove(Name(i)); }
};

// Every fifth file, so that the rows that go are scattered through the list.
bool Moves(std::size_t i) {
    return i % 5 == 2;
}

// 10,000 of 50,000 files (a fifth of the folder) removed: from the last
// removal to the rows in step with the folder, the watcher's settling time
// included. Between iterations the files come back.
void BM_FolderFilesRemoved(benchmark::State& state) {
    const CScratchFolder scratch(static_cast<std::size_t>(state.range(0)));
    const std::size_t total = scratch.fonts.size();
    const std::size_t moving = (total + 2) / 5;
    CList list;
    list.hub.FireFolderSelected(QString::fromStdString(scratch.path.string()), nullptr);
    list.RunUntil([&] { return !list.list.IsLoading(); });
    double before = 0;
    double after = 0;
    for (auto _ : state) {
        list.RunUntil([&] { return !list.list.IsSynchronising(); });
        QCoreApplication::processEvents();
        before = ResidentMegabytes();
        for (std::size_t i = 0; i < total; ++i) {
            if (Moves(i)) {
                scratch.Remove(i);
            }
        }
        QElapsedTimer timer;
        timer.start();
        list.RunUntil([&] {
            return static_cast<std::size_t>(list.view.Model().rowCount()) == total - moving;
        });
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        after = ResidentMegabytes();
        for (std::size_t i = 0; i < total; ++i) {
            if (Moves(i)) {
                scratch.Add(i);
            }
        }
        list.RunUntil(
            [&] { return static_cast<std::size_t>(list.view.Model().rowCount()) == total; });
    }
    state.counters["rows"] = static_cast<double>(total);
    state.counters["removed"] = static_cast<double>(moving);
    state.counters["MB before"] = before;
    state.counters["MB after"] = after;
}

// 10,000 files added to a folder of 40,000: from the last file added to
// the rows in step, read, listed and sorted. Between iterations they go.
void BM_FolderFilesAdded(benchmark::State& state) {
    const CScratchFolder scratch(static_cast<std::size_t>(state.range(0)));
    const std::size_t total = scratch.fonts.size();
    const std::size_t moving = (total + 2) / 5;
    for (std::size_t i = 0; i < total; ++i) {
        if (Moves(i)) {
            scratch.Remove(i);
        }
    }
    CList list;
    list.hub.FireFolderSelected(QString::fromStdString(scratch.path.string()), nullptr);
    list.RunUntil([&] { return !list.list.IsLoading(); });
    for (auto _ : state) {
        for (std::size_t i = 0; i < total; ++i) {
            if (Moves(i)) {
                scratch.Add(i);
            }
        }
        QElapsedTimer timer;
        timer.start();
        list.RunUntil(
            [&] { return static_cast<std::size_t>(list.view.Model().rowCount()) == total; });
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        for (std::size_t i = 0; i < total; ++i) {
            if (Moves(i)) {
                scratch.Remove(i);
            }
        }
        list.RunUntil([&] {
            return static_cast<std::size_t>(list.view.Model().rowCount()) == total - moving;
        });
    }
    state.counters["rows before"] = static_cast<double>(total - moving);
    state.counters["added"] = static_cast<double>(moving);
}

BENCHMARK(BM_ChooseFolderToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ChooseFolderToLoaded)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PaintScreenfulAfterScrolling)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeaderClickSort)
    ->ArgName("column")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_FolderFilesRemoved)
    ->ArgName("files")
    ->Arg(50000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_FolderFilesAdded)
    ->ArgName("files")
    ->Arg(50000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<char*> rest;
    Folder() = QString::fromStdString(
        QuillmarkBench::FontFolder(argc, argv, rest, "/usr/share/fonts/truetype/noto").string());
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
