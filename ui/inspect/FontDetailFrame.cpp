#include "ui/inspect/FontDetailFrame.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <boost/bind/bind.hpp>

#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "ui/common/ColourPopup.h"
#include "ui/common/TypedLengthLimit.h"
#include "ui/inspect/DesignPanel.h"
#include "ui/inspect/FontInfoDlg.h"
#include "ui/inspect/FontMapController.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/RichTextPreviewView.h"
#include "ui/inspect/WaterfallView.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {

// A size is at most three digits: 300.
constexpr int kSizeTypedLength = 3;

QColor ToQColor(quint32 colour) {
    return QColor(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF));
}

QString FullName(const CFontItem* font) {
    if (font == nullptr || font->GetStatus() != CFontItem::Loaded || !font->GetData()) {
        return {};
    }
    if (const auto* full = font->GetData()->GetName(4)) {
        return QString::fromStdU16String(std::u16string(*full));
    }
    return QString::fromStdU16String(font->GetName());
}

}  // namespace

// The font name.

CFontNameLabel::CFontNameLabel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FontName"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    setFont(bold);
}

void CFontNameLabel::SetText(const QString& text, bool isFont) {
    m_text = text;
    m_isFont = isFont;
    setAccessibleName(text);
    setToolTip(isFont ? tr("%1: click for the font information").arg(text) : QString());
    setCursor(isFont ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
}

QSize CFontNameLabel::sizeHint() const {
    return {fontMetrics().horizontalAdvance(m_text) + 8, fontMetrics().height() + 4};
}

QSize CFontNameLabel::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 4, fontMetrics().height() + 4};
}

void CFontNameLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(4, 0, -4, 0);
    painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(m_text, Qt::ElideRight, area.width()));
}

void CFontNameLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_isFont && rect().contains(event->pos())) {
        emit Clicked();
    }
}

// The frame.

CFontDetailFrame::CFontDetailFrame(CQuillmarkSignals& hub, CProgramOptions& options,
                                   CFontManager& manager, CQuillmarkDoc& document,
                                   std::unique_ptr<IColourPopup> palette, QWidget* parent)
    : QWidget(parent),
      m_hub(hub),
      m_options(options),
      m_manager(manager),
      m_document(document),
      m_state(options),
      m_palette(std::move(palette)),
      m_runInfo(&CFontInfoDlg::Show) {
    setObjectName(QStringLiteral("FontDetailFrame"));
    setAccessibleName(tr("Font detail"));
    m_views = new QStackedWidget(this);
    // The preview's bold, italic and underline are in the bar from the start.
    m_preview = new CRichTextPreviewView(hub, options, manager, document, m_views);
    m_views->addWidget(m_preview);
    CreateBar();
    if (m_palette) {
        m_palette->SetOpeners({m_textButton, m_backButton});
    }

    hub.ConnectFontSelected(boost::bind(&CFontDetailFrame::OnFontSelected, this, _1));
    hub.ConnectShowPalette(boost::bind(&CFontDetailFrame::OnColourButton, this, _1));
    hub.ConnectColorChanged(boost::bind(&CFontDetailFrame::OnColorChanged, this, _1, _2));
    hub.ConnectPaletteClosed(boost::bind(&CFontDetailFrame::OnPaletteClosed, this));
    OnFontSelected(document.GetCurrentFont());
    ApplyMode();
}

CFontDetailFrame::~CFontDetailFrame() {
    // The pop-up goes first: closing it must find the frame whole.
    m_palette.reset();
}

