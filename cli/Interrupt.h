#pragma once

// Ctrl+C for the commands that read for long (scan, the searches): it stops
// the job at hand the way the windows' Cancel does, and what was read so far
// is kept and printed.

#include <functional>

namespace Quillmark::Cli {

// Takes Ctrl+C over from here on; a caller may have started us with it
// blocked. An interrupt before a job is stoppable stops that job at once.
void TakeInterrupts();

// Runs `start` with Ctrl+C blocked, so that the threads it starts inherit
// the block and the interrupt is taken by the calling thread.
void WithoutInterrupts(const std::function<void()>& start);

// While it lives, Ctrl+C calls `stop(job)`. It is called from the signal
// handler: it may only store to atomics.
class CStopOnInterrupt {
public:
    using StopFunction = void (*)(void* job) noexcept;
    CStopOnInterrupt(void* job, StopFunction stop);
    ~CStopOnInterrupt();
    CStopOnInterrupt(const CStopOnInterrupt&) = delete;
    CStopOnInterrupt& operator=(const CStopOnInterrupt&) = delete;

    void* Job() const { return m_job; }
    StopFunction Stop() const { return m_stop; }

private:
    void* const m_job;
    const StopFunction m_stop;
};

}  // namespace Quillmark::Cli
