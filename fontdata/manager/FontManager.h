#pragma once

// The single owner of every font item of the program. Windows and workers
// ask for a face of a file by path and face index and get the one item for
// it, read once; the manager counts holders and drops an item when the last
// one lets go.
//
// Many threads may acquire at once: one item per face however many ask for
// it, and different faces are read in parallel. A thread that asks for a
// face another thread is reading waits for that item.
//
// The manager's lock guards its tables only: no file is read, no observer
// is called and no font is shared or unshared while it is held.

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FontManagerObserver.h"

namespace Quillmark {

// One use of a font item. Copies share the use; the last copy gives it back
// to the manager. A handle also keeps the item itself alive: after the
// manager has dropped the item (its file was removed), the handle still
// points at the same live item, and giving its use back touches no other.
using CFontHandle = std::shared_ptr<CFontItem>;

class CFontManager {
public:
    // `observer` may be null (tools without windows); `system` may be null.
    CFontManager(IFontManagerObserver* observer, Platform::IFontSystem* system,
                 CFontItemSettings settings = {});
    // Handles that outlive the manager give nothing back.
    ~CFontManager();
    CFontManager(const CFontManager&) = delete;
    CFontManager& operator=(const CFontManager&) = delete;

    // The settings new items are made with.
    void SetItemSettings(const CFontItemSettings& settings);

    // A handle on the item of face `face` of `path`, read now when nobody
    // holds it.
    CFontHandle Open(const std::filesystem::path& path, std::uint32_t face = 0);
    // A handle on one more use of `item` (null when the manager does not hold it).
    CFontHandle Hold(const CFontItem* item);
    // The item while the manager holds it, without a use: for a holder
    // that must not keep the font but must know it again (the current font).
    std::shared_ptr<const CFontItem> Find(const CFontItem* item) const;
    // The faces of the file that the manager holds, in face order, without
    // a use.
    std::vector<std::shared_ptr<const CFontItem>> FacesOf(const std::filesystem::path& path) const;

    // The item of `path` with one more user, read now when nobody holds it.
    // The caller gives the use back with Release.
    CFontItem* Acquire(const std::filesystem::path& path, std::uint32_t face = 0);
    // Gives one use back; returns the new count (0 for an unknown item).
    // At 0 the item is dropped, made private and FontDiscarded told.
    int Release(const CFontItem* item);
    bool Contains(const CFontItem* item) const;
    // Asks every holder to let the item go (ReleaseFont); true when all
    // did, or when the manager does not hold it.
    bool CanRelease(const CFontItem* item);
    // The file left its folder: FontRemoved for each of its faces held, in
    // face order, then the items are dropped whatever their count. Nothing
    // for a path that is not open.
    void RemoveFile(const std::filesystem::path& path);
    // Shares or unshares every item (installed ones ignore it), in the
    // order the items were made; other applications hear of it once.
    void ShareAll(bool share);
    bool IsSharedAll() const;
    bool HasFontsUnder(const std::string& folder) const;
    // Asks the holders of every item under `folder` to let it go, in the
    // order the items were made.
    void ReleaseFontsUnder(const std::string& folder);

    // The faces held now.
    std::size_t Count() const;
    // The paths of the items held now, in no order, a collection's once
    // for each face held.
    std::vector<std::string> Paths() const;
    // Makes room in the tables for `files` more items at once, so that the
    // workers of a folder load never grow them while they wait for the lock.
    void Reserve(std::size_t files);
    // Where shared fonts go (may be null).
    Platform::IFontSystem* FontSystem() const { return m_system; }

private:
    struct Pending;
    struct Entry {
        std::shared_ptr<CFontItem> item;
        std::uint64_t order = 0;  // creation order
    };
    // A face of a file: the path is a view of the item's own text, or of
    // the caller's while it asks.
    struct FaceKey {
        std::string_view path;
        std::uint32_t face = 0;
        bool operator==(const FaceKey&) const = default;
    };
    struct FaceKeyHash {
        std::size_t operator()(const FaceKey& key) const noexcept {
            return std::hash<std::string_view>()(key.path) ^
                   (std::size_t{key.face} * 0x9E3779B97F4A7C15ull);
        }
    };
    std::shared_ptr<CFontItem> AcquireRecord(const std::filesystem::path& path, std::uint32_t face);
    CFontHandle MakeHandle(std::shared_ptr<CFontItem> record);
    // Takes the item out of the tables; the caller lets it go after unlocking.
    std::shared_ptr<CFontItem> Drop(const CFontItem* item);  // m_lock held
    std::vector<std::shared_ptr<CFontItem>> ItemsInOrder(const std::string* under) const;
    std::vector<std::shared_ptr<CFontItem>> FacesLocked(const std::filesystem::path& path) const;

    IFontManagerObserver* const m_observer;
    Platform::IFontSystem* const m_system;
    // Handles hold it weakly: a handle that outlives the manager finds it gone.
    std::shared_ptr<CFontManager*> m_self;

    mutable std::mutex m_lock;
    // Guarded by m_lock:
    std::unordered_map<const CFontItem*, Entry> m_items;
    std::unordered_map<FaceKey, CFontItem*, FaceKeyHash> m_byPath;  // views of the items' paths
    // Being read now, by path and face.
    std::map<std::pair<std::string, std::uint32_t>, std::shared_ptr<Pending>> m_reading;
    // One more than the highest face index of any item made: the faces a
    // removed file may have open.
    std::uint32_t m_faceBound = 1;
    std::uint64_t m_nextOrder = 0;
    CFontItemSettings m_settings;
    bool m_sharedAll = false;
};

}  // namespace Quillmark
