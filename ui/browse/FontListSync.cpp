#include "ui/browse/FontListController.h"

#include <malloc.h>
#include <chrono>
#include <cstring>

#include "core/PathText.h"
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
#include "ui/common/FolderLoadDialog.h"

namespace Quillmark {

namespace {

// Rows gone at once after which the freed memory is handed back.
constexpr std::size_t kTrimAfterRows = 1000;

}  // namespace

// ---------------------------------------------------------------- the folder watcher

void CFontListController::OnFolderChanged() {
    if (m_job) {
        m_folderChanged = true;  // the list is still being built
        return;
    }
    Resynchronise();
}

void CFontListController::Resynchronise() {
    if (m_projectShown || m_folderPath.isEmpty() || m_job) {
        return;
    }
    if (FolderWasRemoved()) {
        return;
    }
    if (m_sync) {
        m_folderChanged = true;  // taken up when the files that came are listed
        return;
    }
    // Both lists sorted by path, as EnumerateTexts gives the folder's. The
    // rows' items outlive this function: their paths are looked at in place.
    std::vector<std::pair<std::string_view, const CFontItem*>> listed;
    listed.reserve(static_cast<std::size_t>(m_model->rowCount()));
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const CFontItem* item = m_model->ItemAt(row);
        listed.emplace_back(item->GetPathText(), item);
    }
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> present = ListFolder().paths;

    std::vector<const CFontItem*> vanished;
    std::vector<std::string> appeared;  // or changed since its font was read
    auto was = listed.begin();
    for (auto& path : present) {
        for (; was != listed.end() && was->first < path; ++was) {
            vanished.push_back(was->second);
        }
        if (was != listed.end() && was->first == path) {
            if (Platform::CFileStamp::Of(std::filesystem::path(path)) != was->second->GetStamp()) {
                appeared.push_back(path);  // still compared below
            }
            while (was != listed.end() && was->first == path) {
                ++was;  // listed, perhaps more than once
            }
        } else {
            appeared.push_back(std::move(path));
        }
    }
    for (; was != listed.end(); ++was) {
        vanished.push_back(was->second);
    }

    if (!vanished.empty()) {
        // Every window hears of each file that went; this list's rows go
        // together after.
        m_removingVanished = true;
        for (const CFontItem* item : vanished) {
            m_manager.RemoveFile(item->GetPath());
        }
        m_removingVanished = false;
        // The manager has dropped these fonts: letting go of them touches
        // nothing else, and for thousands of them takes tens of
        // milliseconds, which a worker spends instead of the list.
        std::vector<CFontHandle> gone;
        m_model->RemoveItems(vanished, &gone);
        {
            // Shared fonts leave the desktop here, in one refresh.
            Platform::CFontSystemBatch batch(m_manager.FontSystem());
            for (const CFontHandle& font : gone) {
                font->SetShared(false);
            }
        }
        if (m_letGo.valid()) {
            m_letGo.wait();
        }
        m_letGo = std::async(
            std::launch::async,
            [gone = std::move(gone), trim = vanished.size() >= kTrimAfterRows]() mutable {
                gone.clear();
                if (trim) {
                    // The fonts were read on worker threads, whose heaps
                    // keep what they freed: give it back to the system.
                    ::malloc_trim(0);
                }
            });
    }
    if (!appeared.empty()) {
        Settle(appeared);
    }
    ShowStatus(1, QString::fromStdString(CFolderLoad::DisplayedText(
                      static_cast<std::size_t>(m_model->rowCount()), m_model->FileCount())));
}

void CFontListController::Settle(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        // A file already waited for keeps the stamp of its last look.
        m_settling.emplace(path, Platform::CFileStamp::Of(std::filesystem::path(path)));
    }
    if (!m_settling.empty() && !m_settleTimer->isActive()) {
        m_settleTimer->start();
    }
}

// The files waited for that stayed the same since the last look are read;
// the others are looked at again later. A changed file's old font leaves
// every window first, as a font whose file went does, but its row stays
// for the new one.
void CFontListController::OnSettleTick() {
    if (m_sync) {
        m_settleTimer->start();  // one reading at a time
        return;
    }
    std::vector<std::string> whole;
    for (auto it = m_settling.begin(); it != m_settling.end();) {
        const Platform::CFileStamp now = Platform::CFileStamp::Of(std::filesystem::path(it->first));
        if (!now.Exists()) {
            it = m_settling.erase(it);  // gone again: the watcher tells
        } else if (now == it->second) {
            whole.push_back(it->first);
            it = m_settling.erase(it);
        } else {
            it->second = now;
            ++it;
        }
    }
    if (!m_settling.empty()) {
        m_settleTimer->start();
    }
    if (whole.empty()) {
        return;
    }
    {
        Platform::CFontSystemBatch batch(m_manager.FontSystem());
        m_replacing = true;
        for (const std::string& path : whole) {
            std::vector<CFontHandle> old;
            for (const int row : RowsOfPath(path)) {
                old.push_back(m_model->FontAt(row));
            }
            if (old.empty()) {
                continue;
            }
            m_manager.RemoveFile(old.front()->GetPath());
            for (CFontHandle& font : old) {
                // Unshared now: the new font of the same path may be shared.
                font->SetShared(false);
                m_replaced.emplace(std::pair(path, font->GetFace()), std::move(font));
            }
        }
        m_replacing = false;
    }
    StartSync(std::move(whole));
}

