#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

namespace brindle::cli {

namespace {

std::atomic<StopRequest*> g_stop{nullptr};

static_assert(std::atomic<StopRequest*>::is_always_lock_free, "the handler must be async-signal-safe");

extern "C" void OnInterrupt(int) {
    if (StopRequest* stop = g_stop.load()) stop->request();
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace

InterruptToStop::InterruptToStop(StopRequest& stop) {
    g_stop.store(&stop);
    std::signal(SIGINT, OnInterrupt);
}

InterruptToStop::~InterruptToStop() {
    std::signal(SIGINT, SIG_DFL);
    g_stop.store(nullptr);
}

}  // namespace brindle::cli
