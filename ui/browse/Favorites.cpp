#include "ui/browse/Favorites.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "collections/FavoriteFolders.h"
#include "collections/LocationList.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "ui/common/SelectFavoriteFoldersDialog.h"

namespace Quillmark {

namespace {

// A menu text shows '&' as it is, not as a mnemonic.
QString MenuText(const QString& text) {
    return QString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void NameButton(QAbstractButton* button) {
    button->setAccessibleName(button->text().remove(QLatin1Char('&')));
}

}  // namespace

CBalloon::CBalloon(QWidget* parent)
    : QFrame(parent, Qt::ToolTip | Qt::FramelessWindowHint),
      m_icon(new QLabel(this)),
      m_title(new QLabel(this)),
      m_text(new QLabel(this)) {
    setObjectName(QStringLiteral("Balloon"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    for (QLabel* label : {m_title, m_text}) {
        label->setTextFormat(Qt::PlainText);
        label->setForegroundRole(QPalette::ToolTipText);
    }
    m_text->setWordWrap(true);
    m_text->setMaximumWidth(420);
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_icon, 0, 0, Qt::AlignTop);
    layout->addWidget(m_title, 0, 1);
    layout->addWidget(m_text, 1, 1);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kShownMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
}

void CBalloon::ShowAt(const QPoint& at, const QIcon& icon, const QString& title,
                      const QString& text) {
    m_icon->setPixmap(icon.pixmap(32, 32));
    m_title->setText(title);
    m_text->setText(text);
    setAccessibleName(title);
    setAccessibleDescription(text);
    adjustSize();
    move(at);
    show();
    raise();
    m_timer.start();
}

QString CBalloon::Title() const {
    return m_title->text();
}

QString CBalloon::Text() const {
    return m_text->text();
}

CFavoritesDialog::CFavoritesDialog(CFavoriteFolders& favorites, QString currentFolder,
                                   QWidget* parent)
    : QDialog(parent),
      m_favorites(favorites),
      m_currentFolder(std::move(currentFolder)),
      m_list(new QTreeWidget(this)),
      m_remove(new QPushButton(tr("Remove"), this)) {
    setObjectName(QStringLiteral("FavoritesDialog"));
    setWindowTitle(tr("Manage Favorites"));
    m_list->setObjectName(QStringLiteral("FolderList"));
    m_list->setAccessibleName(tr("Folder"));
    m_list->setHeaderLabels({tr("Folder")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    FillFavoriteFolderList(*m_list, favorites);

    auto* addCurrent = new QPushButton(tr("Add Current Folder"), this);
    auto* addOther = new QPushButton(tr("Add Other Folder..."), this);
    addCurrent->setEnabled(!m_currentFolder.isEmpty() &&
                           !CLocationList::IsVirtual(m_currentFolder));
    m_remove->setEnabled(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    for (QAbstractButton* button : buttons->buttons()) {
        NameButton(button);
    }
    for (QPushButton* button : {addCurrent, addOther, m_remove}) {
        NameButton(button);
        button->setAutoDefault(false);
    }
    connect(addCurrent, &QPushButton::clicked, this, &CFavoritesDialog::AddCurrentFolder);
    connect(addOther, &QPushButton::clicked, this, &CFavoritesDialog::AddOtherFolder);
    connect(m_remove, &QPushButton::clicked, this, &CFavoritesDialog::RemoveSelected);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_remove->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(addCurrent);
    side->addWidget(addOther);
    side->addWidget(m_remove);
    side->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);
    resize(560, 340);

    m_choose = [this] {
        return QFileDialog::getExistingDirectory(this,
                                                 tr("Choose folder to add to favorites list..."));
    };
}

void CFavoritesDialog::Add(const QString& path) {
    if (path.isEmpty() || m_favorites.Contains(path)) {
        return;
    }
    m_favorites.Add(path);
    if (QFileInfo(path).isDir()) {
        AddFavoriteFolderRow(*m_list, path);
    }
}

void CFavoritesDialog::AddCurrentFolder() {
    if (!CLocationList::IsVirtual(m_currentFolder)) {
        Add(m_currentFolder);
    }
}

void CFavoritesDialog::AddOtherFolder() {
    Add(m_choose());
}

void CFavoritesDialog::RemoveSelected() {
    while (!m_list->selectedItems().isEmpty()) {
        QTreeWidgetItem* row = m_list->selectedItems().first();
        m_favorites.Remove(row->data(0, Qt::UserRole).toString());
        delete row;
    }
}

CFavorites::CFavorites(CQuillmarkSignals& hub, CFavoriteFolders& favorites, CQuillmarkDoc& document,
                       QWidget* window)
    : QObject(window),
      m_hub(hub),
      m_favorites(favorites),
      m_document(document),
      m_window(window),
      m_menu(new QMenu(tr("F&avorites"), window)),
      m_addCurrent(new QAction(tr("&Add current folder to favorites"), this)),
      m_manage(new QAction(tr("&Manage Favorites..."), this)),
      m_balloon(new CBalloon(window)) {
    m_menu->setObjectName(QStringLiteral("FavoritesMenu"));
    m_addCurrent->setObjectName(QStringLiteral("AddCurrentFolderToFavorites"));
    m_manage->setObjectName(QStringLiteral("ManageFavorites"));
    connect(m_menu, &QMenu::aboutToShow, this, &CFavorites::FillMenu);
    connect(m_addCurrent, &QAction::triggered, this, &CFavorites::AddCurrentFolder);
    connect(m_manage, &QAction::triggered, this, &CFavorites::ManageFavorites);
    m_run = [](CFavoritesDialog& dialog) { dialog.exec(); };
    FillMenu();
}

bool CFavorites::CanAddCurrentFolder() const {
    const QString folder = m_document.GetFolderPath();
    return !m_document.IsProjectMode() && !folder.isEmpty() && !CLocationList::IsVirtual(folder);
}

void CFavorites::FillMenu() {
    m_menu->clear();
    const QFontMetrics metrics(m_menu->font());
    const QString current = m_document.GetFolderPath();
    int shown = 0;
    bool checked = false;
    m_favorites.ForEach([&](const QString& path) {
        if (shown >= kMaxMenuItems || !QFileInfo(path).exists()) {
            return;
        }
        QAction* item =
            m_menu->addAction(MenuText(metrics.elidedText(path, Qt::ElideMiddle, kMenuTextWidth)));
        item->setData(path);
        item->setToolTip(path);
        if (!checked && path == current) {
            item->setCheckable(true);
            item->setChecked(true);
            checked = true;
        }
        connect(item, &QAction::triggered, this,
                [this, path] { m_hub.FireFolderSelected(path, nullptr); });
        ++shown;
    });
    if (shown > 0) {
        m_menu->addSeparator();
    }
    m_addCurrent->setEnabled(CanAddCurrentFolder());
    m_menu->addAction(m_addCurrent);
    m_menu->addAction(m_manage);
}

void CFavorites::AddCurrentFolder() {
    if (!CanAddCurrentFolder()) {
        return;
    }
    const QString folder = m_document.GetFolderPath();
    QPoint at;
    if (m_anchor) {
        at = m_anchor->mapToGlobal(QPoint(24, m_anchor->height() - 8));
    } else {
        at = m_window->mapToGlobal(QPoint(24, 24));
    }
    if (!m_favorites.Contains(folder)) {
        m_favorites.Add(folder);
        m_balloon->ShowAt(at, m_window->style()->standardIcon(QStyle::SP_MessageBoxInformation),
                          tr("Favorite Folder Added"),
                          tr("%1 has been added to your favorite folders.").arg(folder));
    } else {
        m_balloon->ShowAt(at, m_window->style()->standardIcon(QStyle::SP_MessageBoxWarning),
                          tr("Folder Not Added"),
                          tr("This folder is already one of your favorites."));
    }
}

void CFavorites::ManageFavorites() {
    CFavoritesDialog dialog(m_favorites, m_document.GetFolderPath(), m_window);
    m_run(dialog);
}

}  // namespace Quillmark
