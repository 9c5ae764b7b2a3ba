#pragma once

// The project view of the main window's left pane: the font projects under
// a small toolbar (New Project, Rename Project, Delete). Choosing a row
// shows that project in the font list; a click on the selected row returns
// to it from a folder; font files dropped on a row are added to that
// project.

#include <QListView>
#include <QWidget>
#include <boost/signals2/trackable.hpp>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMessageBox;
class QToolBar;

namespace Quillmark {

class CFontItem;
class CFontProjectModel;
class CFontProjects;
class CQuillmarkDoc;
class CQuillmarkSignals;

// The list of projects: one column, single selection, drops on rows. A
// drop on a project copies whatever the drag proposed: the files stay where
// they are and the project names them, so the source must not take them
// away (a Shift-drag from the list would otherwise be told they moved).
class CFontProjectView : public QListView {
    Q_OBJECT

public:
    explicit CFontProjectView(QWidget* parent = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class CFontProjectFrame : public QWidget, public boost::signals2::trackable {
    Q_OBJECT

public:
    // How the frame asks the user; tests replace these.
    struct Prompts {
        // The name dialog: the name chosen, or nothing when cancelled.
        std::function<std::optional<QString>(const QString& initialName)> askName;
        // A Yes/No question; true for Yes.
        std::function<bool(const QString& caption, const QString& text)> ask;
    };

    CFontProjectFrame(CQuillmarkSignals& hub, CFontProjects& projects, CQuillmarkDoc& document,
                      QWidget* parent = nullptr);

    void SetPrompts(Prompts prompts);
    CFontProjectView* View() const { return m_view; }
    CFontProjectModel& Model() const { return *m_model; }
    QToolBar* ToolBar() const { return m_toolBar; }
    // The selected project's name, empty when none is.
    QString SelectedProject() const;

    void NewProject();
    void RenameProject(const QString& name);
    void DeleteProject(const QString& name);

    // The delete question, and the box that asks it, showing the name as it is.
    static QString DeleteQuestion(const QString& name);
    static std::unique_ptr<QMessageBox> QuestionBox(const QString& caption, const QString& text,
                                                    QWidget* parent);

signals:
    // The project the font list shows was deleted: the main window goes back.
    void ShownProjectDeleted();

private:
    void OnRowSelected(const QModelIndex& row);
    void OnClicked(const QModelIndex& index);
    void OnContextMenu(const QPoint& at);
    void OnFilesAdded(const QString& project, const QStringList& paths);
    void UpdateActions();
    void SelectRowSilently(const QString& name);

    // Slots of the hub.
    void OnProjectSelected(const QString& name);
    void OnAddFilesToProject(const QStringList& paths);
    void OnRemoveFontFromProject(const CFontItem* font);

    CQuillmarkSignals& m_hub;
    CFontProjects& m_projects;
    CQuillmarkDoc& m_document;
    CFontProjectModel* m_model;
    CFontProjectView* m_view;
    QToolBar* m_toolBar;
    QAction* m_new;
    QAction* m_rename;
    QAction* m_delete;
    Prompts m_prompts;
    bool m_selecting = false;  // a selection made here, not by the user
};

}  // namespace Quillmark
