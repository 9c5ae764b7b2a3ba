// The font map of a large CJK font, offscreen: laying out the grid for a
// font, painting one screenful (warm: its glyphs drawn before), and a
// scroll from the top to the bottom by mouse-wheel steps, each step a
// frame painted whole, reporting the longest frame after the first screen
// (and the first screen apart), by the clock and by the thread's CPU time
// (a busy machine makes the first longer than the second).
//
//   fontmap_benchmark [--font=FILE] [benchmark flags]
//
// The font defaults to Droid Sans Fallback (fonts-droid-fallback), a CJK
// font of 28,596 characters.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
#include <cstring>
#include <ctime>
#include <random>

#include "core/PathText.h"
#include "fontdata/manager/FontManager.h"
#include "render/ExactFont.h"
#include "ui/inspect/FontMapView.h"

namespace {

using Quillmark::CFontHandle;
using Quillmark::CFontMapView;

std::string& FontPath() {
    static std::string path = "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf";
    return path;
}

struct CMap {
    Quillmark::CFontManager manager{nullptr, nullptr};
    CFontHandle font = manager.Open(FontPath());
    CFontMapView view;
    QImage frame;
    CMap() {
        view.resize(1000, 800);
        view.show();
        frame = QImage(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    }
    void Show() {
        view.SetFont(Quillmark::PathText(font->GetPath()), font->GetData(), 24,
                     Quillmark::Rendering::Default);
    }
    void Paint() { view.viewport()->render(&frame); }
};

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

void Counters(benchmark::State& state, const CMap& map) {
    state.counters["characters"] = map.view.Model().Count();
    state.counters["columns"] = map.view.Model().Columns();
    state.counters["rows"] = map.view.Model().Rows();
}

// The font chosen: cell metrics from the file (opened once, as the list
// has usually opened it already) and the grid laid out.
void BM_LayOut(benchmark::State& state) {
    CMap map;
    map.Show();
    for (auto _ : state) {
        map.Show();
    }
    Counters(state, map);
}

// The same with the file not yet open: it is read and opened first.
void BM_LayOutFileNotOpen(benchmark::State& state) {
    CMap map;
    for (auto _ : state) {
        state.PauseTiming();
        Quillmark::Platform::CExactFontCache::Instance().Clear();
        state.ResumeTiming();
        map.Show();
    }
    Counters(state, map);
}

// One screenful at a random place, painted once before (warm).
void BM_PaintScreenWarm(benchmark::State& state) {
    CMap map;
    map.Show();
    QScrollBar* bar = map.view.verticalScrollBar();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> where(0, bar->maximum());
    std::vector<int> places(64);
    for (int& place : places) {
        place = where(random);
        bar->setValue(place);
        map.Paint();
    }
    std::size_t next = 0;
    for (auto _ : state) {
        bar->setValue(places[next++ % places.size()]);
        map.Paint();
    }
    Counters(state, map);
}

// From the top to the bottom by wheel steps (three lines), every frame
// painted whole; the glyphs are drawn for the first time on the way.
void BM_ScrollTopToBottom(benchmark::State& state) {
    double longest = 0;
    double longestCpu = 0;
    double firstFrame = 0;
    double firstFrameCpu = 0;
    double frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Quillmark::Platform::CExactFontCache::Instance().Clear();
        CMap map;
        map.Show();
        QScrollBar* bar = map.view.verticalScrollBar();
        state.ResumeTiming();
        QElapsedTimer timer;
        for (int at = 0;; at = std::min(bar->maximum(), at + 3 * bar->singleStep())) {
            timer.start();
            const double cpuStart = ThreadCpuMs();
            bar->setValue(at);
            map.Paint();
            const double wall = timer.nsecsElapsed() / 1e6;
            const double cpu = ThreadCpuMs() - cpuStart;
            if (at == 0) {
                // The first screen, before any scrolling: every glyph new.
                firstFrame = std::max(firstFrame, wall);
                firstFrameCpu = std::max(firstFrameCpu, cpu);
            } else {
                longest = std::max(longest, wall);
                longestCpu = std::max(longestCpu, cpu);
            }
            ++frames;
            if (at == bar->maximum()) {
                break;
            }
        }
        Counters(state, map);
    }
    state.counters["frames"] = frames / static_cast<double>(state.iterations());
    state.counters["longest frame ms"] = longest;
    // The same on this thread's CPU clock: without the waits of a busy machine.
    state.counters["longest frame cpu ms"] = longestCpu;
    state.counters["first screen ms"] = firstFrame;
    state.counters["first screen cpu ms"] = firstFrameCpu;
}

BENCHMARK(BM_LayOut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayOutFileNotOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintScreenWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollTopToBottom)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--font=", 7) == 0) {
            FontPath() = argv[i] + 7;
        } else {
            rest.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
