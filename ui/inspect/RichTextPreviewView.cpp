#include "ui/inspect/RichTextPreviewView.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTextCursor>
#include <boost/bind/bind.hpp>
#include <cmath>

#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "render/ExactFamily.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"
#include "render/WrappedText.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {

// Around text drawn in a chosen design, as the editor keeps its text from its edges.
constexpr qreal kDesignMargin = 4;

// The cell height (ascent plus descent, as the exact-font cache is asked
// for sizes) whose em is `em` pixels in the font of `path`.
int CellHeightForEm(const QString& path, Platform::CTextLook look, qreal em) {
    constexpr int kTrial = 100;
    look.cellHeight = kTrial;
    const QRawFont raw = Platform::CExactFontCache::Instance().RawFont(path, look);
    if (!raw.isValid() || raw.pixelSize() <= 0) {
        return static_cast<int>(std::lround(em));
    }
    return std::max(1, static_cast<int>(std::lround(em * kTrial / raw.pixelSize())));
}

QColor ToQColor(quint32 colour) {
    return QColor(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF));
}

}  // namespace

CRichTextPreviewView::CRichTextPreviewView(CQuillmarkSignals& hub, CProgramOptions& options,
                                           CFontManager& manager, const CQuillmarkDoc& document,
                                           QWidget* parent)
    : QWidget(parent),
      m_hub(hub),
      m_options(options),
      m_font(hub, manager, [this] { DropFont(); }) {
    setObjectName(QStringLiteral("RichTextPreview"));
    setAccessibleName(tr("Preview"));
    const auto action = [this](const QString& text, QKeySequence key, bool checked) {
        auto* a = new QAction(text, this);
        a->setCheckable(true);
        a->setChecked(checked);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        QString plain = text;
        a->setToolTip(plain.remove(QLatin1Char('&')));
        return a;
    };
    m_bold = action(tr("&Bold"), QKeySequence(Qt::CTRL | Qt::Key_B), options.GetPreviewFontBold());
    m_italic =
        action(tr("&Italic"), QKeySequence(Qt::CTRL | Qt::Key_I), options.GetPreviewFontItalic());
    m_underline = action(tr("&Underline"), QKeySequence(Qt::CTRL | Qt::Key_U),
                         options.GetPreviewFontUnderlined());
    connect(m_bold, &QAction::triggered, this, [this] {
        Toggle(&CProgramOptions::GetPreviewFontBold, &CProgramOptions::SetPreviewFontBold);
    });
    connect(m_italic, &QAction::triggered, this, [this] {
        Toggle(&CProgramOptions::GetPreviewFontItalic, &CProgramOptions::SetPreviewFontItalic);
    });
    connect(m_underline, &QAction::triggered, this, [this] {
        Toggle(&CProgramOptions::GetPreviewFontUnderlined,
               &CProgramOptions::SetPreviewFontUnderlined);
    });

    hub.ConnectFontSelected(boost::bind(&CRichTextPreviewView::OnFontSelected, this, _1));
    hub.ConnectDetailPreviewSizeChanged(
        boost::bind(&CRichTextPreviewView::OnSizeChanged, this, _1));
    hub.ConnectColorChanged(boost::bind(&CRichTextPreviewView::OnColorChanged, this, _1, _2));
    hub.ConnectAppendCharacterToPreview(
        boost::bind(&CRichTextPreviewView::OnAppendCharacter, this, _1));
    hub.ConnectApplicationClosing(boost::bind(&CRichTextPreviewView::SaveText, this));
    hub.ConnectDesignChosen(boost::bind(&CRichTextPreviewView::OnDesignChosen, this, _1, _2));
    if (const CFontItem* current = document.GetCurrentFont()) {
        OnFontSelected(current);
    }
}

CRichTextPreviewView::~CRichTextPreviewView() = default;

QString CRichTextPreviewView::NoFontText() {
    return tr("no font selected");
}

QString CRichTextPreviewView::CurrentText() const {
    return m_edit ? m_edit->toPlainText() : m_options.GetPreviewText();
}

