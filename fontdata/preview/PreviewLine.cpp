#include "PreviewLine.h"

#include <QFile>

#include "ExactFont.h"

namespace Quillmark {

namespace {
Platform::CTextLook LookOf(const CFontItem& item) {
    const CPreviewFont font = item.GetPreviewFont();
    Platform::CTextLook look;
    look.cellHeight = font.height;
    look.quality = font.quality;
    const auto data = item.GetData();
    look.symbolFont = data != nullptr && data->IsSymbolFont();
    return look;
}
}  // namespace

QString ToQString(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

bool DrawPreviewLine(QPainter& painter, const QRectF& rect, const CFontItem& item,
                     const QString& text, const QColor& color) {
    if (item.GetStatus() != CFontItem::Loaded || !item.GetPreviewFont().IsValid()) {
        return false;
    }
    return Platform::CExactFontCache::Instance().DrawLine(painter, rect, ToQString(item.GetPath()),
                                                          LookOf(item), text, color);
}

qreal PreviewLineWidth(const CFontItem& item, const QString& text) {
    if (item.GetStatus() != CFontItem::Loaded || !item.GetPreviewFont().IsValid()) {
        return 0;
    }
    const auto line =
        Platform::CExactFontCache::Instance().Shape(ToQString(item.GetPath()), LookOf(item), text);
    return line.IsValid() ? line.width : 0;
}

}  // namespace Quillmark
