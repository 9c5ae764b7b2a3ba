#include "ui/search/FindFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <algorithm>

namespace Quillmark {

namespace {

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name),
                            QApplication::style()->standardIcon(fallback));
}

// The "Look in:" list's entries, each indented by its level in the list
// that drops down (the box itself shows the entry plainly).
class CIndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->rect.adjust(index.data(CFindFrame::IndentRole).toInt() * 14, 0, 0, 0);
    }
};

}  // namespace

// A line of text that takes the width it is given, never more: what does
// not fit is left out in the middle, where a path's least telling part is.
class CElidedLabel : public QLabel {
public:
    explicit CElidedLabel(QWidget* parent) : QLabel(parent) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        setTextFormat(Qt::PlainText);
    }

    void SetFullText(const QString& text) {
        m_full = text;
        setToolTip(text);
        setAccessibleDescription(text);
        Elide();
    }
    const QString& FullText() const { return m_full; }

    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    void Elide() {
        const int room = contentsRect().width() - 2 * margin();
        setText(fontMetrics().elidedText(m_full, Qt::ElideMiddle, std::max(0, room)));
    }

    QString m_full;
};

// ---- Status bar ------------------------------------------------------------

CFindStatusBar::CFindStatusBar(QWidget* parent)
    : QStatusBar(parent),
      m_icon(new QLabel(this)),
      m_text(new CElidedLabel(this)),
      m_progress(new QProgressBar(this)) {
    setSizeGripEnabled(true);
    m_icon->setFixedSize(16, 16);
    m_icon->setAccessibleName(tr("Search state"));
    m_text->setAccessibleName(tr("Status"));
    m_progress->setRange(0, 0);  // a marquee
    m_progress->setFixedWidth(150);
    m_progress->setMaximumHeight(16);
    m_progress->setTextVisible(false);
    m_progress->setAccessibleName(tr("Searching"));
    addWidget(m_icon);
    addWidget(m_text, 1);
    addPermanentWidget(m_progress);
    SetState(State::Idle, false);
}

QString CFindStatusBar::Text() const {
    return m_text->FullText();
}

QString CFindStatusBar::ShownText() const {
    return m_text->text();
}

void CFindStatusBar::SetState(State state, bool animating) {
    m_state = state;
    m_progress->setVisible(animating);
    const QIcon icon =
        state == State::Searching  ? ThemeIcon("view-refresh", QStyle::SP_BrowserReload)
        : state == State::Canceled ? ThemeIcon("process-stop", QStyle::SP_BrowserStop)
                                   : ThemeIcon("edit-find", QStyle::SP_FileDialogContentsView);
    m_icon->setPixmap(icon.pixmap(16, 16));
}

void CFindStatusBar::ShowSearching(const QString& folder) {
    m_text->SetFullText(tr("Searching %1...").arg(folder));
    if (!IsAnimating()) {
        SetState(State::Searching, true);
    }
}

void CFindStatusBar::ShowCanceled(int found) {
    m_text->SetFullText(tr("Search was canceled.  Files Found: %1").arg(found));
    // A search that never searched a folder (a project's) was never shown
    // searching: its icon stays as it was.
    if (IsAnimating()) {
        SetState(State::Canceled, false);
    }
}

void CFindStatusBar::ShowComplete(int found) {
    m_text->SetFullText(tr("Search complete.  Files Found: %1").arg(found));
    SetState(State::Idle, false);
}

void CFindStatusBar::ShowFailed(const QString& failure, int found) {
    m_text->SetFullText(tr("Could not search %1.  Files Found: %2").arg(failure).arg(found));
    SetState(State::Canceled, false);
}

// ---- Window ----------------------------------------------------------------

CFindFrame::CFindFrame(QWidget* owner, const QString& caption, CFontRows& results,
                       const CProgramOptions& options, QFont uiFont)
    : QMainWindow(owner, Qt::Tool) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setAccessibleName(caption);
    setFont(uiFont);

    m_band1 = addToolBar(tr("Search for"));
    m_band1->setMovable(false);
    addToolBarBreak();
    QToolBar* band2 = addToolBar(tr("Look in"));
    band2->setMovable(false);
    band2->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* lookInLabel = new QLabel(tr("Look in:"), band2);
    band2->addWidget(lookInLabel);
    m_lookIn = new QComboBox(band2);
    m_lookIn->setAccessibleName(tr("Look in"));
    m_lookIn->setMinimumWidth(200);
    // A long folder name is shortened rather than widening the window.
    m_lookIn->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_lookIn->setMinimumContentsLength(24);
    m_lookIn->setMaxVisibleItems(24);
    m_lookIn->setItemDelegate(new CIndentDelegate(m_lookIn));
    lookInLabel->setBuddy(m_lookIn);
    band2->addWidget(m_lookIn);

    m_options = new QToolButton(band2);
    m_options->setText(tr("Search options"));
    m_options->setAccessibleName(tr("Search options"));
    m_options->setToolTip(tr("Search options"));
    m_options->setIcon(ThemeIcon("configure", QStyle::SP_FileDialogDetailedView));
    m_options->setPopupMode(QToolButton::InstantPopup);
    m_options->setToolButtonStyle(Qt::ToolButtonIconOnly);
    band2->addWidget(m_options);
    band2->addSeparator();
    m_stop = band2->addAction(ThemeIcon("process-stop", QStyle::SP_BrowserStop), tr("Stop search"));
    m_stop->setObjectName(QStringLiteral("StopSearch"));
    m_search =
        band2->addAction(ThemeIcon("edit-find", QStyle::SP_DialogApplyButton), tr("Start search"));
    m_search->setObjectName(QStringLiteral("StartSearch"));
    for (QAction* action : {m_stop, m_search}) {
        if (QWidget* button = band2->widgetForAction(action)) {
            button->setAccessibleName(action->text());
        }
    }

    m_results = new CFontRowsView(results, options, uiFont, this);
    m_results->setObjectName(QStringLiteral("SearchResults"));
    m_results->setAccessibleName(tr("Results"));
    m_results->setAcceptDrops(false);  // results are never a drop target
    setCentralWidget(m_results);
    m_status = new CFindStatusBar(this);
    setStatusBar(m_status);
}

void CFindFrame::SetBand(const QString& label, QWidget* control) {
    if (!label.isEmpty()) {
        auto* text = new QLabel(label, m_band1);
        text->setBuddy(control);
        m_band1->addWidget(text);
    }
    control->setParent(m_band1);
    m_band1->addWidget(control);
}

void CFindFrame::BringForward(QWidget* focus) {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
    if (focus != nullptr) {
        focus->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void CFindFrame::closeEvent(QCloseEvent* event) {
    emit Closing();
    QMainWindow::closeEvent(event);
}

void CFindFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_search->isEnabled()) {
            m_search->trigger();
        }
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

}  // namespace Quillmark
