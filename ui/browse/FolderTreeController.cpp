#include "ui/browse/FolderTreeController.h"

#include <QDir>

#include <QFileInfo>
#include <QIcon>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <boost/bind/bind.hpp>
#include <utility>

#include "core/PathText.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "platform/desktop/FileManager.h"
#include "platform/desktop/Trash.h"
#include "ui/browse/FolderTreeModel.h"
#include "ui/common/PropertiesDialog.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {

// Sets a flag for as long as it lives, whatever leaves the scope.
class CFlagSet {
public:
    explicit CFlagSet(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~CFlagSet() { m_flag = m_was; }
    CFlagSet(const CFlagSet&) = delete;
    CFlagSet& operator=(const CFlagSet&) = delete;

private:
    bool& m_flag;
    const bool m_was;
};

QString ShownName(const QString& path) {
    return ShownPath(FilePath(QFileInfo(path).fileName()));
}

// Asks about a name clash in a drop with a message box of four answers (a
// folder cannot be replaced by the one dropped).
Platform::ConflictChoice AskConflict(QWidget* parent, const QString& source,
                                     const QString& existing) {
    QMessageBox box(
        QMessageBox::Question, QStringLiteral("Quillmark"),
        CFolderTreeController::tr("“%1” is already in “%2”.")
            .arg(ShownName(existing), ShownPath(FilePath(QFileInfo(existing).absolutePath()))),
        QMessageBox::NoButton, parent);
    box.setInformativeText(
        CFolderTreeController::tr("Replace it with the one dropped, keep both, or skip it?"));
    const auto add = [&box](const QString& text, QMessageBox::ButtonRole role) {
        QPushButton* button = box.addButton(text, role);
        button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
        return button;
    };
    QPushButton* replace = nullptr;
    if (!QFileInfo(existing).isDir() && !QFileInfo(source).isDir()) {
        replace = add(CFolderTreeController::tr("&Replace"), QMessageBox::AcceptRole);
    }
    QPushButton* keepBoth = add(CFolderTreeController::tr("&Keep Both"), QMessageBox::AcceptRole);
    QPushButton* skip = add(CFolderTreeController::tr("&Skip"), QMessageBox::RejectRole);
    QPushButton* cancel = add(CFolderTreeController::tr("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(keepBoth);
    box.setEscapeButton(cancel);
    box.exec();
    if (replace != nullptr && box.clickedButton() == replace) {
        return Platform::ConflictChoice::Replace;
    }
    if (box.clickedButton() == keepBoth) {
        return Platform::ConflictChoice::KeepBoth;
    }
    if (box.clickedButton() == skip) {
        return Platform::ConflictChoice::Skip;
    }
    return Platform::ConflictChoice::Cancel;
}

// Folder and drive icons come from the desktop's icon theme. Where the
// platform names none, or none that has them (a bare X session, the
// offscreen platform), the system's icon folders are searched, with Adwaita
// as the theme, as GTK programs do.
CFolderTreeModel* ModelWithIcons(QObject* parent) {
    const QString folder = QStringLiteral("folder");
    if (QIcon::fromTheme(folder).isNull()) {
        QStringList paths = QIcon::themeSearchPaths();
        for (const QString& icons :
             QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                       QStandardPaths::LocateDirectory)) {
            if (!paths.contains(icons)) {
                paths.append(icons);
            }
        }
        QIcon::setThemeSearchPaths(paths);
        if (QIcon::fromTheme(folder).isNull()) {
            QIcon::setThemeName(QStringLiteral("Adwaita"));
        }
    }
    return new CFolderTreeModel(parent);
}

}  // namespace

CFolderTreeController::CFolderTreeController(CQuillmarkSignals& hub, CQuillmarkDoc& document,
                                             CFontManager& manager, QObject* parent,
                                             CFolderTreeModel* model)
    : QObject(parent),
      m_hub(hub),
      m_document(document),
      m_manager(manager),
      m_model(model != nullptr ? model : ModelWithIcons(this)) {
    setObjectName(QStringLiteral("FolderTreeController"));
    m_model->setParent(this);
    m_keySettle.setSingleShot(true);
    m_keySettle.setInterval(kKeyboardSettleMilliseconds);
    connect(&m_keySettle, &QTimer::timeout, this, &CFolderTreeController::OnKeySettled);
    m_view = new CFolderTreeView(*m_model);

    Hooks hooks;
    hooks.ask = [this](const QString& question) {
        return QMessageBox::question(m_view, QStringLiteral("Quillmark"), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    hooks.askConflict = [this](const QString& source, const QString& existing) {
        return AskConflict(m_view, source, existing);
    };
    hooks.showProperties = [this](const QString& path) {
        CPropertiesDialog dialog(path, {}, m_view);
        dialog.exec();
    };
    hooks.open = &Platform::OpenWithDesktop;
    hooks.openInFileManager = [](const QString& path) {
        return Platform::ShowFoldersInFileManager({path});
    };
    m_hooks = std::move(hooks);

    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CFolderTreeController::OnSelectionChanged);
    connect(m_view, &QAbstractItemView::clicked, this, &CFolderTreeController::OnClicked);
    connect(m_view, &CFolderTreeView::CommandChosen, this, &CFolderTreeController::Run);
    connect(m_view, &CFolderTreeView::RenameFailed, this, &CFolderTreeController::ShowStatus);
    connect(m_view, &CFolderTreeView::FilesDropped, this, &CFolderTreeController::Drop);
    // Rows that go take the selection with them: that is no choice of the
    // user's. When the selected folder goes with them, the selection moves
    // to the folder above that is still listed.
    connect(m_model, &CFolderTreeModel::RowGoing, this, [this](const QModelIndex& holder, int row) {
        m_modelChanging = true;
        for (QModelIndex up = Selected(); up.isValid(); up = up.parent()) {
            if (up.parent() == holder && up.row() == row) {
                m_selectionGoneTo = holder;
                break;
            }
        }
    });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        m_modelChanging = false;
        if (m_selectionGoneTo.isValid()) {
            QTimer::singleShot(0, this, &CFolderTreeController::OnSelectedFolderGone);
        }
    });
    connect(m_model, &CFolderTreeModel::FolderRenamed, this,
            [this](const QString& oldPath, const QString& newPath) {
                // The folder shown, or one that holds it, has a new name:
                // the list follows it there.
                const QString current = m_document.GetFolderPath();
                if (m_document.IsProjectMode() || !Platform::IsSameOrBelow(current, oldPath)) {
                    return;
                }
                const QString moved = newPath + current.mid(oldPath.size());
                m_document.SetFolder(moved);
                Announce(moved);
            });

