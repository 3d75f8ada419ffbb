// Who may use a machine's registry while it is reloaded, discarded or saved.
//
// A job that works through registry handles over several calls (a scan, a repair, a
// restore, the window reading or writing its settings) is a user for its whole length.
// Reloading and discarding replace the tree the handles point into, and saving walks that
// tree outside the registry's own per-call lock, so each of them is exclusive: it waits
// until no other thread uses the registry, and holds new users off until it is done.
//
// Re-entrant per thread: a job that already uses the registry may enter again, and may
// itself reload or save (the scan reloads at its start, the repair saves at its end),
// because nothing it holds can change under it from elsewhere meanwhile. Two threads that
// both use the registry and both wait to be exclusive would wait for ever; one job at a
// time is the workflow's rule, and the settings of the window never reload.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace brindle {

class RegistryUseGate {
public:
    // Held for the length of a job; ends its use when it goes.
    class [[nodiscard]] Use {
    public:
        explicit Use(RegistryUseGate& gate) : m_gate(&gate) { gate.enter(); }
        ~Use() {
            if (m_gate != nullptr) m_gate->leave();
        }
        Use(Use&& other) noexcept : m_gate(other.m_gate) { other.m_gate = nullptr; }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        Use& operator=(Use&&) = delete;

    private:
        RegistryUseGate* m_gate;
    };

    // Held while the tree is replaced or written out.
    class [[nodiscard]] Exclusive {
    public:
        explicit Exclusive(RegistryUseGate& gate) : m_gate(gate) { gate.beginExclusive(); }
        ~Exclusive() { m_gate.endExclusive(); }
        Exclusive(const Exclusive&) = delete;
        Exclusive& operator=(const Exclusive&) = delete;

    private:
        RegistryUseGate& m_gate;
    };

    // Threads other than the caller that use the registry now; for checks and tests.
    std::size_t otherUsers() const;

private:
    void enter();
    void leave();
    void beginExclusive();
    void endExclusive();
    bool onlyCallerUses() const;  // with m_mutex held

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::thread::id, unsigned> m_users;
    std::optional<std::thread::id> m_exclusive;
    unsigned m_exclusiveDepth = 0;
};

}  // namespace brindle
