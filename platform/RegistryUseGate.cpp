#include "platform/RegistryUseGate.h"

namespace brindle {

void RegistryUseGate::enter() {
    std::unique_lock lock(m_mutex);
    const auto self = std::this_thread::get_id();
    m_changed.wait(lock, [&] { return !m_exclusive || *m_exclusive == self; });
    ++m_users[self];
}

void RegistryUseGate::leave() {
    std::lock_guard lock(m_mutex);
    const auto user = m_users.find(std::this_thread::get_id());
    if (user == m_users.end()) return;
    if (--user->second == 0) m_users.erase(user);
    m_changed.notify_all();
}

bool RegistryUseGate::onlyCallerUses() const {
    const auto self = std::this_thread::get_id();
    for (const auto& [thread, count] : m_users) {
        if (thread != self && count > 0) return false;
    }
    return true;
}

void RegistryUseGate::beginExclusive() {
    std::unique_lock lock(m_mutex);
    const auto self = std::this_thread::get_id();
    if (m_exclusive && *m_exclusive == self) {
        ++m_exclusiveDepth;
        return;
    }
    m_changed.wait(lock, [&] { return !m_exclusive && onlyCallerUses(); });
    m_exclusive = self;
    m_exclusiveDepth = 1;
}

void RegistryUseGate::endExclusive() {
    std::lock_guard lock(m_mutex);
    if (--m_exclusiveDepth == 0) m_exclusive.reset();
    m_changed.notify_all();
}

std::size_t RegistryUseGate::otherUsers() const {
    std::lock_guard lock(m_mutex);
    const auto self = std::this_thread::get_id();
    std::size_t others = 0;
    for (const auto& [thread, count] : m_users) {
        if (thread != self && count > 0) ++others;
    }
    return others;
}

}  // namespace brindle