std::vector<int> CFontListController::RowsOfPath(const std::string& path) const {
    std::vector<int> rows;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->ItemAt(row)->GetPathText() == path) {
            rows.push_back(row);
        }
    }
    return rows;
}

void CFontListController::StartSync(std::vector<std::string> paths) {
    m_syncId = ++m_lastLoadId;
    m_sync = std::make_unique<CFolderLoad>(m_manager, std::move(paths), m_manager.FontSystem());
    // On a worker thread: only a call queued for the event loop.
    m_sync->SetReadyHandler([this, id = m_syncId] {
        QMetaObject::invokeMethod(
            this, [this, id] { OnSyncRowsReady(id); }, Qt::QueuedConnection);
    });
    if (m_loadSetup) {
        m_loadSetup(*m_sync);
    }
    m_sync->Start();
}

// The files that came are listed when all of them have been read: one
// insertion and one sort.
void CFontListController::OnSyncRowsReady(quint64 id) {
    if (!m_sync || m_syncId != id) {
        OnRowsReady(id);  // a dropped load
        return;
    }
    if (!m_sync->Finished()) {
        return;
    }
    std::unique_ptr<CFolderLoad> sync = std::move(m_sync);
    std::vector<CFontListModel::CNewRow> added;
    const CFontItem* current = nullptr;  // a font read again in the current row
    bool currentReplaced = false;
    for (CFontListModel::CNewRow& row : NewRows(sync->TakeRows())) {
        const auto old = m_replaced.find({row.item->GetPathText(), row.item->GetFace()});
        const int at = old != m_replaced.end() ? m_model->RowOf(old->second.get()) : -1;
        if (old != m_replaced.end()) {
            m_replaced.erase(old);
        }
        if (at < 0) {
            added.push_back(std::move(row));
            continue;
        }
        if (m_view && m_view->currentIndex().isValid() && m_view->currentIndex().row() == at &&
            m_view->selectionModel()->isRowSelected(at, {})) {
            current = row.item.get();
            currentReplaced = true;
        }
        m_model->ReplaceRow(at, std::move(row));
    }
    // Faces the file no longer holds (a collection that lost faces) go.
    std::vector<const CFontItem*> lost;
    for (const auto& [key, font] : m_replaced) {
        lost.push_back(font.get());
    }
    m_model->RemoveItems(lost, nullptr);
    m_replaced.clear();
    m_model->AppendRows(std::move(added));
    if (m_view) {
        m_model->Sort(m_view->SortColumn(), m_view->SortDescending());
    }
    if (currentReplaced) {
        // The panes let go of the old font: they show the new one.
        AnnounceSelection(current->GetStatus() == CFontItem::Loaded ? current : nullptr);
    }
    if (sync->IsOutOfMemory()) {
        ShowOutOfMemory();
    }
    sync.reset();
    ShowStatus(1, QString::fromStdString(CFolderLoad::DisplayedText(
                      static_cast<std::size_t>(m_model->rowCount()), m_model->FileCount())));
    if (m_folderChanged) {
        m_folderChanged = false;
        Resynchronise();
    }
}

void CFontListController::DropSync() {
    m_replaced.clear();
    if (!m_sync) {
        return;
    }
    m_sync->Cancel();
    // Its rows are given back when its workers have ended.
    if (!m_sync->Finished()) {
        m_dropped.emplace_back(m_syncId, std::move(m_sync));
    }
    m_sync.reset();
}

// The folder shown is gone (the watcher heard it go): the user is told,
// and the list moves to the nearest folder above it that is still there.
bool CFontListController::FolderWasRemoved() {
    const std::filesystem::path shown = FilePath(m_folderPath);
    if (Platform::IsFolder(shown)) {
        return false;
    }
    // The path's own bytes: Qt cannot look at a folder whose name is not
    // UTF-8, and would take it for gone.
    std::filesystem::path above = shown.lexically_normal();
    if (!above.has_filename()) {
        above = above.parent_path();  // a trailing separator
    }
    do {
        above = above.parent_path();
    } while (above != above.root_path() && !Platform::IsFolder(above));
    const QString parent = PathText(above);
    m_tell(tr("The folder “%1” was removed or renamed. The list now shows “%2”, the folder that "
              "held it.")
               .arg(ShownPath(FilePath(m_folderPath)), ShownPath(FilePath(parent))));
    m_hub.FireFolderSelected(parent, nullptr);
    return true;
}

std::string CFontListController::ListedFolderPrefix(bool folder) const {
    if (!folder || !m_subfoldersListed) {
        return {};
    }
    std::string prefix = FilePath(m_folderPath).native();
    if (prefix.empty() || prefix.back() != '/') {
        prefix += '/';
    }
    return prefix;
}

}  // namespace Quillmark
