// Drawing a variable font at chosen axes, as the detail pane redraws its
// preview for each step of a slider: a text of 200 characters, wrapped and
// drawn from the glyphs' outlines at a new weight each iteration (so that
// nothing of the last step is reused), offscreen; and the same text in the
// font's default design through the raw font, for comparison.
//
//   design_benchmark [--font=FILE] [benchmark flags]
//
// The font defaults to Inter's variable font (fonts-inter-variable).

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstring>

#include "fontdata/design/FontDesign.h"
#include "render/ExactFont.h"
#include "render/WrappedText.h"

namespace {

namespace Design = Varnholt::OpenTypeFontData;
using Quillmark::Platform::CExactFontCache;
using Quillmark::Platform::CTextLook;

QString& FontPath() {
    static QString path = QStringLiteral("/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf");
    return path;
}

// 200 characters of running text.
QString Text() {
    const QString sentence = QStringLiteral("The quick brown fox jumps over the lazy dog. ");
    QString text;
    while (text.size() < 200) {
        text += sentence;
    }
    return text.left(200);
}

void Redraw(benchmark::State& state, bool varied) {
    CExactFontCache fonts;
    CTextLook look;
    look.cellHeight = 24;
    const QString text = Text();
    QImage image(600, 400, QImage::Format_ARGB32_Premultiplied);
    float weight = 100;
    for (auto _ : state) {
        if (varied) {
            weight = weight >= 900 ? 100 : weight + 7;
            look.variations = {{Design::TagFromText("wght"), weight}};
        }
        image.fill(Qt::white);
        QPainter painter(&image);
        const qreal height = Quillmark::Platform::DrawWrappedText(
            painter, fonts, QRectF(4, 4, 592, 392), FontPath(), look, text, Qt::black, 4);
        painter.end();
        if (height <= 0) {
            state.SkipWithError("the font cannot be drawn");
            break;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["characters"] = static_cast<double>(text.size());
}

void BM_SliderStepRedraw(benchmark::State& state) {
    Redraw(state, true);
}
BENCHMARK(BM_SliderStepRedraw)->Unit(benchmark::kMillisecond);

void BM_DefaultDesignRedraw(benchmark::State& state) {
    Redraw(state, false);
}
BENCHMARK(BM_DefaultDesignRedraw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--font=", 7) == 0) {
            FontPath() = QString::fromLocal8Bit(argv[i] + 7);
        }
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
