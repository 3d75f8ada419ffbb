// A request to stop a scan or repair that is never lost.
//
// The scan driver resets the stop event when it starts, as the window's stop button
// expects of it; a stop asked for between the start of the job and that reset would be
// forgotten. A StopRequest belongs to the job instead: it is cleared only when the
// owner begins a new job (before the worker starts), and the scanners poll it beside the
// event. request() is a lock-free store, so a signal handler may call it.
#pragma once

#include <atomic>

namespace brindle {

class StopRequest {
public:
    static_assert(std::atomic<bool>::is_always_lock_free, "request() must be async-signal-safe");

    // From any thread, or a signal handler.
    void request() { m_requested.store(true, std::memory_order_release); }
    bool requested() const { return m_requested.load(std::memory_order_acquire); }
    // By the owner, before it starts the next job's worker.
    void clear() { m_requested.store(false, std::memory_order_release); }

private:
    std::atomic<bool> m_requested{false};
};

}  // namespace brindle
