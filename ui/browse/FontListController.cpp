#include "ui/browse/FontListController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>
#include <boost/bind/bind.hpp>
#include <chrono>
#include <cstring>

#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "platform/Files.h"
#include "platform/FontSystem.h"
#include "ui/browse/FontListLoadRows.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/common/ColumnFitter.h"
#include "ui/common/FolderLoadDialog.h"
#include "ui/common/FolderWatcher.h"
#include "ui/common/FontListDelegate.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {

// A message over the window that leaves the list working behind it.
void OpenMessage(QMessageBox::Icon icon, const char* name, const QString& text, QWidget* window) {
    auto* box = new QMessageBox(icon, QStringLiteral("Quillmark"), text, QMessageBox::Ok, window);
    box->setObjectName(QLatin1String(name));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Ok)->setAccessibleName(CFontListController::tr("OK"));
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

constexpr int kSharingWaitRows = 500;

QString CleanFolder(const QString& folder) {
    return QDir::cleanPath(folder);
}

}  // namespace

struct CFontListController::CJob {
    quint64 id = 0;
    std::unique_ptr<CFolderLoad> load;
    QPointer<CFolderLoadDialog> dialog;
    QString fileToSelect;
    bool folder = true;  // else a project
    std::size_t rowsRead = 0;
    std::chrono::steady_clock::time_point started;
};

CFontListController::CFontListController(CQuillmarkSignals& hub, CProgramOptions& options,
                                         CFontManager& manager, CFontProjects& projects,
                                         CQuillmarkDoc& document, QFont uiFont, QObject* parent)
    : QObject(parent),
      m_hub(hub),
      m_options(options),
      m_manager(manager),
      m_projects(projects),
      m_document(document),
      m_model(new CFontListModel(manager, this)),
      m_view(new CFontListView(*m_model, options, uiFont)),
      m_watcher(new CFolderWatcher(this)),
      m_announcedFont(hub, manager),
      m_settleTimer(new QTimer(this)) {
    m_settleTimer->setSingleShot(true);
    m_settleTimer->setInterval(kSettleMilliseconds);
    connect(m_settleTimer, &QTimer::timeout, this, &CFontListController::OnSettleTick);
    m_lister = &CFolderLoad::List;
    m_tell = [this](const QString& text) {
        OpenMessage(QMessageBox::Information, "ListMessage", text,
                    m_view ? m_view->window() : nullptr);
    };
    m_view->Columns().SetWidths(static_cast<int>(options.GetFontNameColumnWidth()),
                                static_cast<int>(options.GetFileNameColumnWidth()),
                                static_cast<int>(options.GetSizeColumnWidth()));
    m_view->SortBy(static_cast<int>(std::min<quint32>(options.GetFontListSortColumn(), 2)),
                   options.GetFontListSortDescending());
    connect(m_view, &CFontListView::SortChosen, this,
            [this](int, bool descending) { m_options.SetFontListSortDescending(descending); });
    connect(m_view, &CFontListView::FontChosen, this, &CFontListController::AnnounceSelection);
    connect(m_watcher, &CFolderWatcher::FolderChanged, this, &CFontListController::OnFolderChanged);

    hub.ConnectFolderSelected(boost::bind(&CFontListController::OnFolderSelected, this, _1, _2));
    hub.ConnectFontSelected(boost::bind(&CFontListController::OnFontSelected, this, _1));
    hub.ConnectProjectSelected(boost::bind(&CFontListController::OnProjectSelected, this, _1));
    hub.ConnectRefreshRequested(boost::bind(&CFontListController::OnRefreshRequested, this));
    hub.ConnectFontsAddedToProject(
        boost::bind(&CFontListController::OnFontsAddedToProject, this, _1));
    hub.ConnectFontListPreviewSizeChanged(
        boost::bind(&CFontListController::OnPreviewSizeChanged, this, _1));
    hub.ConnectShareFonts(boost::bind(&CFontListController::OnShareFonts, this, _1));
    hub.ConnectApplicationClosing(boost::bind(&CFontListController::OnApplicationClosing, this));
    hub.ConnectOptionsChanged(boost::bind(&CFontListController::OnOptionsChanged, this));
    hub.ConnectReleaseFont(boost::bind(&CFontListController::OnReleaseFont, this, _1));
    hub.ConnectFontRemoved(boost::bind(&CFontListController::OnFontRemoved, this, _1));
}

