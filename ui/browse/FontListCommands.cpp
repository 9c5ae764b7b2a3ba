#include "ui/browse/FontListCommands.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <algorithm>
#include <boost/bind/bind.hpp>

#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "platform/desktop/FileManager.h"
#include "ui/browse/ConfirmDeleteDialog.h"
#include "ui/common/FontRows.h"
#include "ui/common/FontRowsView.h"
#include "ui/common/HelpPages.h"
#include "ui/common/HelpWindow.h"
#include "ui/common/NameClashDialog.h"
#include "ui/common/PropertiesDialog.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {

QString Accessible(const QString& text) {
    return QString(text).section('\t', 0, 0).remove('&');
}

bool AskYesNo(QWidget* parent, const QString& title, const QString& question) {
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setAccessibleName(title);
    box.button(QMessageBox::Yes)->setAccessibleName(QObject::tr("Yes"));
    box.button(QMessageBox::No)->setAccessibleName(QObject::tr("No"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void Tell(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.setAccessibleName(title);
    box.button(QMessageBox::Ok)->setAccessibleName(QObject::tr("OK"));
    box.exec();
}

// Whether the desktop has a program set for the file's type: xdg-open
// starts whatever the answer, and fails on its own where nobody sees it.
bool HasOpenerFor(const QString& path) {
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit) {
        query.kill();
        return true;  // cannot tell: let the desktop try
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

QList<QPair<QString, QString>> InfoRows(const CFontItem& item) {
    QList<QPair<QString, QString>> rows;
    if (item.GetStatus() != CFontItem::Loaded || item.GetData() == nullptr) {
        if (const char* message = Varnholt::StatusMessage(item.GetStatus())) {
            rows.append({QObject::tr("Font"), QString::fromUtf8(message)});
        }
        return rows;
    }
    for (const auto& row :
         Varnholt::FontInfoRows(item.GetFileName().u16string(), *item.GetData())) {
        const QString name = QString::fromStdU16String(row.name);
        if (name != QStringLiteral("File Name")) {
            rows.append({name, QString::fromStdU16String(row.value)});
        }
    }
    return rows;
}

}  // namespace

CFontListCommands::CFontListCommands(CFontRowsView& view, CQuillmarkSignals& hub,
                                     CFontManager& manager, CQuillmarkDoc& document,
                                     CProgramOptions& options, FontListKind kind, Hooks hooks,
                                     QObject* parent)
    : QObject(parent),
      m_view(view),
      m_viewAlive(&view),
      m_rows(view.Rows()),
      m_hub(hub),
      m_manager(manager),
      m_document(document),
      m_options(options),
      m_kind(kind),
      m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("FontListCommands"));
    if (!m_hooks.ask) {
        m_hooks.ask = [this](const QString& title, const QString& question) {
            return AskYesNo(Window(), title, question);
        };
    }
    if (!m_hooks.confirmDelete) {
        m_hooks.confirmDelete = [this](int files, const QStringList& collections) {
            CConfirmDeleteDialog dialog(files, collections, Window());
            return dialog.exec() == QDialog::Accepted;
        };
    }
    if (!m_hooks.askDeleteForGood) {
        m_hooks.askDeleteForGood = [this](const QString& path, const QString& why) {
            return AskYesNo(Window(), tr("Delete Permanently?"),
                            tr("\u201C%1\u201D cannot be moved to the Trash: %2\n\n"
                               "Delete it permanently? It cannot be restored afterwards.")
                                .arg(ShownPath(FilePath(path)), why));
        };
    }
    if (!m_hooks.tell) {
        m_hooks.tell = [this](const QString& title, const QString& text) {
            Tell(Window(), title, text);
        };
    }
    if (!m_hooks.conflictAsker) {
        m_hooks.conflictAsker = [this](Platform::ConflictChoice preferred) {
            return NameClashAsker(Window(), preferred);
        };
    }
    if (!m_hooks.open) {
        m_hooks.open = [](const QString& path) {
            return HasOpenerFor(path) && Platform::OpenWithDesktop(path);
        };
    }
    if (!m_hooks.showInFileManager) {
        m_hooks.showInFileManager = [](const QStringList& paths) {
            return Platform::ShowItemsInFileManager(paths);
        };
    }
    if (!m_hooks.showProperties) {
        m_hooks.showProperties = [this](const QString& path,
                                        const QList<QPair<QString, QString>>& rows) {
            auto* dialog = new CPropertiesDialog(path, rows, Window());
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->show();
        };
    }
    if (!m_hooks.showHelp) {
        m_hooks.showHelp = [this](int contextId) { ShowHelp(contextId, Window()); };
    }
    if (!m_hooks.refreshFontCache) {
        m_hooks.refreshFontCache = [](const QString& folder) {
            // Never -f: it waits seconds. The program does not wait for it.
            QProcess::startDetached(QStringLiteral("fc-cache"), {folder});
        };
    }
    if (!m_hooks.showMenu) {
        m_hooks.showMenu = [](QMenu& menu, const QPoint& at) { menu.exec(at); };
    }
    if (!m_hooks.pageSetup) {
        m_hooks.pageSetup = [this](QPrinter& printer) {
            QPageSetupDialog dialog(&printer, Window());
            dialog.setAccessibleName(tr("Print Setup"));
            return dialog.exec() == QDialog::Accepted;
        };
    }
    if (!m_hooks.printDialog) {
        m_hooks.printDialog = [this](QPrinter& printer) {
            QPrintDialog dialog(&printer, Window());
            dialog.setAccessibleName(tr("Print"));
            return dialog.exec() == QDialog::Accepted;
        };
    }

    MakeActions();
    m_view.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_view, &QWidget::customContextMenuRequested, this, &CFontListCommands::ShowMenu);
    connect(&m_view, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { Open(index.row()); });
    m_view.setDragEnabled(true);
    m_view.setDragDropMode(QAbstractItemView::DragDrop);
    m_view.setDropIndicatorShown(false);
    m_view.SetDragStarter([this] { StartDrag(); });
    m_view.installEventFilter(this);
    m_viewport = m_view.viewport();
    if (MainList()) {
        m_view.setAcceptDrops(true);
        m_view.viewport()->installEventFilter(this);
        hub.ConnectFontsFolderShown(boost::bind(&CFontListCommands::OnFontsFolderShown, this, _1));
    } else {
        m_view.setAcceptDrops(false);
    }
}

