#pragma once

// What the character detail window shows and where: the character and its
// name, the text band under the glyph, when the glyph must be made again,
// and where the window goes the first time. No widgets.

#include <QRect>
#include <QSize>
#include <QString>

#include "core/ProgramOptions.h"

namespace Quillmark {

class CCharDetailModel {
public:
    // The room above and below the text in its band.
    static constexpr int kBandPadding = 10;
    static constexpr int kFirstSide = 120;

    void SetCharacter(char32_t code, const QString& name);
    char32_t Code() const { return m_code; }
    const QString& Name() const { return m_name; }
    // "U+%04X\n%s": the code on the first line, the name on the second.
    QString Text() const;

    // The text band at the bottom of `client`, as high as the text plus
    // the padding; the glyph area is the rest above it.
    static QRect BandRect(QSize client, int textHeight);
    static QRect GlyphRect(QSize client, int textHeight);

    // The glyph is drawn at the glyph area's height; it is made again when
    // that height changes or the font or its options changed.
    bool NeedsGlyph(int glyphHeight) const { return m_stale || glyphHeight != m_glyphHeight; }
    void GlyphMade(int glyphHeight);
    void MarkStale() { m_stale = true; }
    int GlyphHeight() const { return m_glyphHeight; }

    // The window's rectangle: the stored one, or `first` centred on
    // `screen` (and no larger than it) when none was stored (every number
    // -1) or the stored size has no area.
    static QRect Placement(const CPair& position, const CPair& size, const QRect& screen,
                           QSize first = {kFirstSide, kFirstSide});

private:
    char32_t m_code = 0;
    QString m_name;
    int m_glyphHeight = -1;
    bool m_stale = true;
};

}  // namespace Quillmark
