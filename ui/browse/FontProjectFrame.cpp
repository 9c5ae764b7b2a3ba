#include "ui/browse/FontProjectFrame.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <boost/bind/bind.hpp>

#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "ui/browse/FontProjectModel.h"
#include "ui/browse/ProjectNameDialog.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {

QAction* MakeAction(QObject* parent, const QString& text, const QIcon& icon) {
    auto* action = new QAction(icon, text, parent);
    action->setObjectName(QString(text).remove(QLatin1Char(' ')).remove(QLatin1Char('&')));
    return action;
}

}  // namespace

CFontProjectView::CFontProjectView(QWidget* parent) : QListView(parent) {
    setObjectName(QStringLiteral("FontProjectView"));
    setAccessibleName(tr("Font Projects"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDefaultDropAction(Qt::CopyAction);
    setDropIndicatorShown(true);
    setAcceptDrops(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

namespace {

// A drag that cannot be a copy is refused; one that can is a copy.
template <typename Event, typename Base>
void AsCopy(Event* event, Base base) {
    if (!(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    base(event);
    if (event->isAccepted()) {
        event->setDropAction(Qt::CopyAction);
    }
}

}  // namespace

void CFontProjectView::dragEnterEvent(QDragEnterEvent* event) {
    AsCopy(event, [this](QDragEnterEvent* e) { QListView::dragEnterEvent(e); });
}

void CFontProjectView::dragMoveEvent(QDragMoveEvent* event) {
    AsCopy(event, [this](QDragMoveEvent* e) { QListView::dragMoveEvent(e); });
}

void CFontProjectView::dropEvent(QDropEvent* event) {
    AsCopy(event, [this](QDropEvent* e) { QListView::dropEvent(e); });
}

CFontProjectFrame::CFontProjectFrame(CQuillmarkSignals& hub, CFontProjects& projects,
                                     CQuillmarkDoc& document, QWidget* parent)
    : QWidget(parent),
      m_hub(hub),
      m_projects(projects),
      m_document(document),
      m_model(new CFontProjectModel(projects, this)),
      m_view(new CFontProjectView(this)),
      m_toolBar(new QToolBar(tr("Font Projects"), this)) {
    setObjectName(QStringLiteral("FontProjectFrame"));
    m_model->SetIcon(QIcon::fromTheme(QStringLiteral("folder-documents"),
                                      style()->standardIcon(QStyle::SP_DirIcon)));
    m_view->setModel(m_model);

    m_toolBar->setObjectName(QStringLiteral("FontProjectToolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);  // the texts are the tool tips
    m_new = MakeAction(this, tr("New Project"),
                       QIcon::fromTheme(QStringLiteral("document-new"),
                                        style()->standardIcon(QStyle::SP_FileDialogNewFolder)));
    m_rename =
        MakeAction(this, tr("Rename Project"),
                   QIcon::fromTheme(QStringLiteral("document-edit"),
                                    style()->standardIcon(QStyle::SP_FileDialogDetailedView)));
    m_delete = MakeAction(this, tr("Delete"),
                          QIcon::fromTheme(QStringLiteral("edit-delete"),
                                           style()->standardIcon(QStyle::SP_TrashIcon)));
    // The Delete key deletes the selected project while the list has the focus.
    m_delete->setShortcut(QKeySequence::Delete);
    m_delete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_toolBar->addAction(m_new);
    m_toolBar->addAction(m_rename);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_delete);
    addAction(m_delete);
    for (QAction* action : {m_new, m_rename, m_delete}) {
        if (QWidget* button = m_toolBar->widgetForAction(action)) {
            button->setAccessibleName(action->text());
        }
    }
    connect(m_new, &QAction::triggered, this, &CFontProjectFrame::NewProject);
    connect(m_rename, &QAction::triggered, this, [this] {
        if (const QString name = SelectedProject(); !name.isEmpty())
            RenameProject(name);
    });
    connect(m_delete, &QAction::triggered, this, [this] {
        if (const QString name = SelectedProject(); !name.isEmpty())
            DeleteProject(name);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_view, 1);

    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                UpdateActions();
                if (!selected.indexes().isEmpty()) {
                    OnRowSelected(selected.indexes().first());
                }
            });
    connect(m_view, &QAbstractItemView::clicked, this, &CFontProjectFrame::OnClicked);
    connect(m_view, &QWidget::customContextMenuRequested, this, &CFontProjectFrame::OnContextMenu);
    connect(m_model, &CFontProjectModel::FilesAdded, this, &CFontProjectFrame::OnFilesAdded);
    UpdateActions();

    SetPrompts({});
    hub.ConnectProjectSelected(boost::bind(&CFontProjectFrame::OnProjectSelected, this, _1));
    hub.ConnectAddFilesToProject(boost::bind(&CFontProjectFrame::OnAddFilesToProject, this, _1));
    hub.ConnectRemoveFontFromProject(
        boost::bind(&CFontProjectFrame::OnRemoveFontFromProject, this, _1));
}

void CFontProjectFrame::SetPrompts(Prompts prompts) {
    if (!prompts.askName) {
        prompts.askName = [this](const QString& initialName) -> std::optional<QString> {
            CProjectNameDialog dialog(m_projects, initialName, window());
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return dialog.Name();
        };
    }
    if (!prompts.ask) {
        prompts.ask = [this](const QString& caption, const QString& text) {
            return QuestionBox(caption, text, window())->exec() == QMessageBox::Yes;
        };
    }
    m_prompts = std::move(prompts);
}

QString CFontProjectFrame::SelectedProject() const {
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : m_model->NameAt(rows.first().row());
}

std::unique_ptr<QMessageBox> CFontProjectFrame::QuestionBox(const QString& caption,
                                                            const QString& text, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, caption, text,
                                             QMessageBox::Yes | QMessageBox::No, parent);
    box->setTextFormat(Qt::PlainText);  // a name is shown as it is, never as markup
    return box;
}

QString CFontProjectFrame::DeleteQuestion(const QString& name) {
    return tr("Are you sure you want to delete the Font Project \"%1\"?").arg(name);
}

void CFontProjectFrame::UpdateActions() {
    const bool selected = m_view->selectionModel()->hasSelection();
    m_rename->setEnabled(selected);
    m_delete->setEnabled(selected);
}

void CFontProjectFrame::SelectRowSilently(const QString& name) {
    const int row = m_model->RowOf(name);
    m_selecting = true;
    if (row >= 0) {
        const QModelIndex index = m_model->index(row);
        m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_view->scrollTo(index);
    }
    m_selecting = false;
}

void CFontProjectFrame::OnRowSelected(const QModelIndex& current) {
    if (m_selecting || !current.isValid()) {
        return;
    }
    const QString name = m_model->NameAt(current.row());
    if (m_document.IsProjectMode() && m_document.GetProjectName() == name) {
        return;
    }
    m_hub.FireProjectSelected(name);
}

void CFontProjectFrame::OnClicked(const QModelIndex& index) {
    // Back from a folder to the project still selected here.
    if (index.isValid() && !m_document.IsProjectMode() &&
        m_view->selectionModel()->isSelected(index)) {
        m_hub.FireProjectSelected(m_model->NameAt(index.row()));
    }
}

void CFontProjectFrame::OnContextMenu(const QPoint& at) {
    const QModelIndex index = m_view->indexAt(at);
    if (!index.isValid()) {
        return;
    }
    const QString name = m_model->NameAt(index.row());
    const QModelIndex focused = m_view->currentIndex();
    QMenu menu(this);
    QAction* rename = menu.addAction(tr("&Rename"));
    QAction* remove =
        menu.addAction(tr("&Delete") + QLatin1Char('\t') +
                       QKeySequence(QKeySequence::Delete).toString(QKeySequence::NativeText));
    rename->setObjectName(QStringLiteral("RenameRow"));
    remove->setObjectName(QStringLiteral("DeleteRow"));
    QAction* chosen = menu.exec(m_view->viewport()->mapToGlobal(at));
    if (chosen == rename) {
        RenameProject(name);
    } else if (chosen == remove) {
        DeleteProject(name);
    }
    if (focused.isValid() && m_view->model()->checkIndex(focused)) {
        m_view->setFocus();
    }
}

void CFontProjectFrame::NewProject() {
    const std::optional<QString> name = m_prompts.askName(QString());
    if (!name || !m_model->AddProject(*name)) {
        return;
    }
    UpdateActions();
}

void CFontProjectFrame::RenameProject(const QString& name) {
    const std::optional<QString> newName = m_prompts.askName(name);
    if (!newName || !m_model->RenameProject(name, *newName)) {
        return;
    }
    // The shown project keeps being shown under its new name, so that the
    // title, the location bar and the project kept for the next start follow.
    if (m_document.IsProjectMode() && m_document.GetProjectName() == name) {
        m_hub.FireProjectSelected(*newName);
    }
}

void CFontProjectFrame::DeleteProject(const QString& name) {
    if (!m_projects.ProjectExists(name) ||
        !m_prompts.ask(tr("Delete Font Project?"), DeleteQuestion(name))) {
        return;
    }
    const bool shown = m_document.IsProjectMode() && m_document.GetProjectName() == name;
    // The row that takes the selection's place is not chosen by the user.
    m_selecting = true;
    m_model->DeleteProject(name);
    m_selecting = false;
    UpdateActions();
    if (shown) {
        emit ShownProjectDeleted();
    }
}

void CFontProjectFrame::OnFilesAdded(const QString& project, const QStringList& paths) {
    if (m_document.IsProjectMode() && m_document.GetProjectName() == project) {
        m_hub.FireFontsAddedToProject(paths);
    }
}

void CFontProjectFrame::OnProjectSelected(const QString& name) {
    SelectRowSilently(name);
}

void CFontProjectFrame::OnAddFilesToProject(const QStringList& paths) {
    if (const QString project = SelectedProject(); !project.isEmpty()) {
        m_model->AddFiles(project, paths);
    }
}

void CFontProjectFrame::OnRemoveFontFromProject(const CFontItem* font) {
    const QString project = SelectedProject();
    if (font == nullptr || project.isEmpty() || !m_projects.ProjectExists(project)) {
        return;
    }
    m_projects.RemoveFont(project, PathText(font->GetPath()), font->GetFace());
    m_model->ProjectChanged(project);
}

}  // namespace Quillmark
