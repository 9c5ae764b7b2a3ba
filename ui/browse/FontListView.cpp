#include "ui/browse/FontListView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <boost/bind/bind.hpp>
#include <chrono>
#include <set>

#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"
#include "ui/browse/FolderLoadDialog.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {

constexpr int kMargin = 2;
constexpr int kIconSize = 16;
constexpr int kSharingWaitRows = 500;
constexpr int kResyncDelayMilliseconds = 200;

QString CleanFolder(const QString& folder) {
    return QDir::cleanPath(folder);
}

}  // namespace

// ---------------------------------------------------------------- delegate

CFontListDelegate::CFontListDelegate(const CProgramOptions& options, QFont uiFont, QObject* parent)
    : QStyledItemDelegate(parent), m_options(options), m_uiFont(std::move(uiFont)) {
    const QStyle* style = QApplication::style();
    m_fontIcon = QIcon::fromTheme(QStringLiteral("font-x-generic"),
                                  style->standardIcon(QStyle::SP_FileIcon));
    m_errorIcon = QIcon::fromTheme(QStringLiteral("dialog-error"),
                                   style->standardIcon(QStyle::SP_MessageBoxCritical));
    Refresh();
}

void CFontListDelegate::Refresh() {
    m_textHeight = QFontMetrics(m_uiFont).height();
    m_previewHeight = static_cast<int>(m_options.GetFontListCharSize());
    m_previewText = m_options.GetFontListText();
}

int CFontListDelegate::FirstLineHeight() const {
    return std::max(kIconSize, m_textHeight) + 4;
}

int CFontListDelegate::RowHeight() const {
    return FirstLineHeight() + m_previewHeight + 4;
}

QSize CFontListDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {1, RowHeight()};
}

void CFontListDelegate::PaintRow(QPainter* painter, const QRect& row, const QModelIndex& index,
                                 bool selected, const CColumns& columns,
                                 const QPalette& palette) const {
    const QColor background =
        selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base);
    const QColor foreground =
        selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    painter->fillRect(row, background);
    const auto* item =
        static_cast<const CFontItem*>(index.data(CFontListModel::ItemRole).value<const void*>());
    if (item == nullptr) {
        return;
    }
    const QAbstractItemModel* model = index.model();
    const Varnholt::FontStatus status = item->GetStatus();
    int left = row.left();

    // Search by character: the character in a framed cell at the left.
    if (m_searchCharacter != 0 && status == CFontItem::Loaded) {
        const int side = row.height() - 4;
        const QRect cell(left + kMargin, row.top() + kMargin, side, side);
        painter->fillRect(cell, palette.color(QPalette::Window));
        painter->setPen(Qt::black);
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
        Platform::CTextLook look;
        look.cellHeight = side;
        look.quality = static_cast<int>(m_options.GetCharDetailRenderingOption());
        look.symbolFont = item->GetData() != nullptr && item->GetData()->IsSymbolFont();
        const QString path = PathText(item->GetPath());
        const QString text{QChar(m_searchCharacter)};
        auto& fonts = Platform::CExactFontCache::Instance();
        const qreal width = fonts.Shape(path, look, text).width;
        fonts.DrawLine(*painter,
                       QRectF(cell.left() + (side - width) / 2, cell.top(), width + 1, side), path,
                       look, text, palette.color(QPalette::WindowText));
        left += side + kMargin;
    }

    const int iconOffset = m_textHeight > kIconSize ? (m_textHeight - kIconSize) / 2 : 0;
    const int textOffset = m_textHeight <= kIconSize ? (kIconSize - m_textHeight) / 2 : 0;
    const QIcon& icon = status == CFontItem::Loaded ? m_fontIcon : m_errorIcon;
    const int iconWidth = std::min(kIconSize, columns.width[0] - kMargin);
    if (iconWidth > 0) {
        icon.paint(painter,
                   QRect(left + kMargin, row.top() + kMargin + iconOffset, iconWidth, kIconSize));
    }

    painter->setFont(m_uiFont);
    painter->setPen(foreground);
    const QFontMetrics metrics(m_uiFont);
    const int textTop = row.top() + kMargin + textOffset;
    for (int column = 0; column < CFontListModel::ColumnCount; ++column) {
        if (columns.width[column] <= 0) {
            continue;
        }
        int from = columns.left[column];
        // A little room before the next column's text.
        const int to = columns.left[column] + columns.width[column] - 6;
        if (column == 0) {
            from = left + kMargin + kIconSize + kMargin;
        }
        if (to - from <= 0) {
            continue;
        }
        const QString text = model->index(index.row(), column).data(Qt::DisplayRole).toString();
        painter->drawText(QRect(from, textTop, to - from, m_textHeight),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          metrics.elidedText(text, Qt::ElideRight, to - from));
    }

    if (status == CFontItem::Loaded) {
        const int top = row.top() + FirstLineHeight() + kMargin;
        DrawPreviewLine(
            *painter, QRectF(left + kMargin, top, row.right() - left - kMargin, row.bottom() - top),
            *item, m_previewText, foreground);
    }
    painter->setPen(QColor(0x80, 0x80, 0x80));
    painter->drawLine(row.left(), row.bottom(), row.right(), row.bottom());
}

