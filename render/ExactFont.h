#pragma once

// Text drawn from a font file itself, never from a font looked up by name:
// two files that share a name, and two faces of one collection, are each
// drawn in their own design. The face's bytes (a web font decoded, a
// collection's face taken out) are opened as a QRawFont and the text shaped
// by HarfBuzz into a QGlyphRun. A face is decoded when it is opened, not
// each time it is drawn.
//
// Only the fonts being drawn are kept open, in a cache of bounded size.

#include <QGlyphRun>
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <memory>
#include <vector>

#include "core/OptionTypes.h"
#include "fontdata/design/FontDesign.h"
#include "fontdata/opentype/OpenTypeData.h"

class QPainter;
class QRectF;
class QColor;

namespace Quillmark::Platform {

// How a line of text is drawn: a cell height (ascent plus descent, in
// pixels, as the desktop's font heights are given) and a quality.
struct CTextLook {
    int cellHeight = 24;
    Rendering quality = Rendering::Default;
    bool symbolFont = false;  // map U+0020..U+00FF to the font's U+F020..U+F0FF
    // The reader's parse of the file, when the caller has it; else the
    // metrics are read from the file's own tables. The face drawn is the
    // parse's face (of a collection), the file's first without a parse.
    std::shared_ptr<const Varnholt::COpenTypeData> data;
    // The design drawn: a variable font's axes set to these values (the
    // others at their defaults; none set draws the font's default design),
    // and layout features turned on or off besides those shaping applies
    // by default. A look with variations is drawn from the glyphs'
    // outlines at those coordinates, since a raw font draws the default
    // design alone.
    std::vector<Varnholt::OpenTypeFontData::CAxisValue> variations;
    std::vector<Varnholt::OpenTypeFontData::CFeatureChoice> features;
};

struct CShapedLine {
    QGlyphRun run;  // positions relative to the baseline origin
    // For a look with variations: the glyphs' outlines at its coordinates,
    // relative to the baseline origin, which are drawn instead of the run.
    QPainterPath outline;
    bool outlined = false;
    qreal width = 0;
    qreal ascent = 0;  // of the cell, pixels
    qreal descent = 0;
    bool IsValid() const { return run.rawFont().isValid(); }
};

class CExactFontCache {
public:
    explicit CExactFontCache(int capacity = 64);
    ~CExactFontCache();
    CExactFontCache(const CExactFontCache&) = delete;
    CExactFontCache& operator=(const CExactFontCache&) = delete;

    // The process's cache, for the thread that draws (the user-interface thread).
    static CExactFontCache& Instance();

    // Shapes the text with the font of `path`; an invalid line when the file
    // cannot be opened as a font.
    CShapedLine Shape(const QString& path, const CTextLook& look, const QString& text);

    // Draws one line in `rect`, vertically centred, left-aligned, cut with an
    // ellipsis when it is wider than the rectangle. Returns false when the
    // font cannot be drawn.
    bool DrawLine(QPainter& painter, const QRectF& rect, const QString& path, const CTextLook& look,
                  const QString& text, const QColor& color);

    // Draws one line centred in `rect`, both ways, without cutting it (the
    // clip is the rectangle). Returns false when the font cannot be drawn.
    bool DrawCentred(QPainter& painter, const QRectF& rect, const QString& path,
                     const CTextLook& look, const QString& text, const QColor& color);

    // The font's cell at `look`: ascent, descent and the widest advance of
    // any glyph (the font's own figure), in pixels; all 0 when the font
    // cannot be opened.
    struct CMetrics {
        qreal ascent = 0;
        qreal descent = 0;
        qreal maxCharWidth = 0;
        bool IsValid() const { return ascent + descent > 0; }
    };
    CMetrics Metrics(const QString& path, const CTextLook& look);

    // Each character shaped alone, as Shape shapes a text of one character:
    // its glyph in the font and its advance. For a grid of many characters,
    // shaped once and drawn together in one run. False when the font cannot
    // be opened.
    struct CGlyph {
        quint32 index = 0;
        qreal advance = 0;
    };
    bool ShapeEach(const QString& path, const CTextLook& look, const char32_t* codes,
                   std::size_t count, CGlyph* glyphs);
    // The raw font that Shape's runs carry, for runs built from ShapeEach.
    QRawFont RawFont(const QString& path, const CTextLook& look);
    // Draws a run built from this cache's glyphs at `origin`, clipped to
    // `clip`, in the quality of `look`, as DrawLine draws.
    static void DrawRun(QPainter& painter, const QRectF& clip, const QPointF& origin,
                        const QGlyphRun& run, const CTextLook& look, const QColor& color);
    // Draws a shaped line at `origin` (its baseline's left end), clipped to
    // `clip`: its outlines when it has them, else its run.
    static void DrawShaped(QPainter& painter, const QRectF& clip, const QPointF& origin,
                           const CShapedLine& line, const CTextLook& look, const QColor& color);
    // The outline of each glyph at the look's variations, at the origin,
    // for grids of glyphs from ShapeEach; empty paths when the font cannot
    // be opened.
    std::vector<QPainterPath> Outlines(const QString& path, const CTextLook& look,
                                       const std::vector<quint32>& glyphs);

    // The share of the text's visible characters that the font maps, as
    // Shape maps them (1 for a text without any); 0 when the font cannot be
    // opened.
    double Coverage(const QString& path, const CTextLook& look, const QString& text);

    // Whether the font of `path` is open at `look` already, so that drawing
    // it costs no reading.
    bool Holds(const QString& path, const CTextLook& look) const;

    int Size() const;
    void Clear();

private:
    struct Face;
    std::shared_ptr<Face> FaceFor(const QString& path, const CTextLook& look);
    void Hold(const QString& key, std::shared_ptr<Face> face);  // under the mutex

    struct Cache;
    std::unique_ptr<Cache> m_cache;
    int m_capacity;
};

}  // namespace Quillmark::Platform
