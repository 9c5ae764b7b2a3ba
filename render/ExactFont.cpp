#include "render/ExactFont.h"

#include <hb-ot.h>
#include <hb.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QColor>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <algorithm>
#include <list>
#include <mutex>
#include <span>

#include "core/PathText.h"
#include "fontdata/opentype/Container.h"
#include "fontdata/opentype/FontImage.h"
#include "fontdata/opentype/OS2Table.h"
#include "platform/FileStamp.h"
#include "render/GlyphOutline.h"

namespace Quillmark::Platform {

namespace OpenTypeFontData = Varnholt::OpenTypeFontData;

struct CExactFontCache::Face {
    QRawFont raw;
    qint64 bytes = 0;  // the file, which the raw font holds in memory
    // The version of the file the face was read from, and the parse it was
    // last asked with: a file replaced in place under its name is read again
    // instead of being drawn in its old design.
    CFileStamp stamp;
    std::weak_ptr<const Varnholt::COpenTypeData> data;
    hb_font_t* font = nullptr;
    qreal ascent = 0;
    qreal descent = 0;

    ~Face() {
        if (font != nullptr) {
            hb_font_destroy(font);
        }
    }
};

struct CExactFontCache::Cache {
    std::mutex mutex;
    qint64 bytes = 0;  // of every face held
    // Most recently used first.
    std::list<std::pair<QString, std::shared_ptr<Face>>> faces;
    QHash<QString, std::list<std::pair<QString, std::shared_ptr<Face>>>::iterator> index;
};

namespace {

// HarfBuzz reads the tables from the raw font, so the file is read once.
hb_blob_t* ReferenceTable(hb_face_t*, hb_tag_t tag, void* userData) {
    const auto* raw = static_cast<const QRawFont*>(userData);
    const char name[4] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag)};
    auto* bytes = new QByteArray(raw->fontTable(name));
    return hb_blob_create(bytes->constData(), static_cast<unsigned int>(bytes->size()),
                          HB_MEMORY_MODE_READONLY, bytes,
                          [](void* data) { delete static_cast<QByteArray*>(data); });
}

// Open fonts are held in memory whole: besides their number, their bytes are
// bounded (large CJK fonts run to tens of megabytes each); the most recent
// few are kept whatever their size.
constexpr qint64 kByteBudget = 192ll * 1024 * 1024;
constexpr int kAlwaysKept = 8;

// The file's OS/2 table as the reader parses it; all zero when the file
// has none or it does not parse.
OpenTypeFontData::COS2Table ReadOS2(const QRawFont& raw) {
    const QByteArray table = raw.fontTable("OS/2");
    OpenTypeFontData::CMemoryImage image(
        std::span(reinterpret_cast<const std::uint8_t*>(table.constData()),
                  static_cast<std::size_t>(table.size())));
    OpenTypeFontData::COS2Table os2;
    // `available` counts the unread bytes of a whole file. The table alone
    // is read here: all of it is unread, and never less than the reader's
    // minimum, which is a rule about files, not about the table.
    const auto available = std::max(static_cast<std::uint32_t>(table.size()),
                                    OpenTypeFontData::COS2Table::kMinimumAvailable);
    if (os2.Parse(image, 0, available) == 0) {
        return {};
    }
    return os2;
}

// The whole file, opened by its own bytes: a name that is not UTF-8 reaches
// the file system as it is. `stamp` is the version read.
QByteArray ReadFile(const std::filesystem::path& path, CFileStamp& stamp) {
    QByteArray bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        // A file that is there but cannot be opened is not tried again
        // until it changes.
        stamp = CFileStamp::Of(path);
        return bytes;
    }
    QFile file;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        stamp = CFileStamp::Of(info);
        bytes = file.readAll();
        return bytes;
    }
    ::close(fd);
    return bytes;
}

// The face of a file that a look draws: the parse's, the first without one.
std::uint32_t FaceOf(const CTextLook& look) {
    return look.data != nullptr ? look.data->GetFaceIndex() : 0;
}

QString Key(const QString& path, const CTextLook& look) {
    return path + QLatin1Char('\n') + QString::number(FaceOf(look)) + QLatin1Char('\n') +
           QString::number(look.cellHeight);
}

// The bytes a raw font is made from: the file's own for a font of one face,
// else its face as a font of its own (a web font decoded, a collection's
// face taken out), since a raw font reads only the first face of its data.
// Empty when the face cannot be had.
QByteArray FaceBytes(const QByteArray& file, std::uint32_t face) {
    const std::span<const std::uint8_t> bytes(
        reinterpret_cast<const std::uint8_t*>(file.constData()),
        static_cast<std::size_t>(file.size()));
    OpenTypeFontData::CMemoryImage image(bytes);
    if (face == 0 && OpenTypeFontData::ContainerOf(image) == OpenTypeFontData::Container::Font) {
        return file;
    }
    std::vector<std::uint8_t> own;
    if (OpenTypeFontData::FaceFile(bytes, face, own) != Varnholt::FontStatus::Loaded) {
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(own.data()),
                      static_cast<qsizetype>(own.size()));
}