// ---------------------------------------------------------------- view

CFontListView::CFontListView(CQuillmarkSignals& hub, CProgramOptions& options,
                             CFontManager& manager, CFontProjects& projects,
                             CQuillmarkDoc* document, QFont uiFont, CFontListModel::Mode mode,
                             QWidget* parent)
    : QTreeView(parent),
      m_hub(hub),
      m_options(options),
      m_manager(manager),
      m_projects(projects),
      m_document(document),
      m_model(new CFontListModel(manager, this)),
      m_delegate(new CFontListDelegate(options, uiFont, this)) {
    setObjectName(QStringLiteral("FontList"));
    m_model->SetMode(mode);
    setModel(m_model);
    setItemDelegate(m_delegate);
    setFont(uiFont);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView* bar = header();
    bar->setStretchLastSection(false);
    bar->setSectionsMovable(false);
    bar->setSectionsClickable(true);
    bar->setSortIndicatorShown(true);
    bar->setSectionResizeMode(QHeaderView::Interactive);
    bar->setMinimumSectionSize(0);
    const QFontMetrics metrics(uiFont);
    for (int column = 0; column < CFontListModel::ColumnCount; ++column) {
        m_minimumWidths[column] =
            metrics.horizontalAdvance(
                m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
            48;
    }
    bar->resizeSection(0, static_cast<int>(options.GetFontNameColumnWidth()));
    bar->resizeSection(1, static_cast<int>(options.GetFileNameColumnWidth()));
    bar->resizeSection(2, static_cast<int>(options.GetSizeColumnWidth()));
    if (mode == CFontListModel::SimilarResults) {
        bar->hideSection(2);
    }
    connect(bar, &QHeaderView::sectionClicked, this, &CFontListView::OnHeaderClicked);
    connect(bar, &QHeaderView::sectionResized, this, &CFontListView::OnSectionResized);
    connect(bar, &QHeaderView::sectionHandleDoubleClicked, this,
            &CFontListView::OnHandleDoubleClicked);

    switch (mode) {
        case CFontListModel::MainList:
            m_sortColumn = static_cast<int>(std::min<quint32>(options.GetFontListSortColumn(), 2));
            m_sortDescending = options.GetFontListSortDescending();
            break;
        case CFontListModel::SimilarResults:
            m_sortColumn = 1;
            m_sortDescending = true;
            break;
        default:
            m_sortColumn = 0;
            m_sortDescending = false;
    }
    bar->setSortIndicator(m_sortColumn,
                          m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);

    if (mode == CFontListModel::MainList) {
        hub.ConnectFolderSelected(boost::bind(&CFontListView::OnFolderSelected, this, _1, _2));
        hub.ConnectFontSelected(boost::bind(&CFontListView::OnFontSelected, this, _1));
        hub.ConnectProjectSelected(boost::bind(&CFontListView::OnProjectSelected, this, _1));
        hub.ConnectRefreshRequested(boost::bind(&CFontListView::OnRefreshRequested, this));
        hub.ConnectFontsAddedToProject(
            boost::bind(&CFontListView::OnFontsAddedToProject, this, _1));
    }
    hub.ConnectFontListPreviewSizeChanged(
        boost::bind(&CFontListView::OnPreviewSizeChanged, this, _1));
    hub.ConnectShareFonts(boost::bind(&CFontListView::OnShareFonts, this, _1));
    hub.ConnectApplicationClosing(boost::bind(&CFontListView::OnApplicationClosing, this));
    hub.ConnectOptionsChanged(boost::bind(&CFontListView::OnOptionsChanged, this));
    hub.ConnectReleaseFont(boost::bind(&CFontListView::OnReleaseFont, this, _1));
    hub.ConnectFontRemoved(boost::bind(&CFontListView::OnFontRemoved, this, _1));

    m_resyncTimer.setSingleShot(true);
    m_resyncTimer.setInterval(kResyncDelayMilliseconds);
    connect(&m_resyncTimer, &QTimer::timeout, this, &CFontListView::Resynchronise);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            [this] { m_resyncTimer.start(); });
}

