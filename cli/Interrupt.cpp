#include "cli/Interrupt.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>

namespace Quillmark::Cli {

namespace {

std::atomic<CStopOnInterrupt*> g_stopper{nullptr};
std::atomic<bool> g_interrupted{false};

extern "C" void StopOnInterrupt(int) {
    g_interrupted.store(true);
    if (CStopOnInterrupt* stopper = g_stopper.load()) {
        stopper->Stop()(stopper->Job());
    }
}

sigset_t InterruptOnly() {
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    return interrupt;
}

}  // namespace

void TakeInterrupts() {
    struct sigaction action {};
    action.sa_handler = StopOnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    const sigset_t interrupt = InterruptOnly();
    pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
}

void WithoutInterrupts(const std::function<void()>& start) {
    const sigset_t interrupt = InterruptOnly();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &interrupt, &before);
    start();
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

CStopOnInterrupt::CStopOnInterrupt(void* job, StopFunction stop) : m_job(job), m_stop(stop) {
    g_stopper.store(this);
    if (g_interrupted.load()) {
        m_stop(m_job);
    }
}

CStopOnInterrupt::~CStopOnInterrupt() {
    g_stopper.store(nullptr);
}

}  // namespace Quillmark::Cli