void CRichTextPreviewView::OnDesignChosen(const CFontItem* font,
                                          const Varnholt::OpenTypeFontData::CDesignLook& look) {
    if (!m_font.Holds(font) || look == m_design) {
        return;
    }
    m_design = look;
    ShowDesign();
}

void CRichTextPreviewView::ShowDesign() {
    if (m_edit) {
        m_edit->setVisible(m_design.IsDefault());
    }
    setToolTip(IsDrawingDesign()
                   ? tr("Drawn at the axes and features chosen: Reset them to edit the text")
                   : QString());
    update();
}

void CRichTextPreviewView::OnFontSelected(const CFontItem* font) {
    m_design = {};
    if (m_font.Hold(font) && m_font->GetStatus() == CFontItem::Loaded) {
        const auto* full = m_font->GetData()->GetName(4);
        m_faceName = full != nullptr ? QString::fromStdU16String(std::u16string(*full))
                                     : QString::fromStdU16String(m_font->GetName());
        m_family = CExactFamilies::Instance().FamilyFor(m_font->GetPath(), m_font->GetFace());
    } else {
        m_font.Reset();
        m_faceName.clear();
        m_family.clear();
    }
    QTextCharFormat change;
    change.setFontFamilies(FullFormat().fontFamilies().toStringList());
    ApplyPreview(change);
}

void CRichTextPreviewView::OnSizeChanged(unsigned short size) {
    m_options.SetPreviewFontSize(size);
    QTextCharFormat change;
    change.setFontPointSize(size);
    ApplyPreview(change);
    update();  // text drawn in a design follows too
}

void CRichTextPreviewView::OnColorChanged(quint32 colour, bool isTextColour) {
    if (m_options.GetFontDetailMode() != 0) {
        return;
    }
    QTextCharFormat change;
    if (isTextColour) {
        m_options.SetPreviewFontColor(colour);
        change.setForeground(ToQColor(colour));
    } else {
        m_options.SetPreviewBackgroundColor(colour);
    }
    ApplyPreview(change);
    update();  // text drawn in a design follows too
}

void CRichTextPreviewView::OnAppendCharacter(char32_t ch) {
    if (!m_edit) {
        return;
    }
    QTextCursor cursor(m_edit->document());
    cursor.movePosition(QTextCursor::End);
    m_edit->setTextCursor(cursor);
    m_edit->insertPlainText(QString::fromUcs4(&ch, 1));
}

void CRichTextPreviewView::DropFont() {
    m_font.Reset();
    m_faceName.clear();
    m_family.clear();
    ApplyPreview({});
}

void CRichTextPreviewView::Toggle(bool (CProgramOptions::*get)() const,
                                  void (CProgramOptions::*set)(const bool&)) {
    (m_options.*set)(!(m_options.*get)());
    m_bold->setChecked(m_options.GetPreviewFontBold());
    m_italic->setChecked(m_options.GetPreviewFontItalic());
    m_underline->setChecked(m_options.GetPreviewFontUnderlined());
    const QTextCharFormat full = FullFormat();
    QTextCharFormat change;
    if (get == &CProgramOptions::GetPreviewFontBold) {
        change.setFontWeight(full.fontWeight());
    } else if (get == &CProgramOptions::GetPreviewFontItalic) {
        change.setFontItalic(full.fontItalic());
    } else {
        change.setFontUnderline(full.fontUnderline());
    }
    ApplyPreview(change);
}

void CRichTextPreviewView::SaveText() {
    if (!m_edit) {
        return;
    }
    m_options.SetPreviewText(m_edit->toPlainText());
    QTextCursor start(m_edit->document());
    m_edit->setTextCursor(start);
}

