#include "palette/PaletteWnd.h"

#include <QApplication>
#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/QuillmarkSignals.h"
#include "palette/PaletteLoader.h"

namespace Quillmark {

namespace {

constexpr std::array<Channel, 3> kChannels = {Channel::Red, Channel::Green, Channel::Blue};

QColor ToQColor(quint32 colour) {
    return QColor(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF));
}

quint32 FromQColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}

}  // namespace

CPaletteDlg::CPaletteDlg(CPaletteModel& model, const CPaletteLoader& loader, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("PaletteDlg"));
    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("PaletteGroup"));
    QFont bold = m_group->font();
    bold.setWeight(QFont::Bold);
    m_group->setFont(bold);

    auto* inside = new QVBoxLayout(m_group);
    m_control = loader.CreateControl(m_group);
    if (m_control != nullptr) {
        m_control->setFont(font());
        // By name, as the plugin's interface gives them.
        connect(m_control, SIGNAL(ColorChange(uint)), this, SLOT(OnColorChange(uint)));
        connect(m_control, SIGNAL(ColorOver(uint)), this, SLOT(OnColorOver(uint)));
        m_control->installEventFilter(this);
        inside->addWidget(m_control);
    } else {
        m_fallback = new QColorDialog(m_group);
        m_fallback->setObjectName(QStringLiteral("FallbackColourDialog"));
        m_fallback->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
        m_fallback->setWindowFlags(Qt::Widget);
        m_fallback->setFont(font());
        connect(m_fallback, &QColorDialog::currentColorChanged, this, [this](const QColor& c) {
            if (!m_showing) {
                OnColorChange(FromQColor(c));
            }
        });
        inside->addWidget(m_fallback);
    }

    auto* fields = new QHBoxLayout;
    const QString names[3] = {tr("R:"), tr("G:"), tr("B:")};
    const auto digits = QRegularExpression(QStringLiteral("[0-9]{0,3}"));
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(names[i], m_group);
        label->setFont(font());
        auto* edit = new QLineEdit(m_group);
        edit->setFont(font());
        edit->setObjectName(QStringLiteral("Channel%1").arg(i));
        edit->setAccessibleName(names[i].chopped(1));
        edit->setMaxLength(3);
        edit->setValidator(new QRegularExpressionValidator(digits, edit));
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        label->setBuddy(edit);
        m_channels[i] = edit;
        fields->addWidget(label);
        fields->addWidget(edit);
        const Channel channel = kChannels[i];
        connect(edit, &QLineEdit::textEdited, this, [this, channel] { OnChannelEdited(channel); });
    }
    fields->addSpacing(12);
    auto* rgb = new QLabel(tr("RGB:"), m_group);
    rgb->setFont(font());
    fields->addWidget(rgb);
    for (int i = 0; i < 3; ++i) {
        m_readOuts[i] = new QLabel(m_group);
        m_readOuts[i]->setFont(font());
        m_readOuts[i]->setObjectName(QStringLiteral("ReadOut%1").arg(i));
        m_readOuts[i]->setAccessibleName(QStringLiteral("RGB %1").arg(names[i].chopped(1)));
        m_readOuts[i]->setMinimumWidth(
            m_readOuts[i]->fontMetrics().horizontalAdvance(QStringLiteral("000")));
        fields->addWidget(m_readOuts[i]);
    }
    fields->addSpacing(12);
    auto* htmlLabel = new QLabel(tr("HTML:"), m_group);
    htmlLabel->setFont(font());
    m_html = new QLineEdit(m_group);
    m_html->setFont(font());
    m_html->setObjectName(QStringLiteral("HtmlField"));
    m_html->setAccessibleName(tr("HTML"));
    m_html->setMaxLength(9);
    m_html->setFixedWidth(m_html->fontMetrics().horizontalAdvance(QStringLiteral("#DDDDDD0")) + 12);
    htmlLabel->setBuddy(m_html);
    connect(m_html, &QLineEdit::textEdited, this, &CPaletteDlg::OnHtmlEdited);
    connect(m_html, &QLineEdit::editingFinished, this, [this] {
        // Text that is no colour gives way to the colour's own when left.
        m_html->setText(HtmlColourText(m_model.Colour()));
    });
    fields->addWidget(htmlLabel);
    fields->addWidget(m_html);
    fields->addStretch(1);
    inside->addLayout(fields);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_group);
    Refresh();
}

void CPaletteDlg::Refresh() {
    m_group->setTitle(m_model.Caption());
    m_group->setAccessibleName(m_model.Caption());
    ShowFields();
    m_html->setText(HtmlColourText(m_model.Colour()));
    ShowColourOnControl();
}

void CPaletteDlg::ShowFields() {
    for (int i = 0; i < 3; ++i) {
        m_channels[i]->setText(QString::number(m_model.Value(kChannels[i])));
    }
    // The read-out follows the mouse over the palette, and otherwise shows
    // the colour picked.
    ShowReadOuts(m_model.Colour());
}

void CPaletteDlg::ShowReadOuts(quint32 colour) {
    for (int i = 0; i < 3; ++i) {
        m_readOuts[i]->setNum(int(colour >> (8 * i) & 0xFF));
    }
}

