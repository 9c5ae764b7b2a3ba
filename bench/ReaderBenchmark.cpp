// Loads every font of a folder with the reader, beside the cost of reading
// the same files' bytes.
//
//   reader_benchmark [--fonts=FOLDER] [benchmark flags]
// FOLDER defaults to $QUILLMARK_BENCH_FONTS, else /usr/share/fonts.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench/BenchFonts.h"
#include "fontdata/opentype/OpenTypeData.h"

namespace {

struct FontSet {
    std::vector<std::filesystem::path> paths;
    std::uint64_t bytes = 0;
};

FontSet& Fonts() {
    static FontSet set;
    return set;
}

void Collect(const std::filesystem::path& folder) {
    auto& set = Fonts();
    set.paths = QuillmarkBench::FontFiles(folder);
    for (const auto& path : set.paths) {
        set.bytes += std::filesystem::file_size(path);
    }
}

void BM_LoadFonts(benchmark::State& state) {
    const auto& set = Fonts();
    for (auto _ : state) {
        for (const auto& path : set.paths) {
            Varnholt::COpenTypeData data;
            std::uint32_t size = 0;
            benchmark::DoNotOptimize(data.LoadFile(path, size));
        }
    }
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(set.paths.size()),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.bytes));
}

void BM_ReadWholeFiles(benchmark::State& state) {
    const auto& set = Fonts();
    std::vector<char> buffer;
    for (auto _ : state) {
        for (const auto& path : set.paths) {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (file == nullptr)
                continue;
            buffer.resize(std::filesystem::file_size(path));
            benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), file));
            std::fclose(file);
        }
    }
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(set.paths.size()),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.bytes));
}

BENCHMARK(BM_LoadFonts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWholeFiles)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    const std::filesystem::path folder =
        QuillmarkBench::FontFolder(argc, argv, rest, "/usr/share/fonts");
    Collect(folder);
    std::printf("%zu fonts, %.1f MB in %s\n", Fonts().paths.size(), Fonts().bytes / 1e6,
                folder.c_str());
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
