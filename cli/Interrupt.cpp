#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

namespace brindle::cli {

namespace {

std::atomic<NamedEvent*> g_stopEvent{nullptr};
volatile std::sig_atomic_t g_interrupted = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "signalling the event must be async-signal-safe");

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
    if (NamedEvent* event = g_stopEvent.load()) event->set();
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace

InterruptToStopEvent::InterruptToStopEvent(EventHandle stopEvent) : m_stopEvent(std::move(stopEvent)) {
    g_stopEvent.store(m_stopEvent.get());
    std::signal(SIGINT, OnInterrupt);
}

InterruptToStopEvent::~InterruptToStopEvent() {
    std::signal(SIGINT, SIG_DFL);
    g_stopEvent.store(nullptr);
}

bool InterruptToStopEvent::interrupted() { return g_interrupted != 0; }

}  // namespace brindle::cli
