#include "ui/inspect/CharDetailWnd.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QPainter>

#include "render/PreviewLine.h"

namespace Quillmark {

namespace {

constexpr int kTextFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

}  // namespace

CCharDetailWnd::CCharDetailWnd(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("CharDetail"));
    setWindowTitle(tr("Character Detail"));
    setAccessibleName(tr("Character Detail"));
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_menu = new CCharacterMenu([this] { return m_model.Code(); }, this);
    connect(m_menu, &CCharacterMenu::CopyRequested, this, &CCharDetailWnd::CopyRequested);
    connect(m_menu, &CCharacterMenu::AppendRequested, this, &CCharDetailWnd::AppendRequested);
}

void CCharDetailWnd::SetFindOtherFonts(std::function<void(char32_t)> find) {
    m_menu->SetFindOtherFonts(std::move(find));
}

void CCharDetailWnd::SetFont(const QString& path,
                             std::shared_ptr<const Varnholt::COpenTypeData> fontData,
                             Rendering quality) {
    m_path = path;
    m_look.data = std::move(fontData);
    m_look.quality = quality;
    m_model.MarkStale();
    update();
}

void CCharDetailWnd::ClearFont() {
    m_path.clear();
    m_look.data.reset();
    m_model.MarkStale();
    update();
}

void CCharDetailWnd::SetQuality(Rendering quality) {
    m_look.quality = quality;
    m_model.MarkStale();
    update();
}

int CCharDetailWnd::TextHeight() const {
    return fontMetrics()
        .boundingRect(QRect(0, 0, std::max(1, width()), 1 << 16), kTextFlags, m_model.Text())
        .height();
}

void CCharDetailWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int textHeight = TextHeight();
    const QRect glyph = CCharDetailModel::GlyphRect(size(), textHeight);
    const QRect band = CCharDetailModel::BandRect(size(), textHeight);

    painter.fillRect(glyph, palette().color(QPalette::Base));
    if (m_model.NeedsGlyph(glyph.height())) {
        // The glyph is drawn at the glyph area's height: the cache makes
        // the font at that height from the file.
        m_model.GlyphMade(glyph.height());
    }
    if (!m_path.isEmpty() && m_model.Code() != 0 && glyph.height() > 0) {
        m_look.cellHeight = glyph.height();
        const char32_t code = m_model.Code();
        if (!Platform::CExactFontCache::Instance().DrawCentred(painter, QRectF(glyph), m_path,
                                                               m_look, QString::fromUcs4(&code, 1),
                                                               palette().color(QPalette::Text))) {
            DrawUndrawableNote(painter, QRectF(glyph), font(), palette().color(QPalette::Text),
                               Qt::AlignCenter);
        }
    }

    painter.fillRect(band, palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(band.adjusted(0, CCharDetailModel::kBandPadding / 2, 0, 0), kTextFlags,
                     m_model.Text());
}

void CCharDetailWnd::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    hide();
    event->ignore();
}

void CCharDetailWnd::contextMenuEvent(QContextMenuEvent* event) {
    if (m_model.Code() != 0) {
        m_menu->popup(event->globalPos());
    }
}

}  // namespace Quillmark
