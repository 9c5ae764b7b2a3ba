// The font list, offscreen: the time from choosing a folder to the first
// painted rows and to the end of its load, and painting one screenful after
// scrolling to a random place.
//
//   list_benchmark [--fonts=FOLDER] [benchmark flags]

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <cstring>
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

BENCHMARK(BM_ChooseFolderToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ChooseFolderToLoaded)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PaintScreenfulAfterScrolling)->Unit(benchmark::kMillisecond);

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