    connect(m_model, &CFolderTreeModel::PathReachable, this,
            &CFolderTreeController::OnPathReachable);

    hub.ConnectFolderSelected(boost::bind(&CFolderTreeController::OnFolderSelected, this, _1));
    hub.ConnectExpandFolderInTree(
        boost::bind(&CFolderTreeController::OnExpandFolderInTree, this, _1));
    hub.ConnectRefreshRequested([this] { m_model->Refresh(); });
    hub.ConnectCanGoUp(boost::bind(&CFolderTreeController::OnCanGoUp, this));
    hub.ConnectGoUp(boost::bind(&CFolderTreeController::OnGoUp, this));

    const QModelIndex desktop = m_model->DesktopIndex();
    m_model->fetchMore(desktop);
    m_view->expand(desktop);
}

CFolderTreeController::~CFolderTreeController() {
    // The view cannot outlive its model.
    delete m_view.data();
}

void CFolderTreeController::SetHooks(Hooks hooks) {
    if (hooks.ask)
        m_hooks.ask = std::move(hooks.ask);
    if (hooks.askConflict)
        m_hooks.askConflict = std::move(hooks.askConflict);
    if (hooks.showProperties)
        m_hooks.showProperties = std::move(hooks.showProperties);
    if (hooks.open)
        m_hooks.open = std::move(hooks.open);
    if (hooks.openInFileManager)
        m_hooks.openInFileManager = std::move(hooks.openInFileManager);
}

void CFolderTreeController::ShowStatus(const QString& text) {
    if (m_status) {
        m_status(0, text);
    }
}

QModelIndex CFolderTreeController::Selected() const {
    if (!m_view) {
        return {};
    }
    const QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.front();
}

void CFolderTreeController::Announce(const QString& path) {
    const CFlagSet emitting(m_emitting);
    m_hub.FireFolderSelected(path, nullptr);
}

