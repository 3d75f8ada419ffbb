#include "platform/NamedEvents.h"

namespace brindle {

EventHandle NamedEvents::CreateEventA(std::string_view name) {
    std::lock_guard lock(m_mutex);
    auto it = m_events.find(name);
    if (it != m_events.end()) return it->second;
    auto event = std::make_shared<NamedEvent>();
    m_events.emplace(std::string(name), event);
    return event;
}

}  // namespace brindle
