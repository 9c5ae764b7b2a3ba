#pragma once

// One search: a worker thread that walks a location (a folder, "Computer"
// or a font project), offers every font it meets to a test (each face of a
// collection on its own), and tells a receiver what it does. The receiver's calls come on the
// worker thread; a window passes them on to its own thread by queued calls.
//
// Stop may be called from any thread (and from a signal handler); the
// worker notices before its next folder, entry or file. Destroying a search
// stops it and waits for its worker, so that nothing the worker reads or
// calls outlives it.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fontdata/manager/FontManager.h"
#include "platform/Mounts.h"
#include "search/FontTests.h"

namespace Quillmark {

// Where a search looks.
struct CSearchLocation {
    enum class Kind { Folder, Computer, Project };
    Kind kind = Kind::Folder;
    std::filesystem::path folder;  // Folder
    bool subfolders = true;  // Folder and Computer: off, only the folder (or volume root) itself
    bool removable = false;  // Computer: removable volumes too
    std::vector<std::filesystem::path> files;  // Project: its files as they were at the start
    // Project: the face of each of `files` that the project holds (a file
    // may come once a face); empty: every face of each file.
    std::vector<std::uint32_t> faces;

    static CSearchLocation Folder(std::filesystem::path folder, bool subfolders = true);
    static CSearchLocation Computer(bool removable, bool subfolders = true);
    static CSearchLocation Project(std::vector<std::filesystem::path> files,
                                   std::vector<std::uint32_t> faces = {});
};

// How a search ended.
struct CSearchEnd {
    std::size_t found = 0;
    bool canceled = false;
    // What could not be searched at all, and why ("/x: No such file or
    // directory"); empty when the location could be searched.
    std::string failure;
};

// The three operations a walk asks of whoever runs it, on the worker.
class ISearchController {
public:
    virtual ~ISearchController() = default;
    // False once the search was stopped.
    virtual bool KeepSearching() const = 0;
    // A folder is about to be walked.
    virtual void ReportFolder(const std::filesystem::path& folder) = 0;
    // One font file, read; null when it could not even be made.
    virtual void TestFont(const CFontHandle& font) = 0;
};

// What a search tells, on its worker thread.
class ISearchReceiver {
public:
    virtual ~ISearchReceiver() = default;
    virtual void SearchingFolder(const std::filesystem::path& folder) = 0;
    // A font that passed the test, with one use for the receiver, and the
    // test's number for it (the distance for find similar).
    virtual void FontFound(CFontHandle font, int value) = 0;
    // The last call of a search, whether it ended, was stopped, or could
    // not search its location.
    virtual void SearchComplete(const CSearchEnd& end) = 0;
};

// The volumes a search of "Computer" walks, by mount point: fixed ones, and
// removable ones when asked; never network, optical or RAM volumes. The
// last mount on a point is the one seen there.
std::vector<std::string> VolumesToWalk(const std::vector<Platform::CMount>& mounts, bool removable);

class CSearch {
public:
    // `manager` and `receiver` outlive the search.
    CSearch(CFontManager& manager, CSearchLocation location, FontTest test,
            ISearchReceiver& receiver);
    ~CSearch();
    CSearch(const CSearch&) = delete;
    CSearch& operator=(const CSearch&) = delete;

    // How the worker makes a font of a path; the manager's Open unless
    // replaced (tests pace or count reads with it). Set before Start.
    void SetOpener(std::function<CFontHandle(const std::filesystem::path&)> opener);
    // Threads that read fonts ahead of the worker (the processors less
    // one unless set). Set before Start.
    void SetReadHelpers(unsigned helpers) { m_helpers = helpers; }
    // The niceness of the worker and its helpers (0: as the caller's): a
    // window's search gives way to the window that shows its results.
    // Set before Start.
    void SetNiceness(int niceness) { m_niceness = niceness; }

    void Start();
    void Stop() noexcept { m_keepSearching.store(false); }
    bool KeepSearching() const { return m_keepSearching.load(); }
    // Waits for the worker to end.
    void Wait();
    bool IsRunning() const { return m_running.load(); }

private:
    void Run();

    CFontManager& m_manager;
    const CSearchLocation m_location;
    const FontTest m_test;
    ISearchReceiver& m_receiver;
    std::function<CFontHandle(const std::filesystem::path&)> m_opener;
    unsigned m_helpers;
    int m_niceness = 0;
    std::atomic<bool> m_keepSearching{true};
    std::atomic<bool> m_running{false};
    std::thread m_worker;
};

}  // namespace Quillmark