void CFolderTreeController::OnSelectionChanged() {
    if (m_modelChanging) {
        return;
    }
    const QModelIndex index = Selected();
    if (!index.isValid()) {
        return;
    }
    if (!m_selecting) {
        m_awaited.clear();  // the user's choice now, not the one still being read
    }
    if (m_view->IsMovingByKeyboard() && !m_selecting && m_started()) {
        m_keySettle.start();  // the location once the keys rest
        return;
    }
    m_keySettle.stop();
    const QString path = m_model->PathOf(index);
    m_document.SetFolder(path);
    if (!m_selecting && m_started()) {
        Announce(path);
    }
}

void CFolderTreeController::OnSelectedFolderGone() {
    const QModelIndex parent = std::exchange(m_selectionGoneTo, {});
    if (!parent.isValid() || !m_view) {
        return;
    }
    // The tree shows where the list is about to go: the list's own watcher
    // tells the user and moves it there.
    const CFlagSet changing(m_modelChanging);
    m_view->selectionModel()->setCurrentIndex(parent, QItemSelectionModel::ClearAndSelect);
    m_view->scrollTo(parent);
}

void CFolderTreeController::OnKeySettled() {
    const QModelIndex index = Selected();
    if (!index.isValid()) {
        return;
    }
    const QString path = m_model->PathOf(index);
    m_document.SetFolder(path);
    Announce(path);
}

void CFolderTreeController::OnClicked(const QModelIndex& index) {
    // The folder selected already, clicked while a project is shown: back
    // to the folder.
    if (index != Selected() || !m_document.IsProjectMode() || !m_started()) {
        return;
    }
    const QString path = m_model->PathOf(index);
    m_document.SetProjectMode(false);
    m_document.SetFolder(path);
    Announce(path);
}

QModelIndex CFolderTreeController::ExpandTo(const QString& path, bool* pending) {
    bool reading = false;
    const QModelIndex index = m_model->IndexForPath(path, &reading);
    if (pending != nullptr) {
        *pending = reading;
    }
    m_awaited = reading ? path : QString();
    m_awaitSelects = false;
    if (index.isValid() && m_view) {
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
            m_view->expand(up);
        }
        if (reading) {
            m_view->expand(index);  // its row "Reading…" shows
        }
        m_view->scrollTo(index);
    }
    return reading ? QModelIndex() : index;
}

void CFolderTreeController::OnPathReachable(const QString& path) {
    if (path != m_awaited || !m_view) {
        return;
    }
    if (m_awaitSelects) {
        OnFolderSelected(path);
    } else {
        ExpandTo(path);
    }
}

void CFolderTreeController::OnFolderSelected(const QString& path) {
    if (m_emitting || !m_view) {
        return;
    }
    m_keySettle.stop();  // chosen elsewhere: the folder passed is no longer wanted
    const CFlagSet selecting(m_selecting);
    bool pending = false;
    const QModelIndex index = ExpandTo(path, &pending);
    if (index.isValid()) {
        m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    } else {
        // A folder the tree does not show (a hidden one), or not yet (one
        // on its way is being read: selected once it answers): nothing
        // stays selected that is not the current location.
        m_view->selectionModel()->clearSelection();
        m_awaitSelects = pending;
    }
}

void CFolderTreeController::OnExpandFolderInTree(const QString& path) {
    ExpandTo(path);
}

QString CFolderTreeController::AwaitedParent() const {
    if (!m_awaited.startsWith(QLatin1Char('/')) || m_awaited == QLatin1String("/")) {
        return {};
    }
    return QDir::cleanPath(m_awaited + QStringLiteral("/.."));
}

bool CFolderTreeController::OnCanGoUp() {
    // A folder still being read on the way there has no item selected yet:
    // its parent is known by its path.
    if (!Selected().isValid()) {
        return !AwaitedParent().isEmpty();
    }
    return Selected().parent().isValid();
}

void CFolderTreeController::OnGoUp() {
    if (!Selected().isValid()) {
        const QString parent = AwaitedParent();
        if (!parent.isEmpty()) {
            OnFolderSelected(parent);
            m_document.SetProjectMode(false);
            m_document.SetFolder(parent);
            Announce(parent);
        }
        return;
    }
    const QModelIndex parent = Selected().parent();
    if (parent.isValid()) {
        m_view->selectionModel()->setCurrentIndex(parent, QItemSelectionModel::ClearAndSelect);
        m_view->scrollTo(parent);
    }
}