CFontListController::~CFontListController() {
    if (m_job) {
        m_job->load->Cancel();
        delete m_job->dialog;
    }
    if (m_sync) {
        m_sync->Cancel();
    }
    m_sync.reset();
    for (auto& dropped : m_dropped) {
        dropped.second->Cancel();
    }
    // Waits for the workers; the rows they read are given back.
    m_job.reset();
    m_dropped.clear();
    m_announcedFont.Reset();
    if (m_letGo.valid()) {
        m_letGo.wait();
    }
}

void CFontListController::ShowStatus(int pane, const QString& text) {
    if (m_status) {
        m_status(pane, text);
    }
}

CFontListView* CFontListController::View() const {
    return m_view;
}

bool CFontListController::IsWatching() const {
    return m_watcher->IsWatching();
}

// ---------------------------------------------------------------- loading

void CFontListController::LoadFolder(const QString& folder, const QString& fileToSelect) {
    m_projectShown = false;
    m_model->SetShowsLocation(false);
    if (!folder.isEmpty()) {
        m_folderPath = folder;
    }
    if (m_folderPath.isEmpty()) {
        return;
    }
    if (!folder.isEmpty()) {
        m_fontsFolderShown = SameFolder(folder, m_document.GetFontsFolder());
        m_hub.FireFontsFolderShown(m_fontsFolderShown);
    }
    m_watcher->Stop();
    m_folderChanged = false;
    m_subfoldersListed = m_options.GetIncludeSubfolders();
    m_model->SetFileNamesBelow(ListedFolderPrefix(true));
    CFolderLoad::Listing listing = ListFolder();
    QString emptyStatus;
    if (listing.error != 0) {
        // Not "no fonts": the user must know that the folder was not read.
        emptyStatus = tr("“%1” cannot be read: %2")
                          .arg(ShownPath(FilePath(m_folderPath)),
                               QString::fromLocal8Bit(std::strerror(listing.error)));
        SetEmptyText(emptyStatus, false);
    } else if (listing.paths.empty()) {
        const bool below =
            !m_subfoldersListed && CFolderLoad::HasFontsInSubfolders(FilePath(m_folderPath));
        SetEmptyText(below ? tr("This folder holds no fonts of its own, but its subfolders do.")
                           : tr("No fonts to display"),
                     below);
    } else {
        SetEmptyText({}, false);  // told when the load has ended
    }
    RunLoad(std::move(listing.paths), fileToSelect, true, emptyStatus);
    // The rows are gone, and with them the font that was selected.
    if (fileToSelect.isEmpty()) {
        m_firingSelection = true;
        m_hub.FireFontSelected(nullptr);
        m_firingSelection = false;
    }
    m_watcher->Watch(m_folderPath, m_subfoldersListed);
}

CFolderLoad::Listing CFontListController::ListFolder() const {
    return m_lister(FilePath(m_folderPath), m_subfoldersListed);
}

void CFontListController::SetEmptyText(const QString& text, bool offerSubfolders) {
    if (text == m_emptyText && offerSubfolders == m_offerSubfolders) {
        return;
    }
    m_emptyText = text;
    m_offerSubfolders = offerSubfolders;
    emit EmptyTextChanged(m_emptyText, m_offerSubfolders);
}

void CFontListController::OnIncludeSubfoldersChanged() {
    if (!m_projectShown && !m_folderPath.isEmpty()) {
        LoadFolder({});
    }
}

bool CFontListController::LoadProject(const QString& name) {
    const auto project = m_projects.FindProject(name);
    if (project == m_projects.end()) {
        return false;
    }
    m_projectShown = true;
    m_model->SetShowsLocation(true);
    m_model->SetFileNamesBelow({});
    // A project's rows are no folder's: nothing to follow.
    m_watcher->Stop();
    m_folderChanged = false;
    if (m_fontsFolderShown) {
        m_fontsFolderShown = false;
        m_hub.FireFontsFolderShown(false);
    }
    std::vector<std::string> paths;
    std::vector<std::uint32_t> faces;  // the project's own faces, not every face of the files
    for (const CProjectFont& font : *project->second) {
        paths.push_back(FilePath(font.path).native());
        faces.push_back(font.face);
    }
    SetEmptyText({}, false);  // told when the load has ended
    RunLoad(std::move(paths), {}, false, {}, std::move(faces));
    return true;
}

