#pragma once

// Fonts shared with other applications through fontconfig.
//
// A shared font is a symbolic link to its file in a folder of this process
// under Quillmark's shared-fonts folder, which a fontconfig include file
// (written the first time anything is shared) adds to fontconfig's folders.
// After a change `fc-cache` refreshes that folder's cache, so that running
// applications see the font; changes made inside a batch share one run.
// Each process holds a lock on its folder; folders whose process is gone
// (it crashed) are removed at the next start.

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/FontSystem.h"

namespace Quillmark::Platform {

class CFontconfigFontSystem final : public IFontSystem {
public:
    struct Places {
        std::filesystem::path sharedRoot;   // our folder of links, one subfolder a process
        std::filesystem::path includeFile;  // the fontconfig include that adds sharedRoot
        std::filesystem::path userFontsFolder;
    };
    static Places DefaultPlaces();

    // Removes what crashed processes left behind.
    explicit CFontconfigFontSystem(Places places = DefaultPlaces());
    // Unshares whatever is still shared.
    ~CFontconfigFontSystem() override;
    CFontconfigFontSystem(const CFontconfigFontSystem&) = delete;
    CFontconfigFontSystem& operator=(const CFontconfigFontSystem&) = delete;

    bool IsInstalledFolder(const std::filesystem::path& folder) override;
    void Register(const std::filesystem::path& file, std::uint32_t flags) override;
    void Unregister(const std::filesystem::path& file, std::uint32_t flags) override;

    // Changes between Begin and the matching End run fc-cache once, at the end.
    void BeginBatch() override;
    void EndBatch() override;

    // How many times fc-cache ran (for tests and benchmarks).
    int CacheRuns() const;
    std::filesystem::path ProcessFolder() const;

private:
    void RemoveStaleFolders();
    bool EnsureProcessFolder();  // m_mutex held
    bool EnsureIncludeFile();    // m_mutex held
    void ChangedLocked(std::unique_lock<std::mutex>& lock);
    void RunCache();  // never with m_mutex held

    Places m_places;
    std::once_flag m_dirsOnce;
    std::vector<std::filesystem::path> m_fontconfigDirs;  // set once, then read only

    mutable std::mutex m_mutex;
    // Guarded by m_mutex:
    struct CLink {
        std::filesystem::path link;
        int users = 0;  // the faces of the file shared through it
    };
    std::map<std::filesystem::path, CLink> m_links;  // file -> its link
    int m_lockFd = -1;
    int m_batchDepth = 0;
    bool m_dirty = false;
    int m_cacheRuns = 0;
};

}  // namespace Quillmark::Platform