void CFolderTreeController::Run(CFolderTreeView::Command command, const QModelIndex& index) {
    const QString path = m_model->FileSystemPathOf(index);
    if (!index.isValid()) {
        return;
    }
    switch (command) {
        case CFolderTreeView::Command::Open:
        case CFolderTreeView::Command::OpenInFileManager: {
            const auto& open = command == CFolderTreeView::Command::Open
                                   ? m_hooks.open
                                   : m_hooks.openInFileManager;
            if (!path.isEmpty() && !open(path)) {
                ShowStatus(tr("“%1” could not be opened.").arg(ShownPath(FilePath(path))));
            }
            break;
        }
        case CFolderTreeView::Command::NewFolder:
            NewFolder(index);
            break;
        case CFolderTreeView::Command::Delete:
            Delete(index);
            break;
        case CFolderTreeView::Command::Properties:
            if (!path.isEmpty()) {
                m_hooks.showProperties(path);
            }
            break;
    }
}

void CFolderTreeController::NewFolder(const QModelIndex& index) {
    const QPersistentModelIndex parent(index);
    const CResult<QModelIndex> made = m_model->CreateFolder(index);
    if (!made) {
        ShowStatus(QString::fromStdString(made.Failure().Reason()));
        return;
    }
    const QModelIndex created = made.Value();
    if (m_view) {
        m_view->expand(parent);
        m_view->EditName(created);
    }
}

void CFolderTreeController::Delete(const QModelIndex& index) {
    if (!index.data(CFolderTreeModel::CanChangeRole).toBool()) {
        return;
    }
    const QString path = m_model->FileSystemPathOf(index);
    const QString name = index.data(Qt::DisplayRole).toString();
    // With the separator: "/a/Fonts 2" is not under "/a/Fonts".
    const std::string under = FilePath(path).native() + '/';
    if (m_manager.HasFontsUnder(under)) {
        if (!m_hooks.ask(tr("You are attempting to delete a folder that contains one or more fonts "
                            "currently in use by Quillmark.  Are you sure you want to do this?"))) {
            return;
        }
    } else if (!m_hooks.ask(
                   tr("Move the folder “%1” and everything in it to the Trash?").arg(name))) {
        return;
    }
    m_manager.ReleaseFontsUnder(under);
    const std::vector<Platform::TrashOutcome> outcomes = Platform::MoveToTrash({FilePath(path)});
    if (outcomes.empty() || !outcomes.front().moved) {
        const QString why = outcomes.empty()
                                ? QString()
                                : QString::fromStdString(outcomes.front().moved.Failure().Reason());
        if (!m_hooks.ask(tr("“%1” cannot be moved to the Trash: %2\n\nDelete it for good? This "
                            "cannot be undone.")
                             .arg(name, why))) {
            return;
        }
        if (const CResult<> deleted = Platform::DeletePermanently(FilePath(path)); !deleted) {
            ShowStatus(tr("“%1” could not be deleted: %2")
                           .arg(name, QString::fromStdString(deleted.Failure().Reason())));
        }
    }
    // The user's own doing: the location moves up at once, untold.
    const QString current = m_document.GetFolderPath();
    if (!m_document.IsProjectMode() && Platform::IsSameOrBelow(current, path) &&
        !QFileInfo(current).isDir()) {
        const QString above = QFileInfo(path).absolutePath();
        m_document.SetFolder(above);
        Announce(above);
    }
    m_model->SyncFolder(QFileInfo(path).absolutePath());
}

void CFolderTreeController::Drop(const QStringList& sources, const QString& targetFolder,
                                 Platform::TransferMode mode) {
    const Platform::TransferResult result =
        Platform::TransferFiles(sources, targetFolder, mode, m_hooks.askConflict);
    if (!result.failedSource.isEmpty()) {
        const QString name = ShownName(result.failedSource);
        ShowStatus(mode == Platform::TransferMode::Move
                       ? tr("“%1” could not be moved: %2").arg(name, result.failure)
                       : tr("“%1” could not be copied: %2").arg(name, result.failure));
    }
    // Shown now, before the watcher tells.
    m_model->SyncFolder(targetFolder);
    if (mode == Platform::TransferMode::Move) {
        for (const QString& source : sources) {
            m_model->SyncFolder(QFileInfo(source).absolutePath());
        }
    }
}

}  // namespace Quillmark