void CFontListController::RunLoad(std::vector<std::string> paths, const QString& fileToSelect,
                                  bool folder, const QString& emptyStatus,
                                  std::vector<std::uint32_t> faces) {
    DropLoad();
    DropSync();
    m_settling.clear();
    m_settleTimer->stop();
    m_model->Clear();
    if (paths.empty()) {
        if (!folder) {
            SetEmptyText(tr("This font project holds no fonts."), false);
        }
        ShowStatus(0, emptyStatus.isEmpty() ? QString::fromStdString(CFolderLoad::NoFontsText())
                                            : emptyStatus);
        ShowStatus(1, QString::fromStdString(CFolderLoad::DisplayedText(0)));
        if (emptyStatus.isEmpty()) {
            EndLocation(folder);  // a folder that cannot be read is not opened at the next start
        }
        emit FolderLoaded();
        return;
    }
    auto job = std::make_unique<CJob>();
    job->id = ++m_lastLoadId;
    job->fileToSelect = fileToSelect;
    job->folder = folder;
    job->started = std::chrono::steady_clock::now();
    job->load = std::make_unique<CFolderLoad>(m_manager, std::move(paths), m_manager.FontSystem());
    if (!faces.empty()) {
        job->load->SetFaces(std::move(faces));
    }
    // On a worker thread: only a call queued for the event loop.
    job->load->SetReadyHandler([this, id = job->id] {
        QMetaObject::invokeMethod(
            this, [this, id] { OnRowsReady(id); }, Qt::QueuedConnection);
    });
    if (m_loadSetup) {
        m_loadSetup(*job->load);
    }
    job->dialog = new CFolderLoadDialog(*job->load, m_view ? m_view->window() : nullptr);
    m_job = std::move(job);
    m_job->load->Start();
}

void CFontListController::DropLoad() {
    if (!m_job) {
        return;
    }
    std::unique_ptr<CJob> job = std::move(m_job);
    job->load->Cancel();
    delete job->dialog;
    // Its rows are given back when its workers have ended.
    if (!job->load->Finished()) {
        m_dropped.emplace_back(job->id, std::move(job->load));
    }
    m_announcedFont.Reset();
}

void CFontListController::OnRowsReady(quint64 id) {
    if (m_job && m_job->id == id) {
        AppendReadyRows(*m_job);
        if (m_job->load->Finished()) {
            EndLoad();
        }
        return;
    }
    for (auto it = m_dropped.begin(); it != m_dropped.end(); ++it) {
        if (it->first == id && it->second->Finished()) {
            m_dropped.erase(it);
            return;
        }
    }
}

void CFontListController::AppendReadyRows(CJob& job) {
    std::vector<CFolderLoadRow> rows = job.load->TakeReadyRows();
    if (rows.empty()) {
        return;
    }
    std::vector<CFontListModel::CNewRow> newRows = NewRows(std::move(rows));
    job.rowsRead += newRows.size();
    m_model->AppendRows(std::move(newRows));
}

void CFontListController::EndLoad() {
    // From here on no load runs: whatever the slots below set off sees a
    // whole list.
    std::unique_ptr<CJob> job = std::move(m_job);
    job->load->Wait();
    AppendReadyRows(*job);
    delete job->dialog;
    if (m_view) {
        m_model->Sort(m_view->SortColumn(), m_view->SortDescending());
        m_view->Columns().FitAfterLoad();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - job->started).count();
    ShowStatus(0, QString::fromStdString(CFolderLoad::ReadText(
                      job->rowsRead, seconds, job->load->IsCanceled(), m_model->FileCount())));
    ShowStatus(1, QString::fromStdString(CFolderLoad::DisplayedText(
                      static_cast<std::size_t>(m_model->rowCount()), m_model->FileCount())));
    EndLocation(job->folder);
    SetEmptyText(job->folder ? tr("No fonts to display") : tr("This font project holds no fonts."),
                 false);
    if (m_view && !job->fileToSelect.isEmpty()) {
        m_view->SelectFile(job->fileToSelect);
    } else if (m_view && m_announcedFont) {
        m_view->ShowFont(m_announcedFont.Get());
    }
    m_announcedFont.Reset();
    if (job->load->IsOutOfMemory()) {
        ShowOutOfMemory();
    }
    job.reset();
    if (m_folderChanged) {
        m_folderChanged = false;
        Resynchronise();
    }
    emit FolderLoaded();
}

void CFontListController::EndLocation(bool folder) {
    if (folder) {
        m_options.SetLastFolder(m_folderPath);
    }
    if (m_document.IsProjectMode()) {
        m_options.SetLastProject(m_document.GetProjectName());
    }
}

