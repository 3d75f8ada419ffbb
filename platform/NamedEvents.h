// Named manual-reset events, as CreateEventA/SetEvent/ResetEvent/WaitForSingleObject
// offer them: every party opens the same event by name and polls it.
//
// Each machine has its own namespace, so two machines (or two tests) never share a
// stop signal. SetEvent may be called from a signal handler: it only stores to an
// atomic flag.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace brindle {

class NamedEvent {
public:
    void set() noexcept { m_signalled.store(true, std::memory_order_release); }
    void reset() noexcept { m_signalled.store(false, std::memory_order_release); }
    bool isSet() const noexcept { return m_signalled.load(std::memory_order_acquire); }

private:
    std::atomic<bool> m_signalled{false};
};

using EventHandle = std::shared_ptr<NamedEvent>;

class NamedEvents {
public:
    // Opens the event of that name, creating it non-signalled when it does not exist.
    // Manual reset is the only kind the program uses.
    EventHandle CreateEventA(std::string_view name);

private:
    std::mutex m_mutex;
    std::map<std::string, EventHandle, std::less<>> m_events;
};

inline bool SetEvent(const EventHandle& event) {
    if (!event) return false;
    event->set();
    return true;
}

inline bool ResetEvent(const EventHandle& event) {
    if (!event) return false;
    event->reset();
    return true;
}

// Only zero time-outs are used, so this never blocks.
inline win::DWORD WaitForSingleObject(const EventHandle& event, win::DWORD /*milliseconds*/) {
    if (!event) return win::WAIT_FAILED;
    return event->isSet() ? win::WAIT_OBJECT_0 : win::WAIT_TIMEOUT;
}

}  // namespace brindle