bool SameObject(const std::weak_ptr<const Varnholt::COpenTypeData>& held,
                const std::shared_ptr<const Varnholt::COpenTypeData>& asked) {
    // By owner: a parse freed and another made at its address is not the same.
    return !held.owner_before(asked) && !asked.owner_before(held);
}

// The text as a font with a Windows Symbol map has it: U+0020..U+00FF at
// U+F020..U+F0FF.
QString SymbolText(const QString& text) {
    QString mapped = text;
    for (QChar& c : mapped) {
        if (c.unicode() >= 0x20 && c.unicode() <= 0xFF) {
            c = QChar(static_cast<char16_t>(0xF000 + c.unicode()));
        }
    }
    return mapped;
}

}  // namespace

CExactFontCache::CExactFontCache(int capacity)
    : m_cache(std::make_unique<Cache>()), m_capacity(capacity) {}

CExactFontCache::~CExactFontCache() = default;

CExactFontCache& CExactFontCache::Instance() {
    static CExactFontCache cache;
    return cache;
}

int CExactFontCache::Size() const {
    std::lock_guard lock(m_cache->mutex);
    return static_cast<int>(m_cache->faces.size());
}

bool CExactFontCache::Holds(const QString& path, const CTextLook& look) const {
    std::lock_guard lock(m_cache->mutex);
    return m_cache->index.contains(Key(path, look));
}

void CExactFontCache::Clear() {
    std::lock_guard lock(m_cache->mutex);
    m_cache->faces.clear();
    m_cache->index.clear();
    m_cache->bytes = 0;
}

std::shared_ptr<CExactFontCache::Face> CExactFontCache::FaceFor(const QString& path,
                                                                const CTextLook& look) {
    const int cellHeight = look.cellHeight;
    const QString key = Key(path, look);
    const std::filesystem::path file = FilePath(path);
    {
        std::unique_lock lock(m_cache->mutex);
        if (const auto it = m_cache->index.find(key); it != m_cache->index.end()) {
            m_cache->faces.splice(m_cache->faces.begin(), m_cache->faces, it.value());
            const std::shared_ptr<Face> held = m_cache->faces.front().second;
            // Asked with the parse it was last asked with, the face is
            // current: an item is made again when its file changes. Else
            // the file itself says whether it is still the one read.
            bool current = look.data != nullptr && SameObject(held->data, look.data);
            if (!current) {
                lock.unlock();
                current = CFileStamp::Of(file) == held->stamp;
                lock.lock();
                if (current && look.data != nullptr) {
                    held->data = look.data;
                }
            }
            if (current) {
                return held->font != nullptr ? held : nullptr;
            }
        }
    }

    auto face = std::make_shared<Face>();
    face->data = look.data;
    const QByteArray bytes = FaceBytes(ReadFile(file, face->stamp), FaceOf(look));
    face->raw.loadFromData(bytes, cellHeight, QFont::PreferDefaultHinting);
    if (!face->raw.isValid()) {
        // Remembered as a font that cannot be drawn, so that it is not read
        // again for every row painted.
        auto failed = std::make_shared<Face>();
        failed->stamp = face->stamp;
        failed->data = look.data;
        std::lock_guard lock(m_cache->mutex);
        Hold(key, std::move(failed));
        return nullptr;
    }
    // The cell height is the font's Windows ascent plus descent, as the
    // desktop's font heights count it; the em is scaled to fit.
    const OpenTypeFontData::COS2Table os2 =
        look.data != nullptr ? look.data->GetOS2() : ReadOS2(face->raw);
    const qreal upem = face->raw.unitsPerEm();
    qreal ascentUnits = os2.usWinAscent;
    qreal cellUnits = ascentUnits + os2.usWinDescent;
    if (cellUnits <= 0) {
        const qreal ascent = face->raw.ascent();
        const qreal total = ascent + face->raw.descent();
        ascentUnits = total > 0 ? ascent / total : 0.8;
        cellUnits = 1;
    } else {
        ascentUnits /= cellUnits;
        cellUnits = cellUnits / upem;
    }
    const qreal em = cellHeight / (cellUnits > 0 ? cellUnits : 1);
    face->raw.setPixelSize(em);
    face->ascent = cellHeight * ascentUnits;
    face->descent = cellHeight - face->ascent;

    hb_face_t* hbFace = hb_face_create_for_tables(ReferenceTable, &face->raw, nullptr);
    hb_face_set_upem(hbFace, static_cast<unsigned int>(upem));
    face->font = hb_font_create(hbFace);
    hb_face_destroy(hbFace);
    const int scale = static_cast<int>(em * 64);
    hb_font_set_scale(face->font, scale, scale);

    face->bytes = bytes.size();
    std::lock_guard lock(m_cache->mutex);
    Hold(key, face);
    return face;
}

