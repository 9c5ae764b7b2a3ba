#pragma once

// Reads the fonts of a list of files ahead of the one thread that tests
// them, so that a search reads as fast as the folder load does while its
// worker still meets every font in the order of the list. Helpers read at
// most a few dozen fonts ahead; a font is read by exactly one thread.

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "fontdata/manager/FontManager.h"

namespace Quillmark {

class CReadAhead {
public:
    using Opener = std::function<CFontHandle(const std::filesystem::path&)>;
    static constexpr std::size_t kWindow = 32;  // fonts read ahead of the tester, at most

    // `helpers` threads besides the caller of ForEach (0: the caller reads
    // alone). `open` is called on any of them.
    CReadAhead(Opener open, unsigned helpers);
    ~CReadAhead();
    CReadAhead(const CReadAhead&) = delete;
    CReadAhead& operator=(const CReadAhead&) = delete;

    // Calls `each` on this thread with the font of every file, in order,
    // while `keep` says so. Returns once no helper reads for it any more.
    void ForEach(const std::vector<std::filesystem::path>& files, const std::function<bool()>& keep,
                 const std::function<void(const CFontHandle&)>& each);

private:
    void Help(unsigned helper);
    CFontHandle Open(const std::filesystem::path& path) const;

    const Opener m_open;
    std::vector<std::thread> m_helpers;

    std::mutex m_mutex;
    std::condition_variable m_work;   // a file to read, or quit
    std::condition_variable m_ready;  // a font read, or a reader done
    // Guarded by m_mutex:
    const std::vector<std::filesystem::path>* m_files = nullptr;  // the list being read, or none
    std::vector<CFontHandle> m_fonts;                             // read and not yet taken
    // 0: not read yet; otherwise who read it: helper k + 1, or kByTester.
    std::vector<unsigned> m_read;
    static constexpr unsigned kByTester = static_cast<unsigned>(-1);
    // Fonts the tester is done with, for the helper that read each to let
    // go of: memory is given back on the thread that took it, so that the
    // threads do not wait for each other's heaps.
    std::vector<std::vector<CFontHandle>> m_done;
    std::size_t m_next = 0;       // the first file nobody has claimed
    std::size_t m_consumed = 0;   // files taken by the tester
    std::size_t m_reading = 0;    // helpers reading now
    std::size_t m_lettingGo = 0;  // helpers letting go of fonts given back
    bool m_quit = false;
    // Who sleeps, so that nobody is woken for nothing (a wake-up costs
    // about as much as reading a small font's tables):
    unsigned m_idle = 0;                      // helpers waiting for a file
    std::size_t m_awaited = kNothingAwaited;  // the file the tester waits for
    bool m_draining = false;                  // the tester waits for the readers to end
    static constexpr std::size_t kNothingAwaited = static_cast<std::size_t>(-1);
    bool Claimable() const;  // a file a helper may claim now
};

}  // namespace Quillmark
