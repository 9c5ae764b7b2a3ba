#pragma once

// The soak's command line: how long, how much, what is searched, and how
// much memory may grow.

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>

namespace QuillmarkSoak {

struct COptions {
    int seconds = 300;  // the churn's span
    std::size_t operations = 10'000;
    std::size_t fonts = 150;  // files in the folder, about
    double warmup = 60;       // seconds of churn before the baseline
    int settle = 10;          // seconds the list stays idle at the end
    QString lookIn = QStringLiteral("computer");
    QString text = QStringLiteral("a");
    QString csv = QStringLiteral("window-soak.csv");
    // Growth allowed after the warm-up (README says why): the larger of a
    // size and a share of the warm-up's.
    double boundMib = 16;     // the resident size
    double heapBoundMib = 8;  // malloc's bytes in use
    double boundPercent = 25;
    unsigned seed = 1;
    int hang = 120;      // seconds without an answer that end the soak
    int browseMs = 500;  // a key in the list this often (0: none)
    bool search = true;
};

// The options given, or nothing when they make no soak (said on stderr).
std::optional<COptions> ParseOptions(const QStringList& arguments);

}  // namespace QuillmarkSoak
