#pragma once

// Makes the folder tree's reads of chosen folders block until released, as
// a folder on a hung network mount would; the hook is taken away (and every
// read let go) when the block goes.

#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "ui/browse/FolderScan.h"

namespace QuillmarkTest {

class CListingBlock {
public:
    explicit CListingBlock(QStringList folders) : m_state(std::make_shared<CState>()) {
        m_state->folders = std::move(folders);
        // The hook holds the state, never the block: a read that took the
        // hook just before the block went still finds it.
        Quillmark::SetListingHookForTests([state = m_state](const QString& folder) {
            std::unique_lock lock(state->mutex);
            if (!state->folders.contains(folder)) {
                return;
            }
            ++state->waiting;
            ++state->entered;
            state->changed.notify_all();
            state->changed.wait(lock, [&state] { return state->released; });
            --state->waiting;
            state->changed.notify_all();
        });
    }
    ~CListingBlock() {
        Release();
        Quillmark::SetListingHookForTests(nullptr);
    }
    CListingBlock(const CListingBlock&) = delete;
    CListingBlock& operator=(const CListingBlock&) = delete;

    void Release() {
        const std::lock_guard lock(m_state->mutex);
        m_state->released = true;
        m_state->changed.notify_all();
    }
    // Reads held now, and held since the block began.
    int Waiting() const {
        const std::lock_guard lock(m_state->mutex);
        return m_state->waiting;
    }
    int Entered() const {
        const std::lock_guard lock(m_state->mutex);
        return m_state->entered;
    }
    // Waits (without the event loop) until no read is held.
    bool WaitNoneHeld(std::chrono::milliseconds limit = std::chrono::seconds(5)) const {
        std::unique_lock lock(m_state->mutex);
        return m_state->changed.wait_for(lock, limit, [this] { return m_state->waiting == 0; });
    }

private:
    struct CState {
        std::mutex mutex;
        std::condition_variable changed;
        QStringList folders;
        bool released = false;
        int waiting = 0;
        int entered = 0;
    };
    std::shared_ptr<CState> m_state;
};

}  // namespace QuillmarkTest
