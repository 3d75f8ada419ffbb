// Closes a registry handle when it goes out of scope.
#pragma once

#include "platform/Registry.h"

namespace brindle {

class KeyHandle {
public:
    explicit KeyHandle(Registry& registry, win::HKEY key = 0) : m_registry(registry), m_key(key) {}
    ~KeyHandle() { close(); }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    win::HKEY get() const { return m_key; }
    win::HKEY* out() {
        close();
        return &m_key;
    }
    explicit operator bool() const { return m_key != 0; }
    void close() {
        if (m_key != 0) m_registry.RegCloseKey(m_key);
        m_key = 0;
    }

private:
    Registry& m_registry;
    win::HKEY m_key;
};

}  // namespace brindle