CFontListView::~CFontListView() {
    StopWatching();
}

void CFontListView::ShowStatus(int pane, const QString& text) {
    if (m_status) {
        m_status(pane, text);
    }
}

void CFontListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    CFontListDelegate::CColumns columns{};
    const QHeaderView* bar = header();
    for (int column = 0; column < CFontListModel::ColumnCount; ++column) {
        columns.left[column] = bar->sectionViewportPosition(column);
        columns.width[column] = bar->isSectionHidden(column) ? 0 : bar->sectionSize(column);
    }
    const QRect row(0, option.rect.top(), viewport()->width(), option.rect.height());
    const bool selected =
        selectionModel() != nullptr && selectionModel()->isRowSelected(index.row(), index.parent());
    m_delegate->PaintRow(painter, row, index, selected, columns, palette());
}

// ---------------------------------------------------------------- loading

void CFontListView::LoadFolder(const QString& folder, const QString& fileToSelect) {
    m_projectShown = false;
    m_model->SetShowsLocation(false);
    if (!folder.isEmpty()) {
        m_folderPath = folder;
    }
    if (m_folderPath.isEmpty()) {
        return;
    }
    if (!folder.isEmpty() && m_document != nullptr) {
        m_fontsFolderShown = CleanFolder(folder) == CleanFolder(m_document->GetFontsFolder());
        m_hub.FireFontsFolderShown(m_fontsFolderShown);
    }
    StopWatching();
    RunLoad(CFolderLoad::Enumerate(FilePath(m_folderPath)), fileToSelect);
    m_options.SetLastFolder(m_folderPath);
    if (fileToSelect.isEmpty() && m_model->GetMode() == CFontListModel::MainList) {
        m_firingSelection = true;
        m_hub.FireFontSelected(nullptr);
        m_firingSelection = false;
    }
    StartWatching();
}

bool CFontListView::LoadProject(const QString& name) {
    const auto project = m_projects.FindProject(name);
    if (project == m_projects.end()) {
        return false;
    }
    m_projectShown = true;
    m_model->SetShowsLocation(true);
    // A project's rows are no folder's: nothing to follow.
    StopWatching();
    if (m_fontsFolderShown) {
        m_fontsFolderShown = false;
        m_hub.FireFontsFolderShown(false);
    }
    std::vector<std::filesystem::path> paths;
    for (const QString& path : *project->second) {
        paths.push_back(FilePath(path));
    }
    RunLoad(std::move(paths), {});
    return true;
}

void CFontListView::RunLoad(std::vector<std::filesystem::path> paths, const QString& fileToSelect) {
    const auto started = std::chrono::steady_clock::now();
    m_model->Clear();
    if (paths.empty()) {
        ShowStatus(0, QString::fromStdString(CFolderLoad::NoFontsText()));
        ShowStatus(1, QString::fromStdString(CFolderLoad::DisplayedText(0)));
        emit FolderLoaded();
        return;
    }
    CFolderLoad load(m_manager, std::move(paths), m_manager.FontSystem());
    CFolderLoadDialog dialog(load, window());
    dialog.Run();
    std::vector<CFolderLoadRow> rows = load.TakeRows();
    std::vector<CFontListModel::CNewRow> newRows;
    newRows.reserve(rows.size());
    for (auto& row : rows) {
        newRows.push_back({row.item, QString::fromStdU16String(row.displayName)});
    }
    const std::size_t count = newRows.size();
    m_model->AppendRows(std::move(newRows));
    m_model->Sort(m_sortColumn, m_sortDescending);
    FitColumns();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ShowStatus(0, QString::fromStdString(CFolderLoad::ReadText(count, seconds, load.IsCanceled())));
    ShowStatus(1, QString::fromStdString(CFolderLoad::DisplayedText(count)));
    if (m_document != nullptr && m_document->IsProjectMode()) {
        m_options.SetLastProject(m_document->GetProjectName());
    }
    if (!fileToSelect.isEmpty()) {
        SelectFile(fileToSelect);
    }
    emit FolderLoaded();
}

