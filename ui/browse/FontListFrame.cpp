#include "ui/browse/FontListFrame.h"

#include <QAbstractItemModel>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <boost/bind/bind.hpp>

#include "core/QuillmarkSignals.h"
#include "ui/browse/FontListView.h"

namespace Quillmark {

using namespace boost::placeholders;

CFontListFrame::CFontListFrame(CQuillmarkSignals& hub, CFontListView* list, QWidget* parent)
    : QWidget(parent),
      m_list(list),
      m_banner(new QWidget(this)),
      m_emptyNotice(new QWidget(list->viewport())),
      m_emptyLabel(new QLabel(m_emptyNotice)),
      m_includeSubfolders(new QPushButton(tr("Include Subfolders"), m_emptyNotice)) {
    setObjectName(QStringLiteral("FontListFrame"));
    m_banner->setObjectName(QStringLiteral("FontsFolderBanner"));
    m_banner->setAutoFillBackground(true);
    auto* bannerLayout = new QHBoxLayout(m_banner);
    bannerLayout->setContentsMargins(8, 4, 8, 4);
    auto* icon = new QLabel(m_banner);
    icon->setPixmap(
        QIcon::fromTheme(QStringLiteral("folder-fonts"), style()->standardIcon(QStyle::SP_DirIcon))
            .pixmap(32, 32));
    auto* title = new QLabel(tr("Fonts Folder"), m_banner);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(24);
    title->setFont(titleFont);
    auto* open = new QPushButton(tr("Open in File Manager"), m_banner);
    connect(open, &QPushButton::clicked, this, &CFontListFrame::OpenFolder);
    bannerLayout->addWidget(icon);
    bannerLayout->addWidget(title);
    bannerLayout->addStretch(1);
    bannerLayout->addWidget(open);
    m_banner->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_banner);
    m_list->setParent(this);
    layout->addWidget(m_list, 1);

    // The empty list's notice lies over the list's middle; the list keeps
    // its own painting and keys.
    m_emptyNotice->setObjectName(QStringLiteral("EmptyListNotice"));
    m_emptyLabel->setObjectName(QStringLiteral("EmptyListText"));
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    m_emptyLabel->setWordWrap(true);
    m_emptyLabel->setForegroundRole(QPalette::PlaceholderText);
    m_includeSubfolders->setObjectName(QStringLiteral("IncludeSubfoldersButton"));
    m_includeSubfolders->setAccessibleName(tr("Include Subfolders"));
    m_includeSubfolders->setToolTip(tr("List the fonts of every folder below this one too"));
    connect(m_includeSubfolders, &QPushButton::clicked, this,
            &CFontListFrame::IncludeSubfoldersRequested);
    auto* noticeLayout = new QVBoxLayout(m_emptyNotice);
    noticeLayout->addStretch(1);
    noticeLayout->addWidget(m_emptyLabel);
    noticeLayout->addWidget(m_includeSubfolders, 0, Qt::AlignHCenter);
    noticeLayout->addStretch(1);
    m_includeSubfolders->hide();
    m_emptyNotice->hide();
    m_list->viewport()->installEventFilter(this);
    if (QAbstractItemModel* model = m_list->model()) {
        for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
            connect(model, changed, this, &CFontListFrame::UpdateEmptyNotice);
        }
        connect(model, &QAbstractItemModel::modelReset, this, &CFontListFrame::UpdateEmptyNotice);
    }

    hub.ConnectFolderSelected(boost::bind(&CFontListFrame::OnFolderSelected, this, _1));
    hub.ConnectFontsFolderShown(boost::bind(&CFontListFrame::OnFontsFolderShown, this, _1));
}

void CFontListFrame::OnFolderSelected(const QString& folder) {
    m_folder = folder;
}

void CFontListFrame::OnFontsFolderShown(bool shown) {
    if (shown != m_banner->isVisibleTo(this)) {
        m_banner->setVisible(shown);
    }
}

bool CFontListFrame::IsBannerShown() const {
    return m_banner->isVisibleTo(this);
}

void CFontListFrame::SetEmptyText(const QString& text, bool offerSubfolders) {
    m_emptyLabel->setText(text);
    m_includeSubfolders->setVisible(offerSubfolders);
    UpdateEmptyNotice();
}

QWidget* CFontListFrame::EmptyNotice() const {
    return m_emptyNotice->isVisibleTo(m_list) ? m_emptyNotice : nullptr;
}

void CFontListFrame::UpdateEmptyNotice() {
    const bool empty = m_list->model() == nullptr || m_list->model()->rowCount() == 0;
    const bool shown = empty && !m_emptyLabel->text().isEmpty();
    m_emptyNotice->setGeometry(m_list->viewport()->rect());
    if (shown != m_emptyNotice->isVisibleTo(m_list)) {
        m_emptyNotice->setVisible(shown);
    }
}

bool CFontListFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() && event->type() == QEvent::Resize) {
        m_emptyNotice->setGeometry(m_list->viewport()->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void CFontListFrame::OpenFolder() {
    if (!m_folder.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_folder));
    }
}

}  // namespace Quillmark
