#pragma once

// The list of fonts: one row per font file, its name, file name and size
// above a line of preview text drawn from the font's own file. The main
// list shows the fonts of the current folder or project and follows the
// folder when files come and go; search windows use it for their results.

#include <QFileSystemWatcher>
#include <QFont>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <boost/signals2/trackable.hpp>
#include <filesystem>
#include <functional>
#include <vector>

#include "ui/browse/FontListModel.h"

namespace Quillmark {

class CFontItem;
class CFontManager;
class CFontProjects;
class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

// Draws whole rows: the icon and the three column texts in the UI font, the
// preview line, and the grey line at the bottom. Colours and metrics are
// taken once and kept.
class CFontListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    CFontListDelegate(const CProgramOptions& options, QFont uiFont, QObject* parent = nullptr);

    // First line: max(16, H) + 4, H the UI font's height; preview line:
    // FontListCharSize + 4.
    int FirstLineHeight() const;
    int RowHeight() const;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    struct CColumns {
        int left[3];
        int width[3];
    };
    void PaintRow(QPainter* painter, const QRect& row, const QModelIndex& index, bool selected,
                  const CColumns& columns, const QPalette& palette) const;

    void SetSearchCharacter(char16_t c) { m_searchCharacter = c; }
    void Refresh();  // the options changed

private:
    const CProgramOptions& m_options;
    QFont m_uiFont;
    int m_textHeight = 0;
    int m_previewHeight = 24;
    QString m_previewText;
    QIcon m_fontIcon;
    QIcon m_errorIcon;
    char16_t m_searchCharacter = 0;
};

class CFontListView : public QTreeView, public boost::signals2::trackable {
    Q_OBJECT

public:
    // `document` is the main list's (null for search results); `status`
    // shows a text in a status-bar pane.
    CFontListView(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                  CFontProjects& projects, CQuillmarkDoc* document, QFont uiFont,
                  CFontListModel::Mode mode = CFontListModel::MainList, QWidget* parent = nullptr);
    ~CFontListView() override;

    void SetStatusSink(std::function<void(int pane, const QString& text)> sink) {
        m_status = std::move(sink);
    }

    // Loads a folder (empty: the current one again), then selects `file`.
    void LoadFolder(const QString& folder, const QString& fileToSelect = {});
    // Loads the fonts of a project; false when there is no such project.
    bool LoadProject(const QString& name);
    // Adds a row for an item that carries one use (search results).
    void AddFont(CFontItem* item);
    void AddSimilarityResult(CFontItem* item);
    // Acquires the file and adds its row.
    void AddFile(const QString& path);
    // Selects the first row of this file name (any letter case), nothing else.
    void SelectFile(const QString& fileName);
    void SetSimilaritySource(const QString& path) { m_model->SetSimilaritySource(path); }
    void SetSearchCharacter(char16_t c) { m_delegate->SetSearchCharacter(c); }

    void SortBy(int column, bool descending);
    int SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_sortDescending; }

    CFontListModel& Model() { return *m_model; }
    CFontListDelegate& Delegate() { return *m_delegate; }
    const QString& FolderPath() const { return m_folderPath; }
    bool IsProjectShown() const { return m_projectShown; }
    bool IsWatching() const { return !m_watcher.directories().isEmpty(); }
    // The rows' file list again against the folder (the watcher does this).
    void Resynchronise();

signals:
    void FolderLoaded();

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void resizeEvent(QResizeEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

private:
    void RunLoad(std::vector<std::filesystem::path> paths, const QString& fileToSelect);
    void FitColumns();
    void FillWidth(int changedSection);
    void OnSectionResized(int section, int oldSize, int newSize);
    void OnHandleDoubleClicked(int section);
    void OnHeaderClicked(int section);
    void ShowStatus(int pane, const QString& text);
    void StartWatching();
    void StopWatching();

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
    CQuillmarkDoc* m_document;
    CFontListModel* m_model;
    CFontListDelegate* m_delegate;
    std::function<void(int, const QString&)> m_status;

    QString m_folderPath;
    bool m_projectShown = false;
    bool m_fontsFolderShown = false;
    int m_sortColumn = 0;
    bool m_sortDescending = false;
    int m_minimumWidths[3] = {0, 0, 0};
    bool m_resizingColumns = false;
    bool m_firingSelection = false;
    bool m_selectionFiringEnabled = true;

    QFileSystemWatcher m_watcher;
    QTimer m_resyncTimer;
};

}  // namespace Quillmark
