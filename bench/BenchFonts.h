#pragma once

// The folder of fonts a benchmark reads: --fonts=FOLDER on the command line,
// else $QUILLMARK_BENCH_FONTS, else the given default. The --fonts argument
// is taken out of the arguments handed on to Google Benchmark.

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace QuillmarkBench {

inline std::filesystem::path FontFolder(int argc, char** argv, std::vector<char*>& rest,
                                        const char* fallback) {
    std::filesystem::path folder = std::getenv("QUILLMARK_BENCH_FONTS") != nullptr
                                       ? std::getenv("QUILLMARK_BENCH_FONTS")
                                       : fallback;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--fonts=", 8) == 0) {
            folder = argv[i] + 8;
        } else {
            rest.push_back(argv[i]);
        }
    }
    return folder;
}

// Every *.ttf and *.otf below the folder (any letter case).
inline std::vector<std::filesystem::path> FontFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> fonts;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string ext = entry.path().extension().string();
        for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (entry.is_regular_file() && (ext == ".ttf" || ext == ".otf")) {
            fonts.push_back(entry.path());
        }
    }
    return fonts;
}

}  // namespace QuillmarkBench