CFontListCommands::~CFontListCommands() {
    if (m_viewAlive) {
        m_view.removeEventFilter(this);
        m_view.viewport()->removeEventFilter(this);
        m_view.SetDragStarter({});
    }
}

QWidget* CFontListCommands::Window() const {
    return m_view.window();
}

// ---------------------------------------------------------------- actions

QAction* CFontListCommands::MakeAction(FontListCommand command, const QString& text) {
    auto* action = new QAction(text, this);
    action->setObjectName(Accessible(text).remove(' '));
    m_actions[command] = action;
    connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    return action;
}

void CFontListCommands::MakeActions() {
    MakeAction(FontListCommand::Open, tr("Open"));
    MakeAction(FontListCommand::OpenInFileManager, tr("Open in File Manager"));
    MakeAction(FontListCommand::GoToContainingFolder, tr("Go to containing folder"));
    MakeAction(FontListCommand::Install, tr("&Install"));
    if (m_hooks.chooseProject && m_hooks.addToProject) {
        MakeAction(FontListCommand::AddToProject, tr("Add to &Project..."));
    }
    MakeAction(FontListCommand::Delete, tr("Delete\tDel"));
    MakeAction(FontListCommand::Properties, tr("Properties"));
    MakeAction(FontListCommand::WhatsWrong, tr("&What's wrong with this font file?"));

    m_print = new QAction(tr("&Print..."), this);
    m_print->setObjectName(QStringLiteral("Print"));
    m_print->setShortcut(QKeySequence::Print);
    connect(m_print, &QAction::triggered, this, &CFontListCommands::Print);
    m_printPreview = new QAction(tr("Print Pre&view"), this);
    m_printPreview->setObjectName(QStringLiteral("PrintPreview"));
    connect(m_printPreview, &QAction::triggered, this, &CFontListCommands::PrintPreview);
    m_pageSetup = new QAction(tr("Print Set&up..."), this);
    m_pageSetup->setObjectName(QStringLiteral("PrintSetup"));
    connect(m_pageSetup, &QAction::triggered, this, &CFontListCommands::PageSetup);
    for (QAction* action : {m_print, m_printPreview, m_pageSetup}) {
        action->setProperty("accessibleName", Accessible(action->text()));
    }
}

