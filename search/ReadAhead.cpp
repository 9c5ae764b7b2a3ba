#include "search/ReadAhead.h"

namespace Quillmark {

CReadAhead::CReadAhead(Opener open, unsigned helpers) : m_open(std::move(open)) {
    for (unsigned i = 0; i < helpers; ++i) {
        m_helpers.emplace_back([this] { Help(); });
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
        std::unique_lock lock(m_mutex);
        m_consumed = i;
        if (m_next <= i) {
            // Nobody has claimed it: read it here.
            m_next = i + 1;
            lock.unlock();
            m_work.notify_all();
            try {
                font = m_open(files[i]);
            } catch (const std::exception&) {
                // As for a helper: no font here.
            }
        } else {
            m_ready.wait(lock, [&] { return m_read[i] != 0; });
            font = std::move(m_fonts[i]);
            lock.unlock();
            m_work.notify_all();
        }
        each(font);
    }
    // Stop the helpers claiming, wait for those still reading, and let go
    // of what was read ahead and never taken.
    std::vector<CFontHandle> unused;
    {
        std::unique_lock lock(m_mutex);
        m_next = files.size();
        m_ready.wait(lock, [&] { return m_reading == 0; });
        m_files = nullptr;
        unused.swap(m_fonts);
        m_read.clear();
    }
}

void CReadAhead::Help() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_work.wait(lock, [&] {
            return m_quit || (m_files != nullptr && m_next < m_files->size() &&
                              m_next < m_consumed + kWindow);
        });
        if (m_quit) {
            return;
        }
        const std::size_t index = m_next++;
        const std::filesystem::path path = (*m_files)[index];
        ++m_reading;
        lock.unlock();
        CFontHandle font;
        try {
            font = m_open(path);
        } catch (const std::exception&) {
            // Out of memory for this font: the tester meets no font here.
        }
        lock.lock();
        m_fonts[index] = std::move(font);
        m_read[index] = 1;
        --m_reading;
        m_ready.notify_all();
    }
}

}  // namespace Quillmark
