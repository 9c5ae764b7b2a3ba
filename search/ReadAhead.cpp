#include "search/ReadAhead.h"

#include <algorithm>

namespace Quillmark {

CReadAhead::CReadAhead(Opener open, unsigned helpers) : m_open(std::move(open)), m_done(helpers) {
    for (unsigned i = 0; i < helpers; ++i) {
        m_helpers.emplace_back([this, i] { Help(i); });
    }
}

CReadAhead::~CReadAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_work.notify_all();
    for (auto& helper : m_helpers) {
        helper.join();
    }
}

CFontHandle CReadAhead::Open(const std::filesystem::path& path) const {
    try {
        return m_open(path);
    } catch (const std::exception&) {
        return {};  // out of memory for this font: the tester meets no font here
    }
}

bool CReadAhead::Claimable() const {
    return m_files != nullptr && m_next < m_files->size() && m_next < m_consumed + kWindow;
}

void CReadAhead::ForEach(const std::vector<std::filesystem::path>& files,
                         const std::function<bool()>& keep,
                         const std::function<void(const CFontHandle&)>& each) {
    {
        std::lock_guard lock(m_mutex);
        m_files = &files;
        m_fonts.assign(files.size(), nullptr);
        m_read.assign(files.size(), 0);
        m_next = 0;
        m_consumed = 0;
    }
    m_work.notify_all();
    for (std::size_t i = 0; i < files.size() && keep(); ++i) {
        CFontHandle font;
        unsigned readBy = kByTester;
        std::unique_lock lock(m_mutex);
        m_consumed = i;
        if (m_next <= i) {
            // Nobody has claimed it: read it here.
            m_next = i + 1;
            const bool wake = m_idle > 0 && Claimable();
            lock.unlock();
            if (wake) {
                m_work.notify_one();
            }
            font = Open(files[i]);
        } else {
            // A helper reads it now. Rather than wait idle, read the next
            // file nobody has claimed, as a helper would; wait only when
            // there is none.
            while (m_read[i] == 0) {
                if (Claimable()) {
                    const std::size_t ahead = m_next++;
                    lock.unlock();
                    CFontHandle read = Open(files[ahead]);
                    lock.lock();
                    m_fonts[ahead] = std::move(read);
                    m_read[ahead] = kByTester;
                    continue;
                }
                m_awaited = i;
                m_ready.wait(lock, [&] { return m_read[i] != 0; });
                m_awaited = kNothingAwaited;
            }
            font = std::move(m_fonts[i]);
            readBy = m_read[i];
            // The window moved on by one: a waiting helper may claim it.
            const bool wake = m_idle > 0 && Claimable();
            lock.unlock();
            if (wake) {
                m_work.notify_one();
            }
        }
        each(font);
        if (readBy != kByTester && font != nullptr) {
            std::lock_guard back(m_mutex);
            m_done[readBy - 1].push_back(std::move(font));
        }
    }
    // Stop the helpers claiming, wait for those still reading and for the
    // helpers to let go of what was given back to them, and let go of what
    // was read ahead and never taken.
    std::vector<CFontHandle> unused;
    {
        std::unique_lock lock(m_mutex);
        m_next = files.size();
        m_draining = true;
        lock.unlock();
        m_work.notify_all();  // the helpers let go of what they were given back
        lock.lock();
        m_ready.wait(lock, [&] {
            return m_reading == 0 && m_lettingGo == 0 &&
                   std::all_of(m_done.begin(), m_done.end(),
                               [](const auto& fonts) { return fonts.empty(); });
        });
        m_draining = false;
        m_files = nullptr;
        unused.swap(m_fonts);
        m_read.clear();
    }
}

void CReadAhead::Help(unsigned helper) {
    std::vector<CFontHandle> done;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_done[helper].empty()) {
            done.swap(m_done[helper]);
            ++m_lettingGo;
            lock.unlock();
            done.clear();
            lock.lock();
            --m_lettingGo;
            if (m_draining) {
                m_ready.notify_all();
            }
            continue;
        }
        if (m_quit) {
            return;
        }
        if (!Claimable()) {
            ++m_idle;
            m_work.wait(lock);
            --m_idle;
            continue;
        }
        const std::size_t index = m_next++;
        const std::filesystem::path path = (*m_files)[index];
        ++m_reading;
        // Another file to claim: a sleeping helper takes it.
        const bool wake = m_idle > 0 && Claimable();
        lock.unlock();
        if (wake) {
            m_work.notify_one();
        }
        CFontHandle font = Open(path);
        lock.lock();
        m_fonts[index] = std::move(font);
        m_read[index] = helper + 1;
        --m_reading;
        if (m_awaited == index || m_draining) {
            m_ready.notify_all();
        }
    }
}

}  // namespace Quillmark