void CFontListController::ShowOutOfMemory() {
    OpenMessage(QMessageBox::Critical, "OutOfMemoryMessage",
                tr("An error occurred due to low memory.  Please close other "
                   "applications or documents and try again."),
                m_view ? m_view->window() : nullptr);
}

void CFontListController::AddFile(const QString& path) {
    // The faces of the file that the shown project holds: a collection
    // added to a project brings each of its faces.
    const QString project = m_document.GetProjectName();
    const bool known = m_projects.ProjectExists(project);
    std::vector<CFontListModel::CNewRow> rows;
    CFontHandle first = m_manager.Open(FilePath(path));
    const std::uint32_t faces = first->GetFaceCount();
    for (std::uint32_t face = 0; face < faces; ++face) {
        if (known && faces > 1 && !m_projects.HasFont(project, path, face)) {
            continue;
        }
        CFontHandle item = face == 0 ? first : m_manager.Open(FilePath(path), face);
        QString name = QString::fromStdU16String(item->GetDisplayName());
        rows.push_back({std::move(item), std::move(name)});
    }
    m_model->AppendRows(std::move(rows));
    if (m_view) {
        m_model->Sort(m_view->SortColumn(), m_view->SortDescending());
    }
}

// ---------------------------------------------------------------- selection

void CFontListController::AnnounceSelection(const CFontItem* font) {
    m_firingSelection = true;
    m_hub.FireFontSelected(font);
    m_firingSelection = false;
}

// ---------------------------------------------------------------- slots

void CFontListController::OnFolderSelected(const QString& folder, const QString* fileToSelect) {
    const QString file = fileToSelect != nullptr ? *fileToSelect : QString();
    if (CleanFolder(folder) == CleanFolder(m_folderPath) && !m_projectShown &&
        !m_folderPath.isEmpty()) {
        if (file.isEmpty()) {
            return;
        }
        if (m_job) {
            m_job->fileToSelect = file;  // the folder is being read: selected at the end
        } else if (m_view) {
            m_view->SelectFile(file);
        }
        return;
    }
    LoadFolder(folder, file);
}

void CFontListController::OnProjectSelected(const QString& name) {
    LoadProject(name);
}

void CFontListController::OnFontSelected(const CFontItem* font) {
    if (m_firingSelection) {
        return;
    }
    if (m_job) {
        // Its row may not be there yet: it is selected when the load ends.
        m_announcedFont.Hold(font);
        return;
    }
    if (m_view) {
        m_view->ShowFont(font);
    }
}

void CFontListController::OnRefreshRequested() {
    if (!m_document.IsProjectMode()) {
        LoadFolder({});
    }
}

void CFontListController::OnFontsAddedToProject(const QStringList& paths) {
    for (const QString& path : paths) {
        AddFile(path);
    }
}

void CFontListController::Restyle() {
    // The look is the delegate's: every row, listed now or later, is drawn
    // at the options' size and quality.
    if (m_view) {
        m_view->Delegate().Refresh();
        m_view->doItemsLayout();
        m_view->viewport()->update();
    }
}

void CFontListController::OnPreviewSizeChanged(unsigned short pixels) {
    m_options.SetFontListCharSize(pixels);
    Restyle();
}

void CFontListController::OnShareFonts(bool share) {
    if (m_model->rowCount() == 0) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<QDialog> wait;
    if (m_model->rowCount() > kSharingWaitRows) {
        wait = std::make_unique<QDialog>(m_view ? m_view->window() : nullptr);
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

void CFontListController::OnApplicationClosing() {
    // The program does not wait for the rest of the folder.
    if (m_job) {
        m_job->load->Cancel();
    }
    if (!m_view) {
        return;
    }
    m_options.SetFontListSortColumn(static_cast<quint32>(m_view->SortColumn()));
    m_options.SetFontNameColumnWidth(static_cast<quint32>(m_view->header()->sectionSize(0)));
    m_options.SetFileNameColumnWidth(static_cast<quint32>(m_view->header()->sectionSize(1)));
    m_options.SetSizeColumnWidth(static_cast<quint32>(m_view->header()->sectionSize(2)));
}

void CFontListController::OnOptionsChanged() {
    Restyle();
}

int CFontListController::OnReleaseFont(const CFontItem* font) {
    return m_model->RemoveItem(font);
}

void CFontListController::OnFontRemoved(const CFontItem* font) {
    if (!m_removingVanished && !m_replacing) {
        m_model->RemoveItem(font);
    }
}

}  // namespace Quillmark
