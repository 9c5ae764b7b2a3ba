#include "tests/soak/SoakOptions.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cstdio>

namespace QuillmarkSoak {

std::optional<COptions> ParseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Soaks the main window under a churn of font files while Computer is searched."));
    parser.addHelpOption();
    const QCommandLineOption seconds("seconds", "The churn's span (300).", "s", "300");
    const QCommandLineOption ops("ops", "Font operations of the churn (10000).", "n", "10000");
    const QCommandLineOption fonts("fonts", "Files the folder holds, about (150).", "n", "150");
    const QCommandLineOption warmup(
        "warmup", "Seconds of churn before the baseline (a fifth of the span, 5 at least).", "s");
    const QCommandLineOption settle("settle", "Seconds the list stays idle at the end (10).", "s",
                                    "10");
    const QCommandLineOption lookIn("look-in", "\"computer\" or a folder to search (computer).",
                                    "where", "computer");
    const QCommandLineOption text("text", "The name searched for (a).", "text", "a");
    const QCommandLineOption csv("csv", "The memory curve (window-soak.csv).", "file",
                                 "window-soak.csv");
    const QCommandLineOption boundMib(
        "bound-mib", "Resident growth allowed after the warm-up, in MiB (16).", "mib", "16");
    const QCommandLineOption heapBoundMib(
        "heap-bound-mib", "Growth of malloc's bytes in use allowed, in MiB (8).", "mib", "8");
    const QCommandLineOption boundPercent(
        "bound-percent", "Growth allowed, in percent of the warm-up's (25), when more.", "p", "25");
    const QCommandLineOption seed("seed", "The churn's random seed (1).", "n", "1");
    const QCommandLineOption browse(
        "browse-ms", "A key in the list this often, in ms (500; 0: none).", "ms", "500");
    const QCommandLineOption noSearch("no-search", "No searches: the churn and the list alone.");
    const QCommandLineOption hang("hang", "Seconds without an answer that end the soak (120).", "s",
                                  "120");
    parser.addOptions({seconds, ops, fonts, warmup, settle, lookIn, text, csv, boundMib,
                       heapBoundMib, boundPercent, seed, hang, browse, noSearch});
    parser.process(arguments);
    COptions options;
    options.seconds = std::max(1, parser.value(seconds).toInt());
    options.operations = parser.value(ops).toULongLong();
    options.fonts = std::max<std::size_t>(2, parser.value(fonts).toULongLong());
    options.warmup = parser.isSet(warmup) ? parser.value(warmup).toDouble()
                                          : std::max(5.0, options.seconds / 5.0);
    options.settle = std::max(1, parser.value(settle).toInt());
    options.lookIn = parser.value(lookIn);
    options.text = parser.value(text);
    options.csv = parser.value(csv);
    options.boundMib = parser.value(boundMib).toDouble();
    options.heapBoundMib = parser.value(heapBoundMib).toDouble();
    options.boundPercent = parser.value(boundPercent).toDouble();
    options.seed = parser.value(seed).toUInt();
    options.hang = std::max(10, parser.value(hang).toInt());
    options.browseMs = std::max(0, parser.value(browse).toInt());
    options.search = !parser.isSet(noSearch);
    if (options.text.isEmpty()) {
        std::fprintf(stderr, "soak: --text must not be empty\n");
        return std::nullopt;
    }
    return options;
}

}  // namespace QuillmarkSoak