void CExactFontCache::Hold(const QString& key, std::shared_ptr<Face> face) {
    if (const auto it = m_cache->index.find(key); it != m_cache->index.end()) {
        // Opened meanwhile on another thread: the newer one is kept.
        m_cache->bytes -= it.value()->second->bytes;
        m_cache->faces.erase(it.value());
        m_cache->index.erase(it);
    }
    m_cache->bytes += face->bytes;
    m_cache->faces.emplace_front(key, std::move(face));
    m_cache->index.insert(key, m_cache->faces.begin());
    const auto count = [this] { return static_cast<int>(m_cache->faces.size()); };
    while (count() > m_capacity || (m_cache->bytes > kByteBudget && count() > kAlwaysKept)) {
        m_cache->bytes -= m_cache->faces.back().second->bytes;
        m_cache->index.remove(m_cache->faces.back().first);
        m_cache->faces.pop_back();
    }
}

double CExactFontCache::Coverage(const QString& path, const CTextLook& look, const QString& text) {
    const auto face = FaceFor(path, look);
    if (face == nullptr) {
        return 0;
    }
    int visible = 0;
    int covered = 0;
    for (const QChar c : look.symbolFont ? SymbolText(text) : text) {
        if (c.isSpace() || c.isSurrogate()) {
            continue;
        }
        ++visible;
        covered += face->raw.supportsCharacter(c) ? 1 : 0;
    }
    return visible == 0 ? 1.0 : static_cast<double>(covered) / visible;
}

CShapedLine CExactFontCache::Shape(const QString& path, const CTextLook& look,
                                   const QString& text) {
    CShapedLine line;
    const auto face = FaceFor(path, look);
    if (face == nullptr) {
        return line;
    }
    const QString shaped = look.symbolFont ? SymbolText(text) : text;
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(shaped.utf16()),
                        static_cast<int>(shaped.size()), 0, static_cast<int>(shaped.size()));
    hb_buffer_guess_segment_properties(buffer);
    hb_font_t* const varied = VariedFont(face->font, look);
    hb_font_t* const font = varied != nullptr ? varied : face->font;
    const std::vector<hb_feature_t> features = FeaturesOf(look);
    hb_shape(font, buffer, features.data(), static_cast<unsigned int>(features.size()));

    unsigned int count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    QList<quint32> glyphs;
    QList<QPointF> points;
    glyphs.reserve(count);
    points.reserve(count);
    qreal x = 0;
    qreal y = 0;
    for (unsigned int i = 0; i < count; ++i) {
        glyphs.append(infos[i].codepoint);
        points.append(QPointF(x + positions[i].x_offset / 64.0, y - positions[i].y_offset / 64.0));
        x += positions[i].x_advance / 64.0;
        y -= positions[i].y_advance / 64.0;
    }
    hb_buffer_destroy(buffer);
    if (varied != nullptr) {
        line.outlined = true;
        line.outline.setFillRule(Qt::WindingFill);
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            AddOutline(varied, glyphs[i], points[i], line.outline);
        }
        hb_font_destroy(varied);
    }

    line.run.setRawFont(face->raw);
    line.run.setGlyphIndexes(glyphs);
    line.run.setPositions(points);
    line.width = x;
    line.ascent = face->ascent;
    line.descent = face->descent;
    return line;
}

bool CExactFontCache::DrawLine(QPainter& painter, const QRectF& rect, const QString& path,
                               const CTextLook& look, const QString& text, const QColor& color) {
    CShapedLine line = Shape(path, look, text);
    if (!line.IsValid()) {
        return false;
    }
    if (line.width > rect.width() && !text.isEmpty()) {
        // Cut the text at the longest prefix that fits with an ellipsis.
        const QString ellipsis = QStringLiteral("...");
        qsizetype low = 0;
        qsizetype high = text.size();
        CShapedLine best = Shape(path, look, ellipsis);
        while (low < high) {
            qsizetype middle = (low + high + 1) / 2;
            if (middle < text.size() && text.at(middle).isLowSurrogate()) {
                --middle;
            }
            if (middle <= low) {
                break;
            }
            CShapedLine candidate = Shape(path, look, text.left(middle) + ellipsis);
            if (candidate.width <= rect.width()) {
                low = middle;
                best = std::move(candidate);
            } else {
                high = middle - 1;
            }
        }
        line = std::move(best);
    }

    const QPointF origin(rect.left(),
                         rect.top() + (rect.height() - look.cellHeight) / 2 + line.ascent);
    DrawShaped(painter, rect, origin, line, look, color);
    return true;
}

