#include "fontdata/manager/FontManager.h"

#include <algorithm>

namespace Quillmark {

// A file being read by one thread, waited for by the others.
struct CFontManager::Pending {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;  // guarded by mutex
};

namespace {

// What a handle holds: the record, and the use it gives back when the last
// copy of the handle goes.
struct CUse {
    std::shared_ptr<CFontItem> record;
    std::weak_ptr<CFontManager*> manager;

    CUse(std::shared_ptr<CFontItem> held, std::weak_ptr<CFontManager*> owner)
        : record(std::move(held)), manager(std::move(owner)) {}
    ~CUse() {
        if (const auto owner = manager.lock()) {
            (*owner)->Release(record.get());
        }
    }
    CUse(const CUse&) = delete;
    CUse& operator=(const CUse&) = delete;
};

}  // namespace

CFontManager::CFontManager(IFontManagerObserver* observer, Platform::IFontSystem* system,
                           CFontItemSettings settings)
    : m_observer(observer),
      m_system(system),
      m_self(std::make_shared<CFontManager*>(this)),
      m_settings(settings) {}

CFontManager::~CFontManager() {
    m_self.reset();
}

void CFontManager::SetItemSettings(const CFontItemSettings& settings) {
    std::lock_guard lock(m_lock);
    m_settings = settings;
}

std::shared_ptr<CFontItem> CFontManager::AcquireRecord(const std::filesystem::path& path,
                                                       std::uint32_t face) {
    const FaceKey key{path.native(), face};
    const std::pair<std::string, std::uint32_t> readingKey{path.native(), face};
    std::unique_lock lock(m_lock);
    for (;;) {
        if (const auto it = m_byPath.find(key); it != m_byPath.end()) {
            Entry& entry = m_items.at(it->second);
            entry.item->AddUser();
            return entry.item;
        }
        const auto reading = m_reading.find(readingKey);
        if (reading == m_reading.end()) {
            break;
        }
        // Another thread reads this file: wait for its item, then look again.
        const std::shared_ptr<Pending> pending = reading->second;
        lock.unlock();
        {
            std::unique_lock wait(pending->mutex);
            pending->done.wait(wait, [&] { return pending->finished; });
        }
        lock.lock();
    }

    auto pending = std::make_shared<Pending>();
    m_reading.emplace(readingKey, pending);
    const CFontItemSettings settings = m_settings;
    lock.unlock();

    const auto finish = [&] {
        {
            std::lock_guard done(pending->mutex);
            pending->finished = true;
        }
        pending->done.notify_all();
    };

    // Read without the lock, so that different files are read in parallel.
    std::shared_ptr<CFontItem> item;
    try {
        item = std::make_shared<CFontItem>(path, settings, m_system, face);
    } catch (...) {
        lock.lock();
        m_reading.erase(readingKey);
        lock.unlock();
        finish();
        throw;
    }

    lock.lock();
    CFontItem* raw = item.get();
    m_items.emplace(raw, Entry{item, m_nextOrder++});
    m_byPath.emplace(FaceKey{raw->GetPathText(), face}, raw);
    m_faceBound = std::max(m_faceBound, face + 1);
    m_reading.erase(readingKey);
    lock.unlock();
    finish();
    return item;
}

CFontItem* CFontManager::Acquire(const std::filesystem::path& path, std::uint32_t face) {
    return AcquireRecord(path, face).get();
}

CFontHandle CFontManager::Open(const std::filesystem::path& path, std::uint32_t face) {
    return MakeHandle(AcquireRecord(path, face));
}

CFontHandle CFontManager::MakeHandle(std::shared_ptr<CFontItem> record) {
    if (record == nullptr) {
        return nullptr;
    }
    CFontItem* const raw = record.get();
    auto use = std::make_shared<CUse>(std::move(record), m_self);
    return CFontHandle(std::move(use), raw);
}

CFontHandle CFontManager::Hold(const CFontItem* item) {
    std::shared_ptr<CFontItem> record;
    {
        std::lock_guard lock(m_lock);
        const auto it = m_items.find(item);
        if (it == m_items.end()) {
            return nullptr;
        }
        it->second.item->AddUser();
        record = it->second.item;
    }
    return MakeHandle(std::move(record));
}

std::shared_ptr<const CFontItem> CFontManager::Find(const CFontItem* item) const {
    std::lock_guard lock(m_lock);
    const auto it = m_items.find(item);
    return it == m_items.end() ? nullptr : it->second.item;
}

int CFontManager::Release(const CFontItem* item) {
    std::shared_ptr<CFontItem> dropped;
    int count = 0;
    {
        std::lock_guard lock(m_lock);
        const auto it = m_items.find(item);
        if (it == m_items.end()) {
            return 0;
        }
        // The count reaches 0 and the item leaves the tables in one step, so
        // that a concurrent Acquire either finds it with its use or reads anew.
        count = it->second.item->RemoveUser();
        if (count == 0) {
            dropped = Drop(item);
        }
    }
    if (dropped != nullptr) {
        if (m_observer != nullptr) {
            m_observer->FontDiscarded(dropped);
        }
        Platform::CFontSystemBatch batch(m_system);
        dropped->SetShared(false);
    }
    return count;
}

std::shared_ptr<CFontItem> CFontManager::Drop(const CFontItem* item) {
    const auto it = m_items.find(item);
    if (it == m_items.end()) {
        return nullptr;
    }
    std::shared_ptr<CFontItem> record = std::move(it->second.item);
    m_byPath.erase(FaceKey{record->GetPathText(), record->GetFace()});
    m_items.erase(it);
    return record;
}

bool CFontManager::Contains(const CFontItem* item) const {
    std::lock_guard lock(m_lock);
    return m_items.count(item) != 0;
}

bool CFontManager::CanRelease(const CFontItem* item) {
    std::shared_ptr<CFontItem> record;  // alive while the holders are asked
    int users = 0;
    {
        std::lock_guard lock(m_lock);
        const auto it = m_items.find(item);
        if (it == m_items.end()) {
            return true;
        }
        record = it->second.item;
        users = record->GetUseCount();
    }
    const int released = m_observer != nullptr ? m_observer->ReleaseFont(item) : 0;
    return released == users;
}

std::vector<std::shared_ptr<CFontItem>> CFontManager::FacesLocked(
    const std::filesystem::path& path) const {
    std::vector<std::shared_ptr<CFontItem>> records;
    // A file of one face is one look; a collection's faces are looked for
    // up to the highest face index held.
    for (std::uint32_t face = 0; face < m_faceBound; ++face) {
        if (const auto it = m_byPath.find(FaceKey{path.native(), face}); it != m_byPath.end()) {
            records.push_back(m_items.at(it->second).item);
        }
    }
    return records;
}

std::vector<std::shared_ptr<const CFontItem>> CFontManager::FacesOf(
    const std::filesystem::path& path) const {
    std::lock_guard lock(m_lock);
    const auto records = FacesLocked(path);
    return {records.begin(), records.end()};
}

void CFontManager::RemoveFile(const std::filesystem::path& path) {
    std::vector<std::shared_ptr<CFontItem>> records;
    {
        std::lock_guard lock(m_lock);
        records = FacesLocked(path);
    }
    for (const auto& record : records) {
        if (m_observer != nullptr) {
            m_observer->FontRemoved(record.get());
        }
        std::shared_ptr<CFontItem> dropped;
        {
            std::lock_guard lock(m_lock);
            dropped = Drop(record.get());
        }
    }
    // The records let go here, after the lock: an item whose last holder
    // was the manager unregisters itself now.
}

std::vector<std::shared_ptr<CFontItem>> CFontManager::ItemsInOrder(const std::string* under) const {
    std::vector<const Entry*> entries;
    entries.reserve(m_items.size());
    for (const auto& [key, entry] : m_items) {
        if (under == nullptr || entry.item->IsUnder(*under)) {
            entries.push_back(&entry);
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry* a, const Entry* b) { return a->order < b->order; });
    std::vector<std::shared_ptr<CFontItem>> items;
    items.reserve(entries.size());
    for (const Entry* entry : entries) {
        items.push_back(entry->item);
    }
    return items;
}

void CFontManager::ShareAll(bool share) {
    Platform::CFontSystemBatch batch(m_system);
    std::vector<std::shared_ptr<CFontItem>> items;
    {
        std::lock_guard lock(m_lock);
        m_sharedAll = share;
        items = ItemsInOrder(nullptr);
    }
    for (const auto& item : items) {
        item->SetShared(share);
    }
}

bool CFontManager::IsSharedAll() const {
    std::lock_guard lock(m_lock);
    return m_sharedAll;
}

bool CFontManager::HasFontsUnder(const std::string& folder) const {
    std::lock_guard lock(m_lock);
    return std::any_of(m_items.begin(), m_items.end(),
                       [&](const auto& entry) { return entry.second.item->IsUnder(folder); });
}

void CFontManager::ReleaseFontsUnder(const std::string& folder) {
    // Fonts unshared on the way reach other applications together.
    Platform::CFontSystemBatch sharing(m_system);
    std::vector<std::shared_ptr<CFontItem>> under;
    {
        std::lock_guard lock(m_lock);
        under = ItemsInOrder(&folder);
    }
    for (const auto& item : under) {
        if (Contains(item.get())) {  // another holder's release may have dropped it
            CanRelease(item.get());
        }
    }
}

void CFontManager::Reserve(std::size_t files) {
    std::lock_guard lock(m_lock);
    m_items.reserve(m_items.size() + files);
    m_byPath.reserve(m_byPath.size() + files);
}

std::size_t CFontManager::Count() const {
    std::lock_guard lock(m_lock);
    return m_byPath.size();
}

std::vector<std::string> CFontManager::Paths() const {
    std::lock_guard lock(m_lock);
    std::vector<std::string> paths;
    paths.reserve(m_byPath.size());
    for (const auto& [key, item] : m_byPath) {
        paths.emplace_back(key.path);
    }
    return paths;
}

}  // namespace Quillmark