void CPaletteDlg::ShowColourOnControl() {
    m_showing = true;
    if (m_control != nullptr) {
        m_control->setProperty("SelectedColor", uint(m_model.Colour()));
    } else {
        m_fallback->setCurrentColor(ToQColor(m_model.Colour()));
    }
    m_showing = false;
}

void CPaletteDlg::OnColorChange(uint colour) {
    m_model.Pick(colour);
    ShowFields();
    m_html->setText(HtmlColourText(m_model.Colour()));
}

bool CPaletteDlg::eventFilter(QObject* watched, QEvent* event) {
    // The mouse left the palette: the read-out shows the picked colour again.
    if (watched == m_control && event->type() == QEvent::Leave) {
        ShowReadOuts(m_model.Colour());
    }
    return QWidget::eventFilter(watched, event);
}

void CPaletteDlg::OnColorOver(uint colour) {
    ShowReadOuts(colour);
}

void CPaletteDlg::OnChannelEdited(Channel channel) {
    QLineEdit* edit = m_channels[static_cast<int>(channel)];
    const QString typed = edit->text();
    const QString shown = m_model.ChannelEdited(channel, typed);
    if (shown != typed) {
        edit->setText(shown);
        if (typed.isEmpty()) {
            edit->selectAll();
        }
    }
    m_html->setText(HtmlColourText(m_model.Colour()));
    ShowReadOuts(m_model.Colour());
    ShowColourOnControl();
}

void CPaletteDlg::OnHtmlEdited() {
    if (m_model.HtmlEdited(m_html->text())) {
        ShowFields();
        ShowColourOnControl();
    }
}

// The pop-up window.

CPaletteWnd::CPaletteWnd(CQuillmarkSignals& hub, std::shared_ptr<const CPaletteLoader> loader,
                         std::function<void(const QString&)> status, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      m_hub(hub),
      m_loader(std::move(loader)),
      m_status(std::move(status)) {
    setObjectName(QStringLiteral("PaletteWnd"));
    setWindowTitle(tr("Palette"));
    setAccessibleName(tr("Palette"));
    m_dialog = new CPaletteDlg(m_model, *m_loader, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_dialog);
    connect(&m_model, &CPaletteModel::Picked, this,
            [this](quint32 colour, bool isText) { m_hub.FireColorChanged(colour, isText); });
    adjustSize();
}

CPaletteWnd::~CPaletteWnd() {
    if (m_filtering) {
        qApp->removeEventFilter(this);
    }
}

QPoint CPaletteWnd::Placement(const QRect& owner, const QSize& popup, const QRect& workArea) {
    const QPoint below(owner.left(), owner.bottom() + 1);
    if (workArea.contains(QRect(below, popup))) {
        return below;
    }
    return {owner.left(), owner.top() - popup.height()};
}

void CPaletteWnd::SetOpeners(const QList<QWidget*>& buttons) {
    m_openers.clear();
    for (QWidget* button : buttons) {
        m_openers << button;
    }
}

void CPaletteWnd::ShowFor(QWidget* owner, const QString& caption, quint32 colour,
                          bool isTextColour) {
    m_owner = owner;
    m_model.Reset(caption, colour, isTextColour);
    m_dialog->Refresh();
    if (!m_loader->IsLoaded() && !m_toldStatus && m_status) {
        m_toldStatus = true;
        m_status(tr("The colour palette could not be loaded (%1); the standard colour dialog "
                    "is used instead.")
                     .arg(m_loader->ErrorText()));
    }
    if (owner != nullptr) {
        adjustSize();
        const QRect button(owner->mapToGlobal(QPoint(0, 0)), owner->size());
        QScreen* screen = owner->window()->screen();
        const QRect workArea = screen != nullptr ? screen->availableGeometry() : QRect();
        move(Placement(button, frameGeometry().size(), workArea));
    }
    show();
    raise();
    activateWindow();
    m_dialog->ChannelField(Channel::Red)->setFocus();
    if (!m_filtering) {
        qApp->installEventFilter(this);
        m_filtering = true;
    }
}

void CPaletteWnd::ClosePopup() {
    if (m_filtering) {
        qApp->removeEventFilter(this);
        m_filtering = false;
    }
    if (!isVisible()) {
        return;
    }
    hide();
    m_hub.FirePaletteClosed();
}

bool CPaletteWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        const auto* press = static_cast<QMouseEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        if ((press->button() == Qt::LeftButton || press->button() == Qt::RightButton) &&
            widget->window() != this) {
            // A click on the owner button is its own to handle: it toggles
            // the pop-up; so is one on another opener, which turns it to
            // its colour. Any other click outside closes it and goes on.
            const auto hits = [widget](const QWidget* button) {
                return button != nullptr && (widget == button || button->isAncestorOf(widget));
            };
            m_clickOnOwner = hits(m_owner) || std::any_of(m_openers.begin(), m_openers.end(),
                                                          [&](const QPointer<QWidget>& button) {
                                                              return hits(button);
                                                          });
            if (!m_clickOnOwner) {
                ClosePopup();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CPaletteWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        ClosePopup();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool CPaletteWnd::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && isVisible()) {
        // Another window became active: close unless the click that did it
        // went to the owner button. The click may come just after.
        QTimer::singleShot(0, this, [this] {
            if (!m_clickOnOwner && !isActiveWindow()) {
                ClosePopup();
            }
            m_clickOnOwner = false;
        });
    }
    return QWidget::event(event);
}

}  // namespace Quillmark