bool CExactFontCache::DrawCentred(QPainter& painter, const QRectF& rect, const QString& path,
                                  const CTextLook& look, const QString& text, const QColor& color) {
    const CShapedLine line = Shape(path, look, text);
    if (!line.IsValid()) {
        return false;
    }
    const QPointF origin(rect.left() + (rect.width() - line.width) / 2,
                         rect.top() + (rect.height() - look.cellHeight) / 2 + line.ascent);
    DrawShaped(painter, rect, origin, line, look, color);
    return true;
}

bool CExactFontCache::ShapeEach(const QString& path, const CTextLook& look, const char32_t* codes,
                                std::size_t count, CGlyph* glyphs) {
    const auto face = FaceFor(path, look);
    if (face == nullptr) {
        return false;
    }
    hb_font_t* const varied = VariedFont(face->font, look);
    hb_font_t* const font = varied != nullptr ? varied : face->font;
    const std::vector<hb_feature_t> features = FeaturesOf(look);
    hb_buffer_t* buffer = hb_buffer_create();
    for (std::size_t i = 0; i < count; ++i) {
        QString text = QString::fromUcs4(&codes[i], 1);
        if (look.symbolFont) {
            text = SymbolText(text);
        }
        hb_buffer_clear_contents(buffer);
        const int units = static_cast<int>(text.size());  // 2 past U+FFFF
        hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.utf16()), units, 0,
                            units);
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(font, buffer, features.data(), static_cast<unsigned int>(features.size()));
        unsigned int shaped = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &shaped);
        const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &shaped);
        glyphs[i] =
            shaped > 0 ? CGlyph{infos[0].codepoint, positions[0].x_advance / 64.0} : CGlyph{};
    }
    hb_buffer_destroy(buffer);
    if (varied != nullptr) {
        hb_font_destroy(varied);
    }
    return true;
}

std::vector<QPainterPath> CExactFontCache::Outlines(const QString& path, const CTextLook& look,
                                                    const std::vector<quint32>& glyphs) {
    std::vector<QPainterPath> outlines(glyphs.size());
    const auto face = FaceFor(path, look);
    if (face == nullptr) {
        return outlines;
    }
    hb_font_t* const varied = VariedFont(face->font, look);
    hb_font_t* const font = varied != nullptr ? varied : face->font;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        outlines[i].setFillRule(Qt::WindingFill);
        AddOutline(font, glyphs[i], QPointF(0, 0), outlines[i]);
    }
    if (varied != nullptr) {
        hb_font_destroy(varied);
    }
    return outlines;
}

QRawFont CExactFontCache::RawFont(const QString& path, const CTextLook& look) {
    const auto face = FaceFor(path, look);
    return face != nullptr ? face->raw : QRawFont();
}

CExactFontCache::CMetrics CExactFontCache::Metrics(const QString& path, const CTextLook& look) {
    CMetrics metrics;
    if (const auto face = FaceFor(path, look)) {
        metrics.ascent = face->ascent;
        metrics.descent = face->descent;
        metrics.maxCharWidth = face->raw.maxCharWidth();
    }
    return metrics;
}

void CExactFontCache::DrawRun(QPainter& painter, const QRectF& clip, const QPointF& origin,
                              const QGlyphRun& run, const CTextLook& look, const QColor& color) {
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    painter.setPen(color);
    if (look.quality == Rendering::Antialiased) {
        // Grey-scale antialiasing: glyphs drawn on a transparent layer never
        // get subpixel coverage.
        const QRect area = clip.toAlignedRect();
        QImage layer(area.size() * painter.device()->devicePixelRatio(),
                     QImage::Format_ARGB32_Premultiplied);
        layer.setDevicePixelRatio(painter.device()->devicePixelRatio());
        layer.fill(Qt::transparent);
        QPainter layerPainter(&layer);
        layerPainter.setRenderHint(QPainter::TextAntialiasing, true);
        layerPainter.setPen(color);
        layerPainter.drawGlyphRun(origin - area.topLeft(), run);
        layerPainter.end();
        painter.drawImage(area.topLeft(), layer);
    } else {
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.drawGlyphRun(origin, run);
    }
    painter.restore();
}

void CExactFontCache::DrawShaped(QPainter& painter, const QRectF& clip, const QPointF& origin,
                                 const CShapedLine& line, const CTextLook& look,
                                 const QColor& color) {
    if (!line.outlined) {
        DrawRun(painter, clip, origin, line.run, look, color);
        return;
    }
    // Outlines are filled with grey-scale antialiasing at every quality:
    // without hinting, unsmoothed edges would be ragged.
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.translate(origin);
    painter.drawPath(line.outline);
    painter.restore();
}

}  // namespace Quillmark::Platform