void CFontListCommands::AddCommand(FontListCommand command, const QString& text,
                                   std::function<void(int row)> run) {
    delete m_actions[command];
    m_added[command] = std::move(run);
    MakeAction(command, text);
}

QAction* CFontListCommands::Action(FontListCommand command) const {
    const auto it = m_actions.find(command);
    return it != m_actions.end() ? it->second : nullptr;
}

QList<QAction*> CFontListCommands::PrintActions() const {
    return {m_print, m_printPreview, m_pageSetup};
}

void CFontListCommands::Run(FontListCommand command) {
    const int row = m_hotRow >= 0 ? m_hotRow : m_view.currentIndex().row();
    switch (command) {
        case FontListCommand::Open:
            Open(row);
            return;
        case FontListCommand::OpenInFileManager:
            OpenInFileManager(row);
            return;
        case FontListCommand::GoToContainingFolder:
            GoToContainingFolder(row);
            return;
        case FontListCommand::Install:
            Install();
            return;
        case FontListCommand::AddToProject:
            AddToProject();
            return;
        case FontListCommand::Delete:
            Delete();
            return;
        case FontListCommand::Properties:
            Properties(row);
            return;
        case FontListCommand::WhatsWrong:
            WhatsWrong();
            return;
        default:
            break;
    }
    const auto added = m_added.find(command);
    if (added == m_added.end()) {
        return;
    }
    if (command == FontListCommand::FontInformation) {
        const std::vector<int> selected = SelectedRows();
        added->second(selected.empty() ? row : selected.front());
    } else if (row >= 0) {
        added->second(row);
    }
}

// ---------------------------------------------------------------- the row menus

std::unique_ptr<QMenu> CFontListCommands::MenuFor(int row) {
    const CFontItem* item = ItemAt(row);
    if (item == nullptr) {
        return nullptr;
    }
    m_hotRow = row;
    CFontListMenuContext context;
    context.readable = item->GetStatus() == CFontItem::Loaded;
    context.panoseFamily = item->GetData() != nullptr ? item->GetData()->GetOS2().panose[0] : 0;
    context.searchResults = !MainList();
    context.projectMode = ProjectMode();
    context.fontsFolderShown = MainList() && m_fontsFolderShown;

    auto menu = std::make_unique<QMenu>(&m_view);
    menu->setObjectName(context.readable ? QStringLiteral("FontListMenu")
                                         : QStringLiteral("BadFontMenu"));
    menu->setAccessibleName(context.readable ? tr("Font") : tr("Unreadable font file"));
    bool pendingSeparator = false;
    for (const CFontListMenuEntry& entry : FontListMenuEntries(context)) {
        if (entry.command == FontListCommand::Separator) {
            pendingSeparator = !menu->actions().isEmpty();
            continue;
        }
        QAction* action = Action(entry.command);
        if (action == nullptr) {
            continue;  // a command that no window provides (yet)
        }
        if (entry.command == FontListCommand::Delete) {
            action->setText(context.projectMode
                                ? tr("Remove from project\tDEL")
                                : (context.readable ? tr("Delete\tDel") : tr("&Delete")));
        }
        action->setEnabled(entry.enabled);
        action->setProperty("accessibleName", Accessible(action->text()));
        if (pendingSeparator) {
            menu->addSeparator();
            pendingSeparator = false;
        }
        menu->addAction(action);
        if (entry.isDefault) {
            menu->setDefaultAction(action);
        }
    }
    return menu;
}

