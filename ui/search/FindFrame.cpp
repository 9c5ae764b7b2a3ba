#include "ui/search/FindFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>


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

// ---- Status bar ------------------------------------------------------------

CFindStatusBar::CFindStatusBar(QWidget* parent)
    : QStatusBar(parent),
      m_icon(new QLabel(this)),
      m_text(new QLabel(tr("Ready to search"), this)),
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
    m_text->setText(tr("Searching %1...").arg(folder));
    if (!IsAnimating()) {
        SetState(State::Searching, true);
    }
}

void CFindStatusBar::ShowCanceled(int found) {
    m_text->setText(tr("Search was canceled.  Files Found: %1").arg(found));
    SetState(State::Canceled, false);
}

void CFindStatusBar::ShowComplete(int found) {
    m_text->setText(tr("Search complete.  Files Found: %1").arg(found));
    SetState(State::Idle, false);
}

void CFindStatusBar::ShowFailed(const QString& failure, int found) {
    m_text->setText(tr("Could not search %1.  Files Found: %2").arg(failure).arg(found));
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
    m_lookIn->setSizeAdjustPolicy(QComboBox::AdjustToContents);
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
    QMainWindow::keyPressEvent(event);
}

}  // namespace Quillmark