void CFontDetailFrame::CreateBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("DetailBar"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 4, 2);

    auto* modeLabel = new QLabel(tr("Mode:"), bar);
    m_modeBox = new QComboBox(bar);
    m_modeBox->setObjectName(QStringLiteral("ModeBox"));
    m_modeBox->setAccessibleName(tr("Mode"));
    m_modeBox->addItem(tr("Preview"));
    m_modeBox->addItem(tr("Font Map"));
    m_modeBox->addItem(tr("Waterfall"));
    m_modeBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    modeLabel->setBuddy(m_modeBox);
    connect(m_modeBox, &QComboBox::activated, this, [this](int index) {
        SetMode(index == 2   ? DetailMode::Waterfall
                : index == 1 ? DetailMode::FontMap
                             : DetailMode::Preview);
    });

    auto* sizeLabel = new QLabel(tr("Size:"), bar);
    m_sizeBox = new QComboBox(bar);
    m_sizeBox->setObjectName(QStringLiteral("SizeBox"));
    m_sizeBox->setAccessibleName(tr("Size"));
    m_sizeBox->setEditable(true);
    m_sizeBox->setInsertPolicy(QComboBox::NoInsert);
    m_sizeBox->addItems(CDetailFrameState::StandardSizeTexts());
    m_sizeBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    new CTypedLengthLimit(m_sizeBox->lineEdit(), kSizeTypedLength);
    sizeLabel->setBuddy(m_sizeBox);
    connect(m_sizeBox, &QComboBox::activated, this, &CFontDetailFrame::OnSizeChosen);
    connect(m_sizeBox->lineEdit(), &QLineEdit::textEdited, this, &CFontDetailFrame::OnSizeTyped);

    m_colourBar = new QToolBar(bar);
    m_colourBar->setObjectName(QStringLiteral("ColourBar"));
    m_colourBar->setIconSize(QSize(16, 16));
    const auto colourButton = [this](const QString& text, bool forText) {
        auto* button = new QToolButton(m_colourBar);
        button->setObjectName(forText ? QStringLiteral("TextColourButton")
                                      : QStringLiteral("BackgroundColourButton"));
        button->setCheckable(true);
        button->setToolTip(text);
        button->setAccessibleName(text);
        connect(button, &QToolButton::clicked, this, [this, forText] { OnColourButton(forText); });
        m_colourBar->addWidget(button);
        return button;
    };
    m_textButton = colourButton(tr("Set Foreground Color"), true);
    m_backButton = colourButton(tr("Set Background Color"), false);

    m_styleBar = new QToolBar(bar);
    m_styleBar->setObjectName(QStringLiteral("StyleBar"));
    m_styleBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* action : StyleActions()) {
        m_styleBar->addAction(action);
    }
    // Each button looks like what it does.
    const std::array<std::pair<QAction*, void (QFont::*)(bool)>, 3> looks = {
        std::pair{m_preview->BoldAction(), &QFont::setBold},
        std::pair{m_preview->ItalicAction(), &QFont::setItalic},
        std::pair{m_preview->UnderlineAction(), &QFont::setUnderline}};
    const QString letters[3] = {tr("B"), tr("I"), tr("U")};
    for (int i = 0; i < 3; ++i) {
        auto* button = qobject_cast<QToolButton*>(m_styleBar->widgetForAction(looks[i].first));
        if (button != nullptr) {
            QFont look = button->font();
            (look.*looks[i].second)(true);
            button->setFont(look);
            // The button shows the letter; the menu keeps the word.
            looks[i].first->setIconText(letters[i]);
            QString name = looks[i].first->text();
            button->setAccessibleName(name.remove(QLatin1Char('&')));
        }
    }

    m_designButton = new QToolButton(bar);
    m_designButton->setObjectName(QStringLiteral("DesignButton"));
    m_designButton->setText(tr("Design"));
    m_designButton->setAccessibleName(tr("Design"));
    m_designButton->setToolTip(tr("Show or hide the font's axes and features"));
    m_designButton->setCheckable(true);
    m_designButton->setChecked(true);
    connect(m_designButton, &QToolButton::toggled, this, [this] { ShowDesignPanel(); });

    m_name = new CFontNameLabel(bar);
    connect(m_name, &CFontNameLabel::Clicked, this, &CFontDetailFrame::ShowFontInfo);

    row->addWidget(modeLabel);
    row->addWidget(m_modeBox);
    row->addSpacing(8);
    row->addWidget(sizeLabel);
    row->addWidget(m_sizeBox);
    row->addSpacing(8);
    row->addWidget(m_colourBar);
    row->addWidget(m_styleBar);
    row->addWidget(m_designButton);
    row->addWidget(m_name, 1);

    m_designPanel = new CDesignPanel(m_design);
    connect(m_designPanel, &CDesignPanel::Changed, this, &CFontDetailFrame::OnDesignChanged);
    auto* designScroll = new QScrollArea(this);
    designScroll->setObjectName(QStringLiteral("DesignScroll"));
    designScroll->setAccessibleName(tr("Design"));
    designScroll->setWidget(m_designPanel);
    designScroll->setWidgetResizable(true);
    designScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    designScroll->setFixedWidth(260);
    m_designScroll = designScroll;

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(m_views, 1);
    body->addWidget(m_designScroll);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addLayout(body, 1);
    ShowDesignPanel();
}

