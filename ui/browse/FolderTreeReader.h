#pragma once

// Reads of the disk for the folder tree, done off the window's thread: a
// folder on a network mount that hangs must never hang the window.
//
// Each read is a piece of work on plain data (paths in, names out, shared
// with its answer through what both capture) and an answer run on the
// reader's thread once the work is done. The work may never return: its
// thread is then left to it, and the answer is dropped when the reader has
// gone by the time it comes.
//
// Why not QThreadPool: a pool waits for its threads when it is destroyed,
// and the global one at the program's exit; one stuck in a read would hold
// the program open for ever. The workers here are detached threads of a
// pool that is never destroyed: nobody waits for them, an idle one ends
// after a while, and the process's exit ends one that is stuck.

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <unordered_map>

namespace Quillmark {

class CFolderTreeReader : public QObject {
    Q_OBJECT

public:
    explicit CFolderTreeReader(QObject* parent = nullptr);
    ~CFolderTreeReader() override;
    CFolderTreeReader(const CFolderTreeReader&) = delete;
    CFolderTreeReader& operator=(const CFolderTreeReader&) = delete;

    // Runs `work` on a worker thread, then `done` on this object's thread
    // (through its event loop), unless the reader is gone by then. `work`
    // must touch no Qt object and nothing the window's thread changes.
    // The read's id, never 0.
    quint64 Start(std::function<void()> work, std::function<void()> done);
    // Waits up to `wait` for a read's work (none: only whether it is done
    // already); when it is done, runs its `done` now instead of later.
    // Whether it has run (or had already run).
    bool Wait(quint64 id, std::chrono::milliseconds wait);
    // Start, then Wait.
    bool Run(std::function<void()> work, std::function<void()> done,
             std::chrono::milliseconds wait) {
        return Wait(Start(std::move(work), std::move(done)), wait);
    }

    // Reads started whose answers have not run yet.
    int Pending() const { return static_cast<int>(m_jobs.size()); }

    // Worker threads alive now, idle or working (for tests).
    static int WorkerCount();

private:
    struct CShared;
    struct CJob;
    void Finish(quint64 id);

    std::shared_ptr<CShared> m_shared;
    struct CWaiting {
        std::shared_ptr<CJob> job;
        std::function<void()> done;
    };
    std::unordered_map<quint64, CWaiting> m_jobs;
    quint64 m_nextId = 0;
};

}  // namespace Quillmark
