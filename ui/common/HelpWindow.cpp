#include "ui/common/HelpWindow.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/common/FencedTextDocument.h"
#include "ui/common/WindowPlacement.h"

namespace Quillmark {

namespace {

QToolButton* MakeButton(const QString& text, QStyle::StandardPixmap icon, const QString& theme,
                        QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAccessibleName(QString(text).remove('&'));
    button->setToolTip(QString(text).remove('&'));
    button->setIcon(QIcon::fromTheme(theme, parent->style()->standardIcon(icon)));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

QPointer<CHelpWindow>& TheWindow() {
    static QPointer<CHelpWindow> window;
    return window;
}

}  // namespace

CHelpWindow::CHelpWindow(CHelpPages pages, QWidget* parent)
    : QWidget(parent, Qt::Window), m_pages(std::move(pages)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Quillmark Help"));
    setAccessibleName(tr("Quillmark Help"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_back = MakeButton(tr("&Back"), QStyle::SP_ArrowBack, QStringLiteral("go-previous"), this);
    m_forward =
        MakeButton(tr("&Forward"), QStyle::SP_ArrowForward, QStringLiteral("go-next"), this);
    m_home = MakeButton(tr("&Contents"), QStyle::SP_DirHomeIcon, QStringLiteral("go-home"), this);
    m_back->setShortcut(QKeySequence::Back);
    m_forward->setShortcut(QKeySequence::Forward);

    m_contents = new QListWidget(this);
    m_contents->setObjectName(QStringLiteral("HelpContents"));
    m_contents->setAccessibleName(tr("Contents"));
    for (const CHelpTopic& topic : CHelpPages::Topics()) {
        auto* entry = new QListWidgetItem(topic.title, m_contents);
        entry->setData(Qt::UserRole, topic.fileName);
    }
    // Reads its pages and their pictures from the help folder, and nothing
    // from anywhere else.
    m_browser = new CFencedTextBrowser(m_pages.Folder(), this);
    m_browser->setObjectName(QStringLiteral("HelpPage"));
    m_browser->setAccessibleName(tr("Help page"));
    // Pages of our own open here; the web opens in the desktop's browser.
    m_browser->setOpenLinks(false);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 0);
    bar->addWidget(m_back);
    bar->addWidget(m_forward);
    bar->addWidget(m_home);
    bar->addStretch(1);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 600});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);

    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_home, &QToolButton::clicked, this, [this] { ShowContext(HelpContext::Contents); });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &CHelpWindow::OnPageChanged);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const CHelpLink target = m_pages.Follow(m_browser->source(), link);
        if (target.kind == CHelpLink::Page) {
            ShowPage(target.url);
        } else if (target.kind == CHelpLink::Outside) {
            QDesktopServices::openUrl(target.url);
        }
    });
    connect(m_contents, &QListWidget::itemActivated, this, [this](QListWidgetItem* entry) {
        ShowPage(
            QUrl::fromLocalFile(m_pages.Folder() + '/' + entry->data(Qt::UserRole).toString()));
    });
    connect(m_contents, &QListWidget::itemClicked, m_contents, &QListWidget::itemActivated);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    OpenInsideWorkArea(*this, QSize(820, 600), parent);
}

void CHelpWindow::ShowContext(int contextId) {
    ShowPage(m_pages.PageFor(contextId));
}

void CHelpWindow::ShowPage(const QUrl& page) {
    if (!m_pages.IsAvailable()) {
        m_browser->setHtml(
            tr("<h2>The help pages are not installed</h2>"
               "<p>Quillmark looks for them in share/quillmark/help beside the "
               "folder it runs from. Installing Quillmark again puts them "
               "there.</p>"));
        return;
    }
    if (page == m_browser->source() ||
        CFencedTextDocument::FileInside(m_pages.Folder(), page).isEmpty()) {
        return;  // shown already, or no page of the help
    }
    m_browser->setSource(page);
}

QUrl CHelpWindow::CurrentPage() const {
    return m_browser->source();
}

void CHelpWindow::OnPageChanged(const QUrl& page) {
    const CHelpTopic* topic = CHelpPages::TopicOf(page);
    const QString fileName = topic != nullptr ? topic->fileName : QString();
    for (int row = 0; row < m_contents->count(); ++row) {
        QListWidgetItem* entry = m_contents->item(row);
        if (entry->data(Qt::UserRole).toString() == fileName) {
            const QSignalBlocker quiet(m_contents);
            m_contents->setCurrentItem(entry);
        }
    }
    setWindowTitle(topic != nullptr ? tr("Quillmark Help - %1").arg(topic->title)
                                    : tr("Quillmark Help"));
}

CHelpWindow* ShowHelp(int contextId, QWidget* parent) {
    QPointer<CHelpWindow>& window = TheWindow();
    if (!window) {
        window = new CHelpWindow(CHelpPages::Installed(), parent ? parent->window() : nullptr);
    }
    window->ShowContext(contextId);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace Quillmark
