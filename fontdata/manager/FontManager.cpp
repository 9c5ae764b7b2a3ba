#include "fontdata/manager/FontManager.h"

namespace Quillmark {

// A file being read by one thread, waited for by the others.
struct CFontManager::Pending {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;  // guarded by mutex
};

CFontManager::CFontManager(IFontManagerObserver* observer, Platform::IFontSystem* system,
                           CFontItemSettings settings)
    : m_observer(observer),
      m_system(system),
      m_ownerThread(std::this_thread::get_id()),
      m_settings(settings) {}

CFontManager::~CFontManager() = default;

void CFontManager::SetItemSettings(const CFontItemSettings& settings) {
    std::lock_guard lock(m_lock);
    m_settings = settings;
}

CFontItemSettings CFontManager::GetItemSettings() const {
    std::lock_guard lock(m_lock);
    return m_settings;
}

CFontItem* CFontManager::Acquire(const std::filesystem::path& path) {
    std::unique_lock lock(m_lock);
    for (;;) {
        if (const auto it = m_byPath.find(path.native()); it != m_byPath.end()) {
            it->second->AddUser();
            return it->second;
        }
        const auto reading = m_reading.find(path.native());
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
    m_reading.emplace(path.native(), pending);
    const CFontItemSettings settings = m_settings;
    lock.unlock();

    // Read without the lock, so that different files are read in parallel.
    std::shared_ptr<CFontItem> item;
    try {
        item = std::make_shared<CFontItem>(path, settings, m_system);
    } catch (...) {
        lock.lock();
        m_reading.erase(path.native());
        lock.unlock();
        {
            std::lock_guard done(pending->mutex);
            pending->finished = true;
        }
        pending->done.notify_all();
        throw;
    }

    lock.lock();
    CFontItem* raw = item.get();
    m_items.emplace(raw, std::move(item));
    m_byPath.emplace(path.native(), raw);
    m_reading.erase(path.native());
    lock.unlock();
    {
        std::lock_guard done(pending->mutex);
        pending->finished = true;
    }
    pending->done.notify_all();
    return raw;
}

CFontItem* CFontManager::Retain(const CFontItem* item) {
    std::lock_guard lock(m_lock);
    const auto it = m_items.find(item);
    if (it == m_items.end()) {
        return nullptr;
    }
    it->second->AddUser();
    return it->second.get();
}

int CFontManager::Release(const CFontItem* item) {
    std::lock_guard lock(m_lock);
    const auto it = m_items.find(item);
    if (it == m_items.end()) {
        return 0;
    }
    CFontItem* held = it->second.get();
    const int count = held->RemoveUser();
    if (count == 0) {
        // Off the user-interface thread no window can hold the item (every
        // window holds a use), so there is nobody to tell.
        if (m_observer != nullptr && OnOwnerThread()) {
            m_observer->FontDiscarded(held);
        }
        held->SetShared(false);
        Drop(held);
    }
    return count;
}

void CFontManager::Drop(const CFontItem* item) {
    const auto it = m_items.find(item);
    if (it == m_items.end()) {
        return;
    }
    m_byPath.erase(it->second->GetPath().native());
    m_items.erase(it);  // the item ends here unless a caller holds a copy
}

bool CFontManager::Contains(const CFontItem* item) const {
    std::lock_guard lock(m_lock);
    return m_items.count(item) != 0;
}

bool CFontManager::CanRelease(const CFontItem* item) {
    std::lock_guard lock(m_lock);
    const auto it = m_items.find(item);
    if (it == m_items.end()) {
        return true;
    }
    const int users = it->second->GetUseCount();
    const int released = m_observer != nullptr ? m_observer->ReleaseFont(item) : 0;
    return released == users;
}

void CFontManager::RemoveFile(const std::filesystem::path& path) {
    CFontItem* item = nullptr;
    {
        std::lock_guard lock(m_lock);
        const auto it = m_byPath.find(path.native());
        if (it == m_byPath.end()) {
            return;
        }
        item = it->second;
    }
    if (m_observer != nullptr) {
        m_observer->FontRemoved(item);
    }
    std::lock_guard lock(m_lock);
    Drop(item);
}

void CFontManager::ShareAll(bool share) {
    std::lock_guard lock(m_lock);
    m_sharedAll = share;
    Platform::CFontSystemBatch batch(m_system);
    for (const auto& [key, item] : m_items) {
        item->SetShared(share);
    }
}

bool CFontManager::IsSharedAll() const {
    std::lock_guard lock(m_lock);
    return m_sharedAll;
}

bool CFontManager::HasFontsUnder(const std::string& folder) const {
    std::lock_guard lock(m_lock);
    for (const auto& [key, item] : m_items) {
        if (item->IsUnder(folder)) {
            return true;
        }
    }
    return false;
}

void CFontManager::ReleaseFontsUnder(const std::string& folder) {
    std::lock_guard lock(m_lock);
    // Walk a list made before any item is dropped; items that went meanwhile
    // (another holder's release) are skipped.
    std::vector<const CFontItem*> under;
    for (const auto& [key, item] : m_items) {
        if (item->IsUnder(folder)) {
            under.push_back(key);
        }
    }
    m_batch = true;
    Platform::CFontSystemBatch sharing(m_system);
    for (const CFontItem* item : under) {
        if (m_items.count(item) != 0) {
            CanRelease(item);
        }
    }
    m_batch = false;
}

CFontHandle CFontManager::Adopt(CFontItem* item) {
    if (item == nullptr) {
        return nullptr;
    }
    return CFontHandle(item, [this](CFontItem* held) { Release(held); });
}

CFontHandle CFontManager::Hold(const CFontItem* item) {
    return Adopt(Retain(item));
}

std::size_t CFontManager::Count() const {
    std::lock_guard lock(m_lock);
    return m_byPath.size();
}

}  // namespace Quillmark
