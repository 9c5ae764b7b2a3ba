#include "ui/browse/FolderTreeReader.h"

#include <QMetaObject>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace Quillmark {

namespace {

// Threads beyond this many wait in the queue: enough that folders on a hung
// mount leave others answering, few enough that a scroll through thousands
// of folders does not start thousands.
constexpr int kMaxWorkers = 16;
// An idle worker ends after this long.
constexpr std::chrono::seconds kIdleLife(10);

struct CPool {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> queue;
    int workers = 0;
    int idle = 0;
};

// Never destroyed: a worker stuck in a read may outlive every static, and
// must still find its pool.
CPool& Pool() {
    static CPool* const pool = new CPool;
    return *pool;
}

void WorkerLoop() {
    CPool& pool = Pool();
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(pool.mutex);
            ++pool.idle;
            const bool got =
                pool.wake.wait_for(lock, kIdleLife, [&pool] { return !pool.queue.empty(); });
            --pool.idle;
            if (!got) {
                --pool.workers;
                return;
            }
            task = std::move(pool.queue.front());
            pool.queue.pop_front();
        }
        task();
    }
}

void Post(std::function<void()> task) {
    CPool& pool = Pool();
    const std::lock_guard lock(pool.mutex);
    pool.queue.push_back(std::move(task));
    if (pool.idle >= static_cast<int>(pool.queue.size())) {
        pool.wake.notify_one();
    } else if (pool.workers < kMaxWorkers) {
        ++pool.workers;
        std::thread(WorkerLoop).detach();
    }
}

}  // namespace

// What a reader shares with its workers: whom to tell, cleared when it goes.
struct CFolderTreeReader::CShared {
    std::mutex mutex;
    CFolderTreeReader* receiver = nullptr;
};

struct CFolderTreeReader::CJob {
    std::function<void()> work;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
};

CFolderTreeReader::CFolderTreeReader(QObject* parent)
    : QObject(parent), m_shared(std::make_shared<CShared>()) {
    m_shared->receiver = this;
}

CFolderTreeReader::~CFolderTreeReader() {
    // A worker that finishes from now on tells nobody; one telling now
    // holds the lock, and its queued answer is dropped with this object.
    const std::lock_guard lock(m_shared->mutex);
    m_shared->receiver = nullptr;
}

int CFolderTreeReader::WorkerCount() {
    CPool& pool = Pool();
    const std::lock_guard lock(pool.mutex);
    return pool.workers;
}

quint64 CFolderTreeReader::Start(std::function<void()> work, std::function<void()> done) {
    const quint64 id = ++m_nextId;
    auto job = std::make_shared<CJob>();
    job->work = std::move(work);
    m_jobs.emplace(id, CWaiting{job, std::move(done)});
    Post([job, shared = m_shared, id] {
        try {
            job->work();
        } catch (...) {
            // Out of memory in a listing: answered as it stands.
        }
        job->work = nullptr;  // what it captured goes on this thread
        {
            const std::lock_guard lock(job->mutex);
            job->done = true;
        }
        job->finished.notify_all();
        const std::lock_guard lock(shared->mutex);
        if (CFolderTreeReader* receiver = shared->receiver) {
            QMetaObject::invokeMethod(
                receiver, [receiver, id] { receiver->Finish(id); }, Qt::QueuedConnection);
        }
    });
    return id;
}

bool CFolderTreeReader::Wait(quint64 id, std::chrono::milliseconds wait) {
    const auto found = m_jobs.find(id);
    if (found == m_jobs.end()) {
        return true;  // answered already
    }
    const std::shared_ptr<CJob> job = found->second.job;
    {
        std::unique_lock lock(job->mutex);
        if (!job->finished.wait_for(lock, std::max(wait, std::chrono::milliseconds(0)),
                                    [&job] { return job->done; })) {
            return false;
        }
    }
    Finish(id);  // the queued answer then finds nothing to do
    return true;
}

void CFolderTreeReader::Finish(quint64 id) {
    const auto found = m_jobs.find(id);
    if (found == m_jobs.end()) {
        return;
    }
    const std::function<void()> done = std::move(found->second.done);
    m_jobs.erase(found);
    done();
}

}  // namespace Quillmark