void CFontListCommands::ShowMenu(const QPoint& viewportPos) {
    const QModelIndex index = m_view.indexAt(viewportPos);
    std::unique_ptr<QMenu> menu = MenuFor(index.isValid() ? index.row() : -1);
    if (menu == nullptr) {
        return;
    }
    m_hooks.showMenu(*menu, m_view.viewport()->mapToGlobal(viewportPos));
    m_hotRow = -1;
}

// ---------------------------------------------------------------- rows

const CFontItem* CFontListCommands::ItemAt(int row) const {
    return m_rows.ItemAt(row);
}

std::vector<int> CFontListCommands::SelectedRows() const {
    std::vector<int> rows;
    if (m_view.selectionModel() == nullptr) {
        return rows;
    }
    for (const QModelIndex& index : m_view.selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<CFontHandle> CFontListCommands::SelectedFonts() const {
    std::vector<CFontHandle> fonts;
    for (int row : SelectedRows()) {
        if (CFontHandle font = m_rows.FontAt(row)) {
            fonts.push_back(std::move(font));
        }
    }
    return fonts;
}

bool CFontListCommands::ProjectMode() const {
    return MainList() && m_document.IsProjectMode();
}

// ---------------------------------------------------------------- one row

void CFontListCommands::Open(int row) {
    const CFontItem* item = ItemAt(row);
    if (item != nullptr && item->GetStatus() == CFontItem::Loaded &&
        !m_hooks.open(PathText(item->GetPath()))) {
        TellNoOpener(row);
    }
}

void CFontListCommands::TellNoOpener(int row) {
    const QString file = PathText(ItemAt(row)->GetFileName());
    const QString text =
        tr("\u201C%1\u201D cannot be opened: no program is set for font files on this "
           "desktop.")
            .arg(file);
    const auto information = m_added.find(FontListCommand::FontInformation);
    if (information == m_added.end()) {
        m_hooks.tell(tr("Open"), text);
    } else if (m_hooks.ask(tr("Open"), text + QStringLiteral("\n\n") +
                                           tr("Show the font information instead?"))) {
        information->second(row);
    }
}

void CFontListCommands::OpenInFileManager(int row) {
    const CFontItem* item = ItemAt(row);
    if (item != nullptr && item->GetStatus() == CFontItem::Loaded) {
        m_hooks.showInFileManager({PathText(item->GetPath())});
    }
}

void CFontListCommands::Properties(int row) {
    if (const CFontItem* item = ItemAt(row)) {
        m_hooks.showProperties(PathText(item->GetPath()), InfoRows(*item));
    }
}

void CFontListCommands::GoToContainingFolder(int row) {
    const CFontItem* item = ItemAt(row);
    if (item == nullptr) {
        return;
    }
    const QString folder = PathText(item->GetPath().parent_path());
    const QString file = PathText(item->GetFileName());
    m_hub.FireFolderSelected(folder, &file);
    // A search window's font is shown in the main window, which comes up.
    if (QWidget* main = !MainList() ? Window()->parentWidget() : nullptr) {
        main->window()->raise();
        main->window()->activateWindow();
    }
}

void CFontListCommands::WhatsWrong() {
    m_hooks.showHelp(HelpContext::UnreadableFontFile);
}

bool CFontListCommands::HandleKey(QKeyEvent& key) {
    if (key.modifiers() != Qt::NoModifier && key.modifiers() != Qt::KeypadModifier) {
        return false;
    }
    switch (key.key()) {
        case Qt::Key_Delete:
            // Consumed even when nothing is selected.
            if (!SelectedRows().empty()) {
                Delete();
            }
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Open(m_view.currentIndex().row());
            return true;
        default:
            return false;
    }
}

}  // namespace Quillmark