QTextCharFormat CRichTextPreviewView::FullFormat() const {
    QTextCharFormat format;
    format.setFontWeight(m_options.GetPreviewFontBold() ? QFont::Bold : QFont::Normal);
    format.setFontItalic(m_options.GetPreviewFontItalic());
    format.setFontUnderline(m_options.GetPreviewFontUnderlined());
    format.setForeground(ToQColor(m_options.GetPreviewFontColor()));
    // The file's own family, never a font matched by name: a font whose
    // family could not be registered has no editor (ApplyPreview).
    format.setFontFamilies(QStringList{m_family});
    format.setFontPointSize(m_options.GetPreviewFontSize());
    return format;
}

void CRichTextPreviewView::ApplyPreview(const QTextCharFormat& change) {
    if (m_faceName.isEmpty() || m_family.isEmpty()) {
        if (m_edit) {
            SaveText();
            delete m_edit.data();
        }
        update();
        return;
    }
    bool isNew = false;
    if (!m_edit) {
        m_edit = new QTextEdit(this);
        m_edit->setObjectName(QStringLiteral("PreviewEdit"));
        m_edit->setAccessibleName(tr("Preview text"));
        m_edit->setAcceptRichText(false);
        m_edit->setFrameShape(QFrame::StyledPanel);
        m_edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_edit, &QWidget::customContextMenuRequested, this,
                [this](const QPoint& at) { ShowMenu(m_edit->mapToGlobal(at)); });
        m_edit->setGeometry(rect());
        m_edit->setPlainText(m_options.GetPreviewText());
        m_edit->show();
        isNew = true;
    }

    // A new editor takes the whole format; after that a change brings only
    // what changed, so that the text's own formatting stays.
    const QTextCharFormat format = isNew ? FullFormat() : change;
    QTextCursor cursor = m_edit->textCursor();
    if (isNew || !cursor.hasSelection()) {
        // All the text, and what is typed next.
        QTextCursor all(m_edit->document());
        all.select(QTextCursor::Document);
        all.mergeCharFormat(format);
        m_edit->mergeCurrentCharFormat(format);
    } else {
        cursor.mergeCharFormat(format);
    }
    if (isNew) {
        m_edit->setTextCursor(QTextCursor(m_edit->document()));
    }
    QPalette palette = m_edit->palette();
    palette.setColor(QPalette::Base, ToQColor(m_options.GetPreviewBackgroundColor()));
    m_edit->setPalette(palette);
}

void CRichTextPreviewView::paintEvent(QPaintEvent*) {
    if (IsDrawingDesign() && m_font) {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(m_options.GetPreviewBackgroundColor()));
        Platform::CTextLook look;
        look.data = m_font->GetData();
        // The editor sets the text in points: the same em here, in pixels.
        const qreal em = m_options.GetPreviewFontSize() * logicalDpiY() / 72.0;
        look.cellHeight = CellHeightForEm(PathText(m_font->GetPath()), look, em);
        look.symbolFont = look.data != nullptr && look.data->IsSymbolFont();
        look.variations = m_design.variations;
        look.features = m_design.features;
        const QRectF area =
            QRectF(rect()).adjusted(kDesignMargin, kDesignMargin, -kDesignMargin, -kDesignMargin);
        Platform::DrawWrappedText(painter, Platform::CExactFontCache::Instance(), area,
                                  PathText(m_font->GetPath()), look, m_edit->toPlainText(),
                                  ToQColor(m_options.GetPreviewFontColor()), look.cellHeight / 5.0);
        return;
    }
    if (m_edit) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    QFont font = this->font();
    font.setPixelSize(25);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    painter.setPen(QColor(128, 128, 128));
    if (m_faceName.isEmpty()) {
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, NoFontText());
        return;
    }
    // A font that was read, but that the renderer refuses to draw.
    font.setPixelSize(16);
    DrawUndrawableNote(painter, QRectF(rect()), font, QColor(128, 128, 128), Qt::AlignCenter);
}

void CRichTextPreviewView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_edit) {
        m_edit->setGeometry(rect());
    }
}

void CRichTextPreviewView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        ShowMenu(event->globalPosition().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CRichTextPreviewView::ShowMenu(const QPoint& global) {
    if (m_menu) {
        m_menu->popup(global);
    }
}

}  // namespace Quillmark
