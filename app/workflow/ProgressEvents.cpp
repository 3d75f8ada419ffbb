#include "app/workflow/ProgressEvents.h"

#include <utility>

namespace brindle {

ProgressEvent ScanProgressEvent(const std::string& item, const std::string& title, std::int32_t scanned,
                                std::int32_t found) {
    ProgressEvent event;
    event.title = title;
    event.item = item;
    event.scanned = scanned;
    event.found = found;
    for (const ScanCategoryInfo& info : ScanCategories()) {
        if (info.progressTitle == title) event.category = info.category;
    }
    return event;
}

void ProgressMailbox::post(ProgressEvent event) {
    bool wasEmpty = false;
    {
        std::lock_guard lock(m_mutex);
        wasEmpty = !m_latest.has_value();
        m_latest = std::move(event);
    }
    // Outside the lock: a reader woken at once may take straight away.
    if (wasEmpty && m_wake) m_wake();
}

std::optional<ProgressEvent> ProgressMailbox::take() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_latest, std::nullopt);
}

ProgressThrottle::ProgressThrottle(ProgressSink consumer, std::chrono::milliseconds interval, Clock clock)
    : m_consumer(std::move(consumer)), m_interval(interval), m_clock(std::move(clock)) {}

void ProgressThrottle::post(ProgressEvent event) {
    const auto now = m_clock();
    const bool newPhase = m_lastPhase != event.phase;
    if (!newPhase && m_lastPassed && now - *m_lastPassed < m_interval) {
        m_heldBack = std::move(event);
        return;
    }
    m_lastPassed = now;
    m_lastPhase = event.phase;
    m_heldBack.reset();
    if (m_consumer) m_consumer(event);
}

void ProgressThrottle::flush() {
    if (!m_heldBack) return;
    m_lastPassed = m_clock();
    if (m_consumer) m_consumer(*m_heldBack);
    m_heldBack.reset();
}

}  // namespace brindle