void CFontListView::AddFont(CFontItem* item) {
    if (item == nullptr) {
        return;
    }
    m_model->AppendRows({{item, QString::fromStdU16String(item->GetDisplayName())}});
    m_model->Sort(m_sortColumn, m_sortDescending);
}

void CFontListView::AddSimilarityResult(CFontItem* item) {
    AddFont(item);
}

void CFontListView::AddFile(const QString& path) {
    AddFont(m_manager.Acquire(FilePath(path)));
}

void CFontListView::SelectFile(const QString& fileName) {
    const int row = m_model->RowOfFileName(fileName);
    QItemSelectionModel* selection = selectionModel();
    for (const QModelIndex& index : selection->selectedRows()) {
        if (index.row() != row) {
            selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        }
    }
    if (row < 0) {
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    if (!selection->isRowSelected(row, {})) {
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    scrollTo(index);
}

// ---------------------------------------------------------------- the folder watcher

void CFontListView::StartWatching() {
    StopWatching();
    if (m_model->GetMode() == CFontListModel::MainList && !m_folderPath.isEmpty() &&
        QFileInfo(m_folderPath).isDir()) {
        m_watcher.addPath(m_folderPath);
    }
}

void CFontListView::StopWatching() {
    m_resyncTimer.stop();
    if (!m_watcher.directories().isEmpty()) {
        m_watcher.removePaths(m_watcher.directories());
    }
}

void CFontListView::Resynchronise() {
    if (m_projectShown || m_folderPath.isEmpty()) {
        return;
    }
    std::set<QString> listed;
    for (const QString& path : m_model->Paths()) {
        listed.insert(path);
    }
    std::set<QString> present;
    for (const auto& path : CFolderLoad::Enumerate(FilePath(m_folderPath))) {
        present.insert(PathText(path));
    }
    for (const QString& path : listed) {
        if (present.count(path) == 0) {
            m_manager.RemoveFile(FilePath(path));
        }
    }
    for (const QString& path : present) {
        if (listed.count(path) == 0) {
            AddFile(path);
        }
    }
    ShowStatus(1, QString::fromStdString(
                      CFolderLoad::DisplayedText(static_cast<std::size_t>(m_model->rowCount()))));
    // The watcher goes on watching: a second change is noticed as well.
    if (m_watcher.directories().isEmpty()) {
        StartWatching();
    }
}

// ---------------------------------------------------------------- columns and sorting

void CFontListView::SortBy(int column, bool descending) {
    m_sortColumn = column;
    m_sortDescending = descending;
    header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    m_model->Sort(column, descending);
}

void CFontListView::OnHeaderClicked(int section) {
    bool descending = false;
    if (section == m_sortColumn) {
        descending = !m_sortDescending;
    } else if (section == 1 && m_model->GetMode() == CFontListModel::SimilarResults) {
        descending = true;
    }
    if (m_model->GetMode() == CFontListModel::MainList) {
        m_options.SetFontListSortDescending(descending);
    }
    SortBy(section, descending);
}

// The columns fill the width: the column right of the one the user changed
// gives way (down to its minimum, which then holds the changed column
// back); any other change of width goes to the name column.
void CFontListView::FillWidth(int changedSection) {
    QHeaderView* bar = header();
    const int width = viewport()->width();
    const bool sizeShown = !bar->isSectionHidden(2);
    int sizes[3] = {bar->sectionSize(0), bar->sectionSize(1), sizeShown ? bar->sectionSize(2) : 0};
    const int last = sizeShown ? 2 : 1;
    if (changedSection == 0 || (changedSection == 1 && sizeShown)) {
        const int giving = changedSection + 1;
        const int others = width - sizes[0] - sizes[1] - sizes[2] + sizes[giving];
        sizes[giving] = std::max(m_minimumWidths[giving], others);
        sizes[changedSection] =
            std::max(0, width - (sizes[0] + sizes[1] + sizes[2] - sizes[changedSection]));
    } else {
        sizes[0] = std::max(m_minimumWidths[0], width - sizes[1] - sizes[2]);
    }
    m_resizingColumns = true;
    for (int column = 0; column <= last; ++column) {
        bar->resizeSection(column, sizes[column]);
    }
    m_resizingColumns = false;
}

void CFontListView::FitColumns() {
    if (verticalScrollBar()->isVisible() && verticalScrollBar()->maximum() > 0) {
        return;
    }
    FillWidth(-1);
}

void CFontListView::OnSectionResized(int section, int, int) {
    if (m_resizingColumns) {
        return;
    }
    FillWidth(section);
}

void CFontListView::OnHandleDoubleClicked(int section) {
    if (section > 1) {
        return;
    }
    QHeaderView* bar = header();
    m_resizingColumns = true;
    bar->resizeSection(section, bar->sectionSize(section) + bar->sectionSize(section + 1));
    bar->resizeSection(section + 1, 0);
    m_resizingColumns = false;
}

void CFontListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    FillWidth(-1);
}

// ---------------------------------------------------------------- selection

void CFontListView::selectionChanged(const QItemSelection& selected,
                                     const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    if (m_model->GetMode() != CFontListModel::MainList || !m_selectionFiringEnabled ||
        selected.isEmpty()) {
        return;
    }
    const CFontItem* item = m_model->ItemAt(selected.indexes().first().row());
    m_firingSelection = true;
    m_hub.FireFontSelected(item != nullptr && item->GetStatus() == CFontItem::Loaded ? item
                                                                                     : nullptr);
    m_firingSelection = false;
}

// ---------------------------------------------------------------- slots

void CFontListView::OnFolderSelected(const QString& folder, const QString* fileToSelect) {
    const QString file = fileToSelect != nullptr ? *fileToSelect : QString();
    if (CleanFolder(folder) == CleanFolder(m_folderPath) && !m_projectShown &&
        !m_folderPath.isEmpty()) {
        if (!file.isEmpty()) {
            SelectFile(file);
        }
        return;
    }
    LoadFolder(folder, file);
}

void CFontListView::OnProjectSelected(const QString& name) {
    LoadProject(name);
}

void CFontListView::OnFontSelected(const CFontItem* font) {
    if (m_firingSelection) {
        return;
    }
    const int row = m_model->RowOf(font);
    if (row < 0) {
        return;
    }
    m_selectionFiringEnabled = false;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    m_selectionFiringEnabled = true;
}

void CFontListView::OnRefreshRequested() {
    if (m_document == nullptr || !m_document->IsProjectMode()) {
        LoadFolder({});
    }
}

void CFontListView::OnFontsAddedToProject(const QStringList& paths) {
    for (const QString& path : paths) {
        AddFile(path);
    }
}

void CFontListView::OnPreviewSizeChanged(unsigned short pixels) {
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (auto* item = const_cast<CFontItem*>(m_model->ItemAt(row))) {
            item->SetPreviewHeight(pixels);
        }
    }
    m_options.SetFontListCharSize(pixels);
    m_delegate->Refresh();
    doItemsLayout();
    viewport()->update();
}

