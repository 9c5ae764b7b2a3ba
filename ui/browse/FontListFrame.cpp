#include "ui/browse/FontListFrame.h"

#include <QDesktopServices>
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
    : QWidget(parent), m_list(list), m_banner(new QWidget(this)) {
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

void CFontListFrame::OpenFolder() {
    if (!m_folder.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_folder));
    }
}

}  // namespace Quillmark
