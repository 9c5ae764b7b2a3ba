#pragma once

// The main font list: the fonts of the current folder or font project. It
// wires the list's model and view to the hub, loads a folder or project as
// a job on the event loop while worker threads read the files, tells the
// status bar, and follows the folder shown when its files change.
//
// A load never blocks the event loop: the workers hand their rows over in
// batches through queued calls, and the progress dialog is modal for the
// main window only. Choosing another location while a load runs drops that
// load and starts the new one. Whatever else arrives during a load waits
// for its end where it concerns the rows (a font announced, a change of the
// folder).

#include <QFont>
#include <QObject>
#include <QPointer>
#include <boost/signals2/trackable.hpp>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "platform/FileStamp.h"
#include "ui/common/HeldFont.h"

class QTimer;

namespace Quillmark {

class CFolderLoad;
class CFolderWatcher;
class CFontItem;
class CFontListModel;
class CFontListView;
class CFontManager;
class CFontProjects;
class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

class CFontListController : public QObject, public boost::signals2::trackable {
    Q_OBJECT

public:
    CFontListController(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                        CFontProjects& projects, CQuillmarkDoc& document, QFont uiFont,
                        QObject* parent = nullptr);
    // Stops a running load, waiting for its workers to finish the files
    // they read.
    ~CFontListController() override;

    // The view, made here; whoever places it in a window owns it.
    CFontListView* View() const;
    CFontListModel& Model() const { return *m_model; }

    void SetStatusSink(std::function<void(int pane, const QString& text)> sink) {
        m_status = std::move(sink);
    }

    // Starts loading a folder (empty: the current one again); `fileToSelect`
    // is selected when the load ends.
    void LoadFolder(const QString& folder, const QString& fileToSelect = {});
    // Starts loading a project; false when there is no such project.
    bool LoadProject(const QString& name);
    // Acquires the file and adds its row.
    void AddFile(const QString& path);
    bool IsLoading() const { return m_job != nullptr; }

    bool IsWatching() const;
    // The rows' file list again against the folder (the watcher does this):
    // the rows of files that went are removed in one pass, and the files
    // that came or changed (a new stamp: written over, or another file
    // renamed over it) are read on worker threads once they are whole,
    // then listed together and sorted once. Changes noticed while they are
    // read are taken up after.
    void Resynchronise();
    // Whether files that came or changed are waited for or being read.
    bool IsSynchronising() const { return m_sync != nullptr || !m_settling.empty(); }
    // A file is taken as whole, and read, once two looks at it this far
    // apart find the same size and modification time: a file still being
    // written (copied in, saved over) is not read half-way.
    static constexpr int kSettleMilliseconds = 300;

    // Called with every load before it starts: tests pace or fail its
    // workers through it.
    void SetLoadSetup(std::function<void(CFolderLoad&)> setup) { m_loadSetup = std::move(setup); }
    // How a folder is listed (folder, with subfolders); tests make a
    // listing fail through it.
    using Lister = std::function<CFolderLoad::Listing(const std::filesystem::path&, bool)>;
    void SetLister(Lister lister) { m_lister = std::move(lister); }
    // Tells the user something that went wrong (the folder shown was
    // removed); a message box unless replaced.
    void SetMessageSink(std::function<void(const QString&)> sink) { m_tell = std::move(sink); }

    // The option IncludeSubfolders changed: the folder shown is read again.
    void OnIncludeSubfoldersChanged();
    // What the empty list says, and whether it offers to include the
    // subfolders (the folder holds no fonts, its subfolders do).
    const QString& EmptyText() const { return m_emptyText; }
    bool OffersSubfolders() const { return m_offerSubfolders; }

signals:
    // A load has ended: read, cancelled or stopped short. A load that
    // another one replaced does not end.
    void FolderLoaded();
    // What the list says while it holds no rows changed.
    void EmptyTextChanged(const QString& text, bool offerSubfolders);

private:
    struct CJob;

