#include "render/PreviewLine.h"

#include <QChar>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <array>
#include <cstdint>

#include "core/PathText.h"
#include "render/ExactFont.h"

namespace Quillmark {

namespace {

Platform::CTextLook LookOf(const CFontItem& item, const CPreviewLook& preview) {
    Platform::CTextLook look;
    look.cellHeight = preview.height;
    look.quality = preview.quality;
    look.data = item.GetData();
    look.symbolFont = look.data != nullptr && look.data->IsSymbolFont();
    look.variations = preview.variations;
    look.features = preview.features;
    return look;
}

// Whether the item has a preview line: a readable font at a drawable height.
bool Drawn(const CFontItem& item, const CPreviewLook& look) {
    return item.GetStatus() == CFontItem::Loaded && look.height > 0;
}

// A pangram or classic line for each script a font may be made for.
struct CSample {
    QChar::Script script;
    const char* text;
};
const CSample kSamples[] = {
    {QChar::Script_Latin, "The quick brown fox jumps over the lazy dog"},
    {QChar::Script_Arabic,
     "\u0646\u0635 \u062D\u0643\u064A\u0645 \u0644\u0647 \u0633\u0631 \u0642\u0627\u0637\u0639 "
     "\u0648\u0630\u0648 \u0634\u0623\u0646 \u0639\u0638\u064A\u0645"},
    {QChar::Script_Devanagari,
     "\u090B\u0937\u093F\u092F\u094B\u0902 \u0915\u094B \u0938\u0924\u093E\u0928\u0947 "
     "\u0935\u093E\u0932\u0947 \u0926\u0941\u0937\u094D\u091F "
     "\u0930\u093E\u0915\u094D\u0937\u0938\u094B\u0902"},
    {QChar::Script_Han,
     "\u6C38\u548C\u4E5D\u5E74\uFF0C\u6B72\u5728\u7678\u4E11\uFF0C\u66AE\u6625\u4E4B\u521D"},
    {QChar::Script_Hiragana,
     "\u3044\u308D\u306F\u306B\u307B\u3078\u3068 \u3061\u308A\u306C\u308B\u3092"},
    {QChar::Script_Katakana,
     "\u30A4\u30ED\u30CF\u30CB\u30DB\u30D8\u30C8 \u30C1\u30EA\u30CC\u30EB\u30F2"},
    {QChar::Script_Hangul, "\uB2E4\uB78C\uC950 \uD5CC \uCCC7\uBC14\uD034\uC5D0 \uD0C0\uACE0\uD30C"},
    {QChar::Script_Hebrew,
     "\u05D3\u05D2 \u05E1\u05E7\u05E8\u05DF \u05E9\u05D8 \u05D1\u05D9\u05DD "
     "\u05DE\u05D0\u05D5\u05DB\u05D6\u05D1"},
    {QChar::Script_Greek,
     "\u0398\u03AD\u03BB\u03C9 \u03BD\u03B1 \u03C6\u03AC\u03C9 \u03BC\u03B9\u03B1 "
     "\u03C8\u03C5\u03C7\u03C1\u03AE"},
    {QChar::Script_Cyrillic,
     "\u0421\u044A\u0435\u0448\u044C \u0436\u0435 \u0435\u0449\u0451 \u044D\u0442\u0438\u0445 "
     "\u043C\u044F\u0433\u043A\u0438\u0445 \u0431\u0443\u043B\u043E\u043A"},
    {QChar::Script_Thai,
     "\u0E40\u0E1B\u0E47\u0E19\u0E21\u0E19\u0E38\u0E29\u0E22\u0E4C\u0E2A\u0E38\u0E14\u0E1B\u0E23"
     "\u0E30\u0E40\u0E2A\u0E23\u0E34\u0E10"},
    {QChar::Script_Tamil,
     "\u0B85\u0B95\u0BB0 \u0BAE\u0BC1\u0BA4\u0BB2 "
     "\u0B8E\u0BB4\u0BC1\u0BA4\u0BCD\u0BA4\u0BC6\u0BB2\u0BCD\u0BB2\u0BBE\u0BAE\u0BCD"},
    {QChar::Script_Bengali,
     "\u0986\u09AE\u09BE\u09B0 \u09B8\u09CB\u09A8\u09BE\u09B0 \u09AC\u09BE\u0982\u09B2\u09BE"},
};

// A sample with a letter or two the font lacks still shows its design.
constexpr double kSampleCoverage = 0.9;
// How many of its own characters a font without a sample shows.
constexpr qsizetype kOwnCharacters = 40;

// Every character the font's Unicode maps give, in map order.
template <typename Visit>
void ForEachCharacter(const Varnholt::COpenTypeData& data, Visit visit) {
    for (const auto& map : data.GetCharacterMap().subtables) {
        const bool more = map.ForEachCode([&](std::uint16_t code) {
            const QChar c(static_cast<char16_t>(code));
            return c.isSurrogate() || visit(c);
        });
        if (!more) {
            return;
        }
    }
}

// The script that most of the font's characters belong to; Script_Common
// for a font of symbols, digits and punctuation alone.
QChar::Script MainScript(const Varnholt::COpenTypeData& data) {
    std::array<int, QChar::ScriptCount> counts{};
    ForEachCharacter(data, [&](QChar c) {
        ++counts[static_cast<std::size_t>(c.script())];
        return true;
    });
    QChar::Script main = QChar::Script_Common;
    int most = 0;
    for (int script = QChar::Script_Common + 1; script < QChar::ScriptCount; ++script) {
        if (counts[static_cast<std::size_t>(script)] > most) {
            most = counts[static_cast<std::size_t>(script)];
            main = static_cast<QChar::Script>(script);
        }
    }
    return main;
}

// The font's first characters of `script` (any visible ones for Common).
QString OwnCharacters(const Varnholt::COpenTypeData& data, QChar::Script script) {
    QString own;
    ForEachCharacter(data, [&](QChar c) {
        const bool wanted = script == QChar::Script_Common
                                ? c.isPrint() && !c.isSpace()
                                : c.script() == script && c.isLetterOrNumber();
        if (wanted) {
            own += c;
        }
        return own.size() < kOwnCharacters;
    });
    return own;
}

// A symbol font's first characters, written as the text that its symbol map
// turns into them (U+F041 is reached through "A").
QString OwnSymbolCharacters(const Varnholt::COpenTypeData& data) {
    QString own;
    ForEachCharacter(data, [&](QChar c) {
        if (c.unicode() > 0xF020 && c.unicode() <= 0xF0FF) {
            const QChar typed(static_cast<char16_t>(c.unicode() - 0xF000));
            if (typed.isPrint() && !typed.isSpace()) {
                own += typed;
            }
        }
        return own.size() < kOwnCharacters;
    });
    return own;
}

}  // namespace

QString PreviewTextFor(const CFontItem& item, const QString& text, const CPreviewLook& preview) {
    const auto data = item.GetData();
    if (data == nullptr || item.GetStatus() != CFontItem::Loaded) {
        return text;
    }
    auto& fonts = Platform::CExactFontCache::Instance();
    const QString path = PathText(item.GetPath());
    const Platform::CTextLook look = LookOf(item, preview);
    if (fonts.Coverage(path, look, text) >= 1) {
        return text;
    }
    if (data->IsSymbolFont()) {
        const QString own = OwnSymbolCharacters(*data);
        return own.isEmpty() ? text : own;
    }
    const QChar::Script script = MainScript(*data);
    for (const CSample& sample : kSamples) {
        if (sample.script == script) {
            const QString candidate = QString::fromUtf8(sample.text);
            if (fonts.Coverage(path, look, candidate) >= kSampleCoverage) {
                return candidate;
            }
        }
    }
    // A script without a sample here, or a font of symbols: its own characters.
    const QString own = OwnCharacters(*data, script);
    return own.isEmpty() ? text : own;
}

bool DrawPreviewLine(QPainter& painter, const QRectF& rect, const CFontItem& item,
                     const CPreviewLook& look, const QString& text, const QColor& color) {
    if (!Drawn(item, look)) {
        return false;
    }
    return Platform::CExactFontCache::Instance().DrawLine(painter, rect, PathText(item.GetPath()),
                                                          LookOf(item, look),
                                                          PreviewTextFor(item, text, look), color);
}

QString UndrawableFontText() {
    return QCoreApplication::translate("PreviewLine", "This font cannot be drawn from its file.");
}

void DrawUndrawableNote(QPainter& painter, const QRectF& rect, const QFont& font,
                        const QColor& color, Qt::Alignment alignment) {
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(
        rect, alignment | Qt::TextSingleLine,
        QFontMetricsF(font).elidedText(UndrawableFontText(), Qt::ElideRight, rect.width()));
    painter.restore();
}

bool PreviewLineReady(const CFontItem& item, const CPreviewLook& look) {
    return !Drawn(item, look) || Platform::CExactFontCache::Instance().Holds(
                                     PathText(item.GetPath()), LookOf(item, look));
}

qreal PreviewLineWidth(const CFontItem& item, const CPreviewLook& look, const QString& text) {
    if (!Drawn(item, look)) {
        return 0;
    }
    const auto line = Platform::CExactFontCache::Instance().Shape(
        PathText(item.GetPath()), LookOf(item, look), PreviewTextFor(item, text, look));
    return line.IsValid() ? line.width : 0;
}

}  // namespace Quillmark
