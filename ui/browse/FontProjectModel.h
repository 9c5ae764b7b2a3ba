#pragma once

// The rows of the project view: one row a project of the projects store, in
// name order, each shown as "NAME (N fonts)". Font files dropped on a row
// are added to that project when they are fonts Quillmark can read.

#include <QAbstractListModel>
#include <QIcon>
#include <QStringList>
#include <functional>

namespace Quillmark {

class CFolderTreeReader;
class CFontProjects;

class CFontProjectModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { NameRole = Qt::UserRole, FontCountRole };

    explicit CFontProjectModel(CFontProjects& projects, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Drops: text/uri-list (local files) or the font project data block, on
    // a row only.
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    void SetIcon(const QIcon& icon) { m_icon = icon; }
    QString NameAt(int row) const;
    // The row of a project, -1 when there is none.
    int RowOf(const QString& name) const;
    static QString RowText(const QString& name, int fontCount);

    // Every row again from the store.
    void Reload();
    // Adds the project to the store and its row; false when the name is taken.
    bool AddProject(const QString& name);
    bool RenameProject(const QString& oldName, const QString& newName);
    void DeleteProject(const QString& name);
    // The row's text again after its project changed in the store.
    void ProjectChanged(const QString& name);

    // Adds to the project each file that is a readable font with a full
    // name (name ID 4) and that the project does not hold yet. Files that
    // are not are skipped silently. The files are read on a worker, so that
    // a drop of many large fonts leaves the window answering; they are added
    // once all are read, unless the project has gone by then, and `done`
    // (when given) gets the files added. Returns at once.
    using AddedCallback = std::function<void(const QStringList& added)>;
    void AddFiles(const QString& project, const QStringList& paths, AddedCallback done = {});
    // Calls of AddFiles whose files are still being read.
    int PendingAdds() const { return m_pendingAdds; }
    // The files a drop carries: its local file URLs when it has any, else
    // the paths of its font project data block.
    static QStringList DroppedFiles(const QMimeData* data);

signals:
    // Files were added to a project by a drop or by AddFiles.
    void FilesAdded(const QString& project, const QStringList& paths);

private:
    CFontProjects& m_projects;
    QStringList m_names;  // the rows, in the store's order
    QIcon m_icon;
    CFolderTreeReader* m_reader;  // a child of the model
    int m_pendingAdds = 0;
};

}  // namespace Quillmark
