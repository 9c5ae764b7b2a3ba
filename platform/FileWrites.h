#pragma once

// Hears files being written in a set of folders: one watch a folder, not a
// file, so that a folder of thousands of fonts costs one. The folder
// watcher's own notices say that files came, went or were renamed; a file
// written over in place says nothing of the kind, and this says it.
//
// The owner waits for Handle() to become readable (a socket notifier on
// the event loop) and calls TakeWrites().

#include <string>
#include <vector>

namespace Quillmark::Platform {

class CFileWrites {
public:
    CFileWrites();
    ~CFileWrites();
    CFileWrites(const CFileWrites&) = delete;
    CFileWrites& operator=(const CFileWrites&) = delete;

    // -1 when the system gives no such watch: then nothing is heard.
    int Handle() const { return m_fd; }
    // Also hears the files of `folder` (its bytes, as the file system spells
    // them); false when the folder cannot be watched.
    bool Add(const std::string& folder);
    // Hears no folder any more; writes not yet taken are dropped.
    void Clear();
    std::size_t Count() const { return m_watches.size(); }
    // Whether a file of a watched folder was written or closed after
    // writing since the last call; reads every notice waiting.
    bool TakeWrites();

private:
    int m_fd = -1;
    std::vector<int> m_watches;
};

}  // namespace Quillmark::Platform