    // `emptyStatus`: what the status bar says when there is nothing to
    // read, instead of "No fonts to display".
    // `faces`, when given, names the one face of each path to list (a
    // project's); else every face of each file is listed.
    void RunLoad(std::vector<std::string> paths, const QString& fileToSelect, bool folder,
                 const QString& emptyStatus = {}, std::vector<std::uint32_t> faces = {});
    CFolderLoad::Listing ListFolder() const;
    void SetEmptyText(const QString& text, bool offerSubfolders);
    bool FolderWasRemoved();
    // The folder shown with a trailing separator, when its rows show their
    // paths below it (a folder's load with subfolders); else empty.
    std::string ListedFolderPrefix(bool folder) const;
    void DropLoad();
    void OnRowsReady(quint64 id);
    void AppendReadyRows(CJob& job);
    void EndLoad();
    void EndLocation(bool folder);
    void ShowStatus(int pane, const QString& text);
    void ShowOutOfMemory();
    void Restyle();
    void AnnounceSelection(const CFontItem* font);
    void OnFolderChanged();
    void Settle(const std::vector<std::string>& paths);
    void OnSettleTick();
    // The rows of the file's faces, in row order.
    std::vector<int> RowsOfPath(const std::string& path) const;
    void StartSync(std::vector<std::string> paths);
    void OnSyncRowsReady(quint64 id);
    void DropSync();

    // Slots of the hub.
    void OnFolderSelected(const QString& folder, const QString* fileToSelect);
    void OnProjectSelected(const QString& name);
    void OnFontSelected(const CFontItem* font);
    void OnRefreshRequested();
    void OnFontsAddedToProject(const QStringList& paths);
    void OnPreviewSizeChanged(unsigned short pixels);
    void OnShareFonts(bool share);
    void OnApplicationClosing();
    void OnOptionsChanged();
    int OnReleaseFont(const CFontItem* font);
    void OnFontRemoved(const CFontItem* font);

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    CFontManager& m_manager;
    CFontProjects& m_projects;
    CQuillmarkDoc& m_document;
    CFontListModel* m_model;  // a child
    QPointer<CFontListView> m_view;
    CFolderWatcher* m_watcher;  // a child
    std::function<void(int, const QString&)> m_status;
    std::function<void(CFolderLoad&)> m_loadSetup;

    QString m_folderPath;
    bool m_subfoldersListed = false;  // the rows hold the subfolders' fonts too
    Lister m_lister;
    std::function<void(const QString&)> m_tell;
    QString m_emptyText;
    bool m_offerSubfolders = false;
    bool m_projectShown = false;
    bool m_fontsFolderShown = false;
    bool m_firingSelection = false;

    std::unique_ptr<CJob> m_job;  // the running load
    // Loads replaced by another, kept until their workers have ended.
    std::vector<std::pair<quint64, std::unique_ptr<CFolderLoad>>> m_dropped;
    // Fonts of files that went, let go of on a worker (waited for before
    // the next such work and when the list goes).
    std::future<void> m_letGo;
    quint64 m_lastLoadId = 0;
    // Noticed during a load, done at its end:
    CHeldFont m_announcedFont;     // a font announced during a load, held till its end
    bool m_folderChanged = false;  // the folder's files changed
    // Reading the files that came into the folder shown, and its load id.
    std::unique_ptr<CFolderLoad> m_sync;
    quint64 m_syncId = 0;
    bool m_removingVanished = false;  // Resynchronise removes the rows itself
    // Files that came or changed, waited for until they are whole: the
    // stamp each had at the last look.
    std::map<std::string, Platform::CFileStamp> m_settling;
    QTimer* m_settleTimer;  // a child
    // Rows whose files are read again, by path: their old fonts, which the
    // manager has let go of, held until the new ones take their rows.
    // The fonts read again, by path and face, until their new ones come.
    std::map<std::pair<std::string, std::uint32_t>, CFontHandle> m_replaced;
    bool m_replacing = false;  // the rows of fonts read again stay
};

}  // namespace Quillmark