void CFontDetailFrame::ShowDesignPanel() {
    m_designButton->setEnabled(m_design.HasDesign());
    m_designScroll->setVisible(m_design.HasDesign() && m_designButton->isChecked());
}

void CFontDetailFrame::OnDesignChanged() {
    if (m_designFont != nullptr) {
        m_hub.FireDesignChosen(m_designFont, {m_design.Variations(), m_design.FeatureChoices()});
    }
}

void CFontDetailFrame::SetPalette(std::unique_ptr<IColourPopup> palette) {
    if (m_palette) {
        m_palette->ClosePopup();
    }
    m_palette = std::move(palette);
    if (m_palette) {
        m_palette->SetOpeners({m_textButton, m_backButton});
    }
}

QList<QAction*> CFontDetailFrame::StyleActions() const {
    return {m_preview->BoldAction(), m_preview->ItalicAction(), m_preview->UnderlineAction()};
}

void CFontDetailFrame::SetPreviewMenu(QMenu* menu) {
    m_previewMenu = menu;
    m_preview->SetContextMenu(menu);
}

QWidget* CFontDetailFrame::ActiveView() const {
    return m_views->currentWidget();
}

void CFontDetailFrame::SetFindCharacter(CFontMapController::FindCharacter find) {
    m_findCharacter = std::move(find);
    if (m_mapController != nullptr) {
        m_mapController->SetFindCharacter(m_findCharacter);
    }
}

QWidget* CFontDetailFrame::ViewFor(DetailMode mode) {
    if (mode == DetailMode::Preview) {
        return m_preview;
    }
    if (mode == DetailMode::Waterfall) {
        if (m_waterfall == nullptr) {
            // Made the first time it is shown, in the design chosen now.
            auto* scroll = new QScrollArea(m_views);
            scroll->setObjectName(QStringLiteral("WaterfallScroll"));
            scroll->setAccessibleName(tr("Waterfall"));
            scroll->setWidgetResizable(true);
            m_waterfall = new CWaterfallView(m_hub, m_options, m_manager, m_document);
            scroll->setWidget(m_waterfall);
            m_waterfallScroll = scroll;
            m_views->addWidget(scroll);
            OnDesignChanged();
        }
        m_waterfall->SetText(m_preview->CurrentText());
        return m_waterfallScroll;
    }
    if (!m_map) {
        // Made the first time the map is shown; it stays, hidden, after.
        m_map = new CFontMapView(m_views);
        m_map->setAccessibleName(tr("Font Map"));
        m_mapController =
            new CFontMapController(m_hub, m_options, m_manager, m_document, m_map, window());
        m_mapController->SetFindCharacter(m_findCharacter);
        m_views->addWidget(m_map);
        OnDesignChanged();
    }
    return m_map;
}

void CFontDetailFrame::SetMode(DetailMode mode) {
    if (!m_state.SetMode(mode)) {
        return;
    }
    ApplyMode();
}

