// Creating font items for every font of a folder, and drawing their preview
// lines from their files (offscreen).
//
//   item_benchmark [--fonts=FOLDER] [benchmark flags]

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench/BenchFonts.h"
#include "fontdata/item/FontItem.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"

namespace {

std::vector<std::filesystem::path>& Paths() {
    static std::vector<std::filesystem::path> paths;
    return paths;
}

const QString kText = QStringLiteral("The quick brown fox jumped over the lazy dog 0123456789");

void BM_CreateItems(benchmark::State& state) {
    const Quillmark::CFontItemSettings settings;
    std::size_t heldBytes = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        std::vector<std::unique_ptr<Quillmark::CFontItem>> items;
        items.reserve(Paths().size());
        for (const auto& path : Paths()) {
            items.push_back(std::make_unique<Quillmark::CFontItem>(path, settings, nullptr));
        }
        heldBytes = mallinfo2().uordblks - before;
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["time/item"] = benchmark::Counter(
        static_cast<double>(Paths().size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["KB held/item"] = static_cast<double>(heldBytes) / 1024.0 / Paths().size();
}

// Draws the preview lines of the first `count` fonts; with `cold`, every
// round starts with no font open, as when scrolling to rows never seen.
void DrawLines(benchmark::State& state, std::size_t count, bool cold) {
    const Quillmark::CFontItemSettings settings;
    std::vector<std::unique_ptr<Quillmark::CFontItem>> items;
    for (std::size_t i = 0; i < std::min(count, Paths().size()); ++i) {
        items.push_back(std::make_unique<Quillmark::CFontItem>(Paths()[i], settings, nullptr));
    }
    QImage image(800, 28, QImage::Format_RGB32);
    for (auto _ : state) {
        if (cold) {
            Quillmark::Platform::CExactFontCache::Instance().Clear();
        }
        for (const auto& item : items) {
            image.fill(Qt::white);
            QPainter painter(&image);
            Quillmark::DrawPreviewLine(painter, QRectF(2, 2, 798, 26), *item, {}, kText, Qt::black);
        }
    }
    state.counters["time/line"] = benchmark::Counter(
        static_cast<double>(items.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DrawPreviewLines(benchmark::State& state) {
    DrawLines(state, Paths().size(), true);
}
void BM_RedrawCachedLines(benchmark::State& state) {
    DrawLines(state, 40, false);
}

BENCHMARK(BM_CreateItems)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawPreviewLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawCachedLines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::vector<char*> rest;
    const std::filesystem::path folder =
        QuillmarkBench::FontFolder(argc, argv, rest, "/usr/share/fonts");
    Paths() = QuillmarkBench::FontFiles(folder);
    std::printf("%zu fonts in %s\n", Paths().size(), folder.c_str());
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
