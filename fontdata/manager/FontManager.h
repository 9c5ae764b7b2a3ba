#pragma once

// The single owner of every font item of the program. Windows and workers
// ask for a file by path and get the one item for it, read once; the
// manager counts holders and drops an item when the last one lets go.
//
// Many threads may acquire at once: one item per path however many ask for
// it, and different files are read in parallel. A thread that asks for a
// file another thread is reading waits for that item.
//
// The observer (ReleaseFont, FontDiscarded, FontRemoved) is called only on
// the thread that made the manager, the user-interface thread.

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FontManagerObserver.h"

namespace Quillmark {

class CFontManager;

// One use of a font item, given back when the last copy is dropped.
using CFontHandle = std::shared_ptr<CFontItem>;

class CFontManager {
public:
    // `observer` may be null (tools without windows); `system` may be null.
    CFontManager(IFontManagerObserver* observer, Platform::IFontSystem* system,
                 CFontItemSettings settings = {});
    ~CFontManager();
    CFontManager(const CFontManager&) = delete;
    CFontManager& operator=(const CFontManager&) = delete;

    // The settings new items are made with.
    void SetItemSettings(const CFontItemSettings& settings);
    CFontItemSettings GetItemSettings() const;

    // The item of `path` with one more user, read now when nobody holds it.
    CFontItem* Acquire(const std::filesystem::path& path);
    // `item` with one more user, or null when the manager does not hold it.
    CFontItem* Retain(const CFontItem* item);
    // Gives one use back; returns the new count (0 for an unknown item).
    // At 0 the item is discarded: FontDiscarded, made private, dropped.
    int Release(const CFontItem* item);
    bool Contains(const CFontItem* item) const;
    // Asks every holder to let the item go (ReleaseFont); true when all
    // did, or when the manager does not hold it.
    bool CanRelease(const CFontItem* item);
    // The file left its folder: FontRemoved, then the item is dropped
    // whatever its count. Nothing for a path that is not open.
    void RemoveFile(const std::filesystem::path& path);
    // Shares or unshares every item (installed ones ignore it).
    void ShareAll(bool share);
    bool IsSharedAll() const;
    bool HasFontsUnder(const std::string& folder) const;
    void ReleaseFontsUnder(const std::string& folder);

    // A handle on one more use of `item` (null when not held).
    CFontHandle Hold(const CFontItem* item);
    // Wraps a use the caller already has (from Acquire) in a handle.
    CFontHandle Adopt(CFontItem* item);

    std::size_t Count() const;
    // Where shared fonts go (may be null).
    Platform::IFontSystem* FontSystem() const { return m_system; }

private:
    struct Pending;
    void Drop(const CFontItem* item);  // m_lock held
    bool OnOwnerThread() const { return std::this_thread::get_id() == m_ownerThread; }

    IFontManagerObserver* const m_observer;
    Platform::IFontSystem* const m_system;
    const std::thread::id m_ownerThread;

    // Re-entrant: slots of ReleaseFont call Release on the same thread.
    mutable std::recursive_mutex m_lock;
    // Guarded by m_lock:
    std::unordered_map<const CFontItem*, std::shared_ptr<CFontItem>> m_items;
    std::unordered_map<std::string, CFontItem*> m_byPath;
    std::unordered_map<std::string, std::shared_ptr<Pending>> m_reading;  // being read now
    CFontItemSettings m_settings;
    bool m_sharedAll = false;
    bool m_batch = false;  // set while ReleaseFontsUnder walks its items
};

}  // namespace Quillmark
