#pragma once

// Reading the fonts of one folder in parallel worker threads through the
// font manager, as the font list and quillmark-cli do it. Whoever runs a
// load polls Done() for progress, may Cancel() at any time (what was read is
// kept), and takes the rows in chunk order when it has finished.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fontdata/manager/FontManager.h"

namespace Quillmark {

// One prepared row: the item with one use that the taker owns, and the text
// of the name column (the font's name, or its status message).
struct CFolderLoadRow {
    CFontItem* item = nullptr;
    std::u16string displayName;
};

class CFolderLoad {
public:
    struct Plan {
        unsigned threads = 1;
        std::size_t chunk = 1;
    };
    // n / 50 threads, at most the processors, at least one; chunks of
    // n / threads + 1 consecutive files (the last one shorter).
    static Plan PlanFor(std::size_t files, unsigned processors);

    // The folder's `*.ttf` files, then its `*.otf` files (any letter case;
    // no subfolders, no folders), as one list sorted by path, without
    // duplicates.
    static std::vector<std::filesystem::path> Enumerate(const std::filesystem::path& folder);

    CFolderLoad(CFontManager& manager, std::vector<std::filesystem::path> paths,
                Platform::IFontSystem* system = nullptr,
                unsigned processors = std::thread::hardware_concurrency());
    // Cancels, waits, and gives back the uses of rows nobody took.
    ~CFolderLoad();
    CFolderLoad(const CFolderLoad&) = delete;
    CFolderLoad& operator=(const CFolderLoad&) = delete;

    void Start();
    // Safe to call from a signal handler.
    void Cancel() noexcept { m_cancel.store(true, std::memory_order_relaxed); }
    bool IsCanceled() const { return m_cancel.load(std::memory_order_relaxed); }

    std::size_t Total() const { return m_paths.size(); }
    std::size_t Done() const { return m_done.load(std::memory_order_relaxed); }
    unsigned Threads() const { return m_plan.threads; }
    bool Finished() const { return m_finishedThreads.load() == m_workers.size(); }
    // Waits at most `timeout` for every worker to finish; true when they have.
    bool WaitFor(std::chrono::milliseconds timeout);
    // Waits for every worker and joins them.
    void Wait();

    // After Wait: the rows in chunk order, path order within a chunk.
    std::vector<CFolderLoadRow> TakeRows();
    // Seconds from Start to the end of the last worker.
    double ElapsedSeconds() const { return m_elapsed; }

    static std::string NoFontsText();  // "No fonts to display"
    // "%d fonts read in %4.2f seconds", or when cancelled
    // "%d fonts read, font information scan was canceled".
    static std::string ReadText(std::size_t fonts, double seconds, bool canceled);
    static std::string DisplayedText(std::size_t rows);  // "%d fonts displayed"

private:
    void Work(std::size_t chunk);

    CFontManager& m_manager;
    Platform::IFontSystem* m_system;
    const std::vector<std::filesystem::path> m_paths;
    const Plan m_plan;
    std::vector<std::thread> m_workers;
    std::vector<std::vector<CFolderLoadRow>> m_results;  // one a chunk, written by its worker only
    std::atomic<bool> m_cancel{false};
    std::atomic<std::size_t> m_done{0};
    std::atomic<std::size_t> m_finishedThreads{0};
    std::mutex m_finishMutex;
    std::condition_variable m_finishedChanged;
    std::chrono::steady_clock::time_point m_started;
    double m_elapsed = 0;
    bool m_joined = false;
    bool m_batchOpen = false;
};

}  // namespace Quillmark