void CFontListView::OnShareFonts(bool share) {
    if (m_model->rowCount() == 0) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<QDialog> wait;
    if (m_model->rowCount() > kSharingWaitRows) {
        wait = std::make_unique<QDialog>(window());
        wait->setWindowTitle(tr("Updating..."));
        auto* layout = new QVBoxLayout(wait.get());
        layout->addWidget(new QLabel(
            share ? tr("Sharing fonts with all other applications...") : tr("Un-sharing fonts..."),
            wait.get()));
        wait->show();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    m_manager.ShareAll(share);
    wait.reset();
    QApplication::restoreOverrideCursor();
}

void CFontListView::OnApplicationClosing() {
    if (m_model->GetMode() != CFontListModel::MainList) {
        return;
    }
    m_options.SetFontListSortColumn(static_cast<quint32>(m_sortColumn));
    m_options.SetFontNameColumnWidth(static_cast<quint32>(header()->sectionSize(0)));
    m_options.SetFileNameColumnWidth(static_cast<quint32>(header()->sectionSize(1)));
    m_options.SetSizeColumnWidth(static_cast<quint32>(header()->sectionSize(2)));
}

void CFontListView::OnOptionsChanged() {
    const int quality = static_cast<int>(m_options.GetFontListRenderingOption());
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (auto* item = const_cast<CFontItem*>(m_model->ItemAt(row))) {
            item->SetPreviewQuality(quality);
        }
    }
    m_delegate->Refresh();
    viewport()->update();
}

int CFontListView::OnReleaseFont(const CFontItem* font) {
    return m_model->RemoveItem(font, true);
}

void CFontListView::OnFontRemoved(const CFontItem* font) {
    m_model->RemoveItem(font, false);
}

}  // namespace Quillmark
