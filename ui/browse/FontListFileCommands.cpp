#include "ui/browse/FontListCommands.h"

#include <QDir>
#include <QPointer>
#include <algorithm>

#include "core/PathText.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "platform/Files.h"
#include "platform/desktop/Trash.h"
#include "ui/common/FontRows.h"

namespace Quillmark {

// ---------------------------------------------------------------- install

void CFontListCommands::Install() {
    std::vector<CFontHandle> fonts = SelectedFonts();
    if (fonts.empty()) {
        return;
    }
    // Only a font the reader could read is installed: a corrupt or empty
    // file in the fonts folder would only be a broken font for every
    // program. The others are named, each with what is wrong with it.
    QStringList unreadable;
    std::erase_if(fonts, [&](const CFontHandle& font) {
        if (font->GetStatus() == CFontItem::Loaded) {
            return false;
        }
        unreadable.append(
            tr("“%1” (%2)")
                .arg(ShownPath(font->GetFileName()) + QString::fromStdString(font->GetFaceSuffix()),
                     QString::fromStdU16String(font->GetDisplayName())));
        return true;
    });
    const auto tellUnreadable = [&] {
        if (!unreadable.isEmpty()) {
            m_hooks.tell(tr("Install Fonts"),
                         tr("These files were not installed because they cannot be read as "
                            "fonts:\n%1")
                             .arg(unreadable.join(u'\n')));
        }
    };
    if (fonts.empty()) {
        tellUnreadable();
        return;
    }
    const bool one = fonts.size() == 1;
    if (!m_hooks.ask(one ? tr("Install Font?") : tr("Install Fonts?"),
                     one ? tr("Are you sure you would like to install this font?")
                         : tr("Are you sure you would like to install these fonts?"))) {
        return;
    }
    const QString folder = m_document.GetFontsFolder();
    if (Platform::MakeFolders(FilePath(folder))) {
        m_hooks.tell(tr("Install Fonts"), tr("The fonts folder \u201C%1\u201D cannot be made.")
                                              .arg(QDir::toNativeSeparators(folder)));
        return;
    }
    // A collection is copied once, however many of its faces are selected.
    QStringList sources;
    std::vector<std::vector<CFontHandle>> faces;  // of each source
    for (CFontHandle& font : fonts) {
        const QString path = PathText(font->GetPath());
        const qsizetype at = sources.indexOf(path);
        if (at >= 0) {
            faces[static_cast<std::size_t>(at)].push_back(std::move(font));
        } else {
            sources.append(path);
            faces.push_back({std::move(font)});
        }
    }
    // A hasty Enter skips the font that is there already: keeping both would
    // install it twice.
    const Platform::TransferResult result =
        Platform::TransferFiles(sources, folder, Platform::TransferMode::Copy,
                                m_hooks.conflictAsker(Platform::ConflictChoice::Skip));
    // The transfer goes in order and stops at a failure or a cancel: the
    // first created + skipped sources were dealt with.
    const auto handled = static_cast<std::size_t>(result.created.size() + result.skipped.size());
    for (std::size_t i = 0; i < std::min(handled, faces.size()); ++i) {
        if (!result.skipped.contains(sources[static_cast<qsizetype>(i)])) {
            for (const CFontHandle& face : faces[i]) {
                face->MarkInstalled();
            }
        }
    }
    if (!result.created.isEmpty()) {
        m_hooks.refreshFontCache(folder);
    }
    if (!result.failedSource.isEmpty()) {
        m_hooks.tell(tr("Install Fonts"),
                     tr("\u201C%1\u201D could not be installed: %2")
                         .arg(ShownPath(FilePath(result.failedSource)), result.failure));
    }
    tellUnreadable();
}

// ---------------------------------------------------------------- projects

void CFontListCommands::AddToProject() {
    QStringList paths;
    for (int row : SelectedRows()) {
        const CFontItem* item = ItemAt(row);
        if (item != nullptr && item->GetStatus() == CFontItem::Loaded) {
            paths.append(PathText(item->GetPath()));
        }
    }
    if (paths.isEmpty() || !m_hooks.chooseProject || !m_hooks.addToProject) {
        return;
    }
    const QString project = m_hooks.chooseProject();
    if (project.isEmpty()) {
        return;
    }
    const bool one = paths.size() == 1;
    m_hooks.addToProject(
        project, paths, [self = QPointer(this), project, one](const QStringList& added) {
            if (!self || !added.isEmpty()) {
                return;
            }
            self->m_hooks.tell(
                tr("Add to Project"),
                one ? tr("The font is in the project \u201C%1\u201D already.").arg(project)
                    : tr("The fonts are in the project \u201C%1\u201D already.").arg(project));
        });
}

// ---------------------------------------------------------------- delete

void CFontListCommands::Delete() {
    if (ProjectMode()) {
        RemoveFromProject();
    } else {
        DeleteFiles();
    }
}

void CFontListCommands::DeleteFiles() {
    if ((MainList() && m_fontsFolderShown) || SelectedRows().empty()) {
        return;
    }
    // A file goes whole: a face of a collection takes the file's other
    // faces with it, and the question names them.
    std::vector<std::filesystem::path> files;
    QStringList collections;
    for (int row : SelectedRows()) {
        const CFontItem* item = ItemAt(row);
        if (item == nullptr ||
            std::find(files.begin(), files.end(), item->GetPath()) != files.end()) {
            continue;
        }
        files.push_back(item->GetPath());
        if (item->GetFaceCount() > 1) {
            collections.append(FacesText(*item));
        }
    }
    if (files.empty() || !m_hooks.confirmDelete(static_cast<int>(files.size()), collections)) {
        return;
    }
    m_hub.FireFontSelected(nullptr);

    // Every font is let go before any file is touched: one that some
    // window keeps stops the whole command, and its rows come back.
    struct CGoing {
        std::shared_ptr<const CFontItem> record;  // not a use: the item stays known
        std::filesystem::path path;
        std::uint32_t face = 0;
    };
    std::vector<CGoing> going;
    for (const std::filesystem::path& file : files) {
        for (const auto& record : m_manager.FacesOf(file)) {
            if (const CFontHandle font = m_manager.Hold(record.get())) {
                font->MakeTemporarilyPrivate();
            }
            going.push_back({record, file, record->GetFace()});
        }
    }
    bool released = true;
    for (const CGoing& font : going) {
        m_rows.RemoveFont(font.record.get());
        if (!m_manager.CanRelease(font.record.get())) {
            released = false;
            break;
        }
    }
    if (!released) {
        std::vector<CFontHandle> back;
        for (const CGoing& font : going) {
            // Still held by the window that kept it, or read again.
            CFontHandle handle = m_manager.Hold(font.record.get());
            if (handle != nullptr) {
                handle->RestoreSharing();
            } else if (Platform::EntryExists(font.path)) {
                handle = m_manager.Open(font.path, font.face);
            }
            if (handle != nullptr && m_rows.RowOf(handle.get()) < 0) {
                back.push_back(std::move(handle));
            }
        }
        m_rows.AddFonts(std::move(back));
        m_hooks.tell(tr("Delete"), tr("The fonts are in use in another window and were not "
                                      "deleted. Close the window that shows them and try again."));
        return;
    }

    const std::vector<std::filesystem::path>& paths = files;
    // A file that stays gets back the rows of each of its faces.
    const auto keep = [this](const std::filesystem::path& path, std::vector<CFontHandle>& into) {
        CFontHandle first = m_manager.Open(path);
        const std::uint32_t faces = first->GetFaceCount();
        into.push_back(std::move(first));
        for (std::uint32_t face = 1; face < faces; ++face) {
            into.push_back(m_manager.Open(path, face));
        }
    };
    QStringList failures;
    std::vector<CFontHandle> stayed;
    std::vector<std::filesystem::path> gone;
    for (const Platform::TrashOutcome& outcome : Platform::MoveToTrash(paths)) {
        if (outcome.moved) {
            gone.push_back(outcome.path);
            continue;
        }
        QString why = QString::fromStdString(outcome.moved.Failure().Reason());
        const bool exists = Platform::EntryExists(outcome.path);
        if (exists && m_hooks.askDeleteForGood(PathText(outcome.path), why)) {
            const CResult<> deleted = Platform::DeletePermanently(outcome.path);
            if (deleted) {
                gone.push_back(outcome.path);
                continue;
            }
            why = QString::fromStdString(deleted.Failure().Reason());
        } else if (exists) {
            keep(outcome.path, stayed);  // the user kept it
            continue;
        }
        failures.append(tr("\u201C%1\u201D: %2").arg(ShownPath(outcome.path), why));
        // Files still there get their rows back.
        if (Platform::EntryExists(outcome.path)) {
            keep(outcome.path, stayed);
        }
    }
    m_rows.AddFonts(std::move(stayed));
    // Every list that shows a font of a file that went lets it go; the main
    // list does so also while a search window deletes.
    for (const std::filesystem::path& path : gone) {
        m_manager.RemoveFile(path);
    }
    if (!failures.isEmpty()) {
        m_hooks.tell(
            tr("Delete"),
            tr("These files could not be deleted:\n%1").arg(failures.join(QLatin1Char('\n'))));
    }
}

QString CFontListCommands::FacesText(const CFontItem& face) const {
    // The faces' names as the list shows them; a face nobody holds is read
    // for its name.
    QStringList names;
    const auto held = m_manager.FacesOf(face.GetPath());
    for (std::uint32_t index = 0; index < face.GetFaceCount(); ++index) {
        const auto it = std::find_if(held.begin(), held.end(), [&](const auto& record) {
            return record->GetFace() == index;
        });
        if (it != held.end()) {
            names.append(QString::fromStdU16String((*it)->GetDisplayName()));
        } else {
            const CFontItem read(face.GetPath(), {}, nullptr, index);
            names.append(QString::fromStdU16String(read.GetDisplayName()));
        }
    }
    return tr("\u201C%1\u201D holds %n fonts, which go with it: %2", nullptr,
              static_cast<int>(face.GetFaceCount()))
        .arg(ShownPath(face.GetFileName()), names.join(QStringLiteral(", ")));
}

void CFontListCommands::RemoveFromProject() {
    if (SelectedRows().empty()) {
        return;
    }
    if (!m_hooks.ask(tr("Remove fonts from project?"),
                     tr("Are you sure you want to remove the selected font(s) from this Font "
                        "Project?"))) {
        return;
    }
    m_hub.FireFontSelected(nullptr);
    for (const CFontHandle& font : SelectedFonts()) {
        m_hub.FireRemoveFontFromProject(font.get());
        m_rows.RemoveFont(font.get());
    }
}

}  // namespace Quillmark
