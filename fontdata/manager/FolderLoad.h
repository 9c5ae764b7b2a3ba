#pragma once

// Reading the fonts of one folder in parallel worker threads through the
// font manager, as the font list and quillmark-cli do it. Whoever runs a
// load polls Done() for progress, may Cancel() at any time (what was read is
// kept), and takes the rows in chunk order: as they become ready, or all of
// them when the load has finished.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fontdata/manager/FontManager.h"

namespace Quillmark {

// One prepared row: a handle on the item, which the taker owns, and the
// text of the name column (the font's name, or its status message).
struct CFolderLoadRow {
    CFontHandle item;
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

    // The folder's font files (`*.ttf`, `*.otf`, `*.ttc`, `*.otc`, `*.woff`,
    // `*.woff2`, any letter case; no subfolders, no folders), as one list
    // sorted by path, without duplicates.
    static std::vector<std::filesystem::path> Enumerate(const std::filesystem::path& folder);
    // The same list as the paths' texts: a folder of tens of thousands of
    // fonts is listed without building a path object for each file.
    static std::vector<std::string> EnumerateTexts(const std::filesystem::path& folder);

    // How a folder is listed.
    struct Listing {
        std::vector<std::string> paths;  // sorted by path, without duplicates
        // The folder itself could not be listed: errno of the failure
        // (ENOENT, EACCES, ...); 0 when it was.
        int error = 0;
    };
    // With `subfolders`, the fonts of every folder below it too, in one
    // list. Hidden folders are left out; a folder reached again (through a
    // link that leads back up, or twice) is read once; a subfolder that
    // cannot be read is skipped; the system's own trees (/proc, /sys, /dev,
    // /run) are never entered.
    static Listing List(const std::filesystem::path& folder, bool subfolders);
    // Whether a font lies in a subfolder of `folder` (not in the folder
    // itself). Looks at no more than `folderLimit` folders: false when
    // none was found there.
    static bool HasFontsInSubfolders(const std::filesystem::path& folder,
                                     std::size_t folderLimit = 2000);
    // The folders below `folder` that a listing with subfolders reads (the
    // folder itself not among them), at most `limit` of them.
    static std::vector<std::string> Subfolders(const std::filesystem::path& folder,
                                               std::size_t limit);

    CFolderLoad(CFontManager& manager, std::vector<std::filesystem::path> paths,
                Platform::IFontSystem* system = nullptr,
                unsigned processors = std::thread::hardware_concurrency());
    CFolderLoad(CFontManager& manager, std::vector<std::string> paths,
                Platform::IFontSystem* system = nullptr,
                unsigned processors = std::thread::hardware_concurrency());
    // Cancels, waits, and lets go of the rows nobody took.
    ~CFolderLoad();
    CFolderLoad(const CFolderLoad&) = delete;
    CFolderLoad& operator=(const CFolderLoad&) = delete;

    // Called on a worker thread when rows have become ready to take, and
    // once more when the last worker has ended. After a call for rows it is
    // not called for rows again until TakeReadyRows has run, so that a
    // receiver that is busy gets one call for many rows. Set before Start.
    void SetReadyHandler(std::function<void()> handler) { m_ready = std::move(handler); }
    // How a worker opens the first face of a path (the others are the
    // manager's to open); the manager's Open unless
    // replaced (tests pace or fail loads with it). Set before Start.
    void SetAcquirer(std::function<CFontHandle(const std::filesystem::path&)> acquirer) {
        m_acquirer = std::move(acquirer);
    }

    // Row i is face `faces[i]` of path i, and only that face, rather than
    // every face of the file (a font project keeps faces). Set before Start.
    void SetFaces(std::vector<std::uint32_t> faces) { m_onlyFaces = std::move(faces); }

    void Start();
    // Safe to call from a signal handler.
    void Cancel() noexcept { m_cancel.store(true, std::memory_order_relaxed); }
    bool IsCanceled() const { return m_cancel.load(std::memory_order_relaxed); }
    // A worker ran out of memory; the load stopped there, as if cancelled.
    bool IsOutOfMemory() const { return m_outOfMemory.load(); }

    // Files: to read, and read so far.
    std::size_t Total() const { return m_paths.size(); }
    std::size_t Done() const { return m_done.load(std::memory_order_relaxed); }
    // The faces of the files read so far: one row each.
    std::size_t Faces() const { return m_faces.load(std::memory_order_relaxed); }
    unsigned Threads() const { return m_plan.threads; }
    bool Finished() const { return m_finishedThreads.load() == m_chunkCount; }
    // Waits at most `timeout` for every worker to finish; true when they have.
    bool WaitFor(std::chrono::milliseconds timeout);
    // Waits for every worker and joins them.
    void Wait();

    // The rows that are ready, handed over once each: those of every chunk
    // whose earlier chunks have all ended, so that rows arrive in chunk
    // order, path order within a chunk, a collection's faces in face order. Once the load has
    // finished, all the rest. Callable while the workers run.
    std::vector<CFolderLoadRow> TakeReadyRows();
    // After Wait: every row not taken yet, in the same order.
    std::vector<CFolderLoadRow> TakeRows();
    // Seconds from Start to the end of the last worker.
    double ElapsedSeconds() const { return m_elapsed; }

    static std::string NoFontsText();  // "No fonts to display"
    // "%d fonts read in %4.2f seconds", or when cancelled
    // "%d fonts read, font information scan was canceled". Fonts are faces:
    // when they came from another number of files (collections), "%d fonts
    // from %d files read ...".
    static std::string ReadText(std::size_t fonts, double seconds, bool canceled,
                                std::size_t files = 0);
    // "%d fonts displayed", "%d fonts from %d files displayed".
    static std::string DisplayedText(std::size_t rows, std::size_t files = 0);

private:
    void Work(std::size_t chunk);
    void EndChunk(std::size_t chunk);

    CFontManager& m_manager;
    Platform::IFontSystem* m_system;
    const std::vector<std::string> m_paths;  // as text: see CFontItem::GetPath
    std::vector<std::uint32_t> m_onlyFaces;  // empty: every face of each file
    const Plan m_plan;
    std::function<void()> m_ready;
    std::function<CFontHandle(const std::filesystem::path&)> m_acquirer;
    std::size_t m_chunkCount = 0;  // set before the workers start
    std::vector<std::thread> m_workers;

    mutable std::mutex m_rowsMutex;
    // Guarded by m_rowsMutex:
    std::vector<std::vector<CFolderLoadRow>> m_results;  // one a chunk, rows not taken yet
    std::vector<bool> m_chunkEnded;
    std::size_t m_firstOpenChunk = 0;  // rows before this chunk are all taken
    bool m_readyReported = false;      // a call for rows is out and not answered

    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_outOfMemory{false};
    std::atomic<std::size_t> m_done{0};
    std::atomic<std::size_t> m_faces{0};
    std::atomic<std::size_t> m_finishedThreads{0};
    std::mutex m_finishMutex;
    std::condition_variable m_finishedChanged;
    std::chrono::steady_clock::time_point m_started;
    double m_elapsed = 0;
    bool m_joined = false;
    bool m_batchOpen = false;
};

}  // namespace Quillmark