void CFontDetailFrame::ApplyMode() {
    const DetailMode mode = m_state.Mode();
    m_views->setCurrentWidget(ViewFor(mode));
    const bool preview = mode == DetailMode::Preview;
    m_styleBar->setVisible(preview);
    for (QAction* action : StyleActions()) {
        action->setEnabled(preview);
    }
    m_modeBox->setCurrentIndex(static_cast<int>(mode));
    // Every size at once: the size box has nothing to set.
    m_sizeBox->setEnabled(mode != DetailMode::Waterfall);
    m_settingSize = true;
    m_sizeBox->setEditText(m_state.SizeText());
    m_settingSize = false;
    UpdateSwatches();
}

void CFontDetailFrame::FireSize(unsigned short size) {
    if (m_state.Mode() == DetailMode::FontMap) {
        m_hub.FireFontMapSizeChanged(size);
    } else {
        m_hub.FireDetailPreviewSizeChanged(size);
    }
}

void CFontDetailFrame::OnSizeChosen(int index) {
    if (const auto size = CDetailFrameState::ChosenSize(m_sizeBox->itemText(index))) {
        FireSize(*size);
    }
}

void CFontDetailFrame::OnSizeTyped(const QString& text) {
    if (m_settingSize) {
        return;
    }
    if (const auto size = CDetailFrameState::TypedSize(text)) {
        FireSize(*size);
    }
}

QPixmap CFontDetailFrame::Swatch(quint32 colour) {
    QPixmap swatch(16, 16);
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    painter.setPen(Qt::black);
    painter.setBrush(ToQColor(colour));
    // (1, 1) to (15, 15): a 14-pixel square with its 1-pixel outline.
    painter.drawRect(1, 1, 13, 13);
    return swatch;
}

void CFontDetailFrame::UpdateSwatches() {
    m_textButton->setIcon(QIcon(Swatch(m_state.TextColour())));
    m_backButton->setIcon(QIcon(Swatch(m_state.BackgroundColour())));
}

void CFontDetailFrame::OnColourButton(bool text) {
    QToolButton* button = text ? m_textButton : m_backButton;
    QToolButton* other = text ? m_backButton : m_textButton;
    if (!m_palette) {
        button->setChecked(false);
        return;
    }
    if (m_palette->IsShown()) {
        if (m_palette->IsTextColourTarget() == text) {
            m_palette->ClosePopup();
            button->setChecked(false);
            return;
        }
        other->setChecked(false);
    }
    // The colour of the mode shown: the map's colours in map mode.
    m_palette->ShowFor(button, text ? tr("Foreground Color") : tr("Background Color"),
                       text ? m_state.TextColour() : m_state.BackgroundColour(), text);
    button->setChecked(true);
}

void CFontDetailFrame::OnFontSelected(const CFontItem* font) {
    const QString name = FullName(font);
    m_name->SetText(name.isEmpty() ? CRichTextPreviewView::NoFontText() : name, !name.isEmpty());
    // A new font starts at its own default design.
    const bool readable = font != nullptr && font->GetStatus() == CFontItem::Loaded;
    m_designFont = readable ? font : nullptr;
    m_design.SetDesign(readable ? font->GetDesign() : nullptr);
    m_designPanel->Rebuild();
    ShowDesignPanel();
}

void CFontDetailFrame::OnColorChanged(quint32 colour, bool isTextColour) {
    (isTextColour ? m_textButton : m_backButton)->setIcon(QIcon(Swatch(colour)));
}

void CFontDetailFrame::OnPaletteClosed() {
    m_textButton->setChecked(false);
    m_backButton->setChecked(false);
}

void CFontDetailFrame::ShowFontInfo() {
    if (const CFontItem* font = m_document.GetCurrentFont(); font != nullptr && m_runInfo) {
        m_runInfo(font, window());
    }
}

}  // namespace Quillmark
