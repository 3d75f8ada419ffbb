// Progress of a scan or a repair as events, and the two ways a reader takes them without
// being flooded: a mailbox for a reader on another thread (the window), which holds only
// the newest event, and a throttle for a reader on the same thread (the terminal), which
// passes on at most one event per interval and the last one at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "scan/ScanTypes.h"

namespace brindle {

enum class ProgressPhase {
    Scanning,  // a category's scanner at work
    Backup,    // the backup before a repair
    Fixing,    // the repair itself
};

struct ProgressEvent {
    ProgressPhase phase = ProgressPhase::Scanning;
    // The category whose scanner or repair pass is at work; none for the backup.
    std::optional<ScanCategory> category;
    // The status text the screens show: "Scanning Shared Files", "Backup in progress", ...
    std::string title;
    // The key, value or file being looked at, in the machine's ANSI code page.
    std::string item;
    std::int32_t scanned = 0;
    std::int32_t found = 0;

    bool operator==(const ProgressEvent&) const = default;
};

using ProgressSink = std::function<void(const ProgressEvent&)>;

// A scanner's progress call as an event; the category is the one whose progress title it is.
ProgressEvent ScanProgressEvent(const std::string& item, const std::string& title, std::int32_t scanned,
                                std::int32_t found);

// Holds the newest event a worker posted until the reader takes it. The reader is woken
// once per batch: when a post finds the box empty, never for the posts that replace an
// event it has not taken yet.
class ProgressMailbox {
public:
    using Wake = std::function<void()>;
    explicit ProgressMailbox(Wake wake = {}) : m_wake(std::move(wake)) {}

    // From the worker.
    void post(ProgressEvent event);
    // From the reader: the newest event since the last take, if any.
    std::optional<ProgressEvent> take();

private:
    std::mutex m_mutex;
    std::optional<ProgressEvent> m_latest;
    Wake m_wake;
};

// Passes events on to a consumer on the same thread at most once per interval, so that
// drawing costs nothing next to the work; a phase change always passes at once.
class ProgressThrottle {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    explicit ProgressThrottle(ProgressSink consumer,
                              std::chrono::milliseconds interval = std::chrono::milliseconds(100),
                              Clock clock = [] { return std::chrono::steady_clock::now(); });

    void post(ProgressEvent event);
    // Passes on the event held back, if any: the last word of a finished job.
    void flush();

private:
    ProgressSink m_consumer;
    std::chrono::milliseconds m_interval;
    Clock m_clock;
    std::optional<std::chrono::steady_clock::time_point> m_lastPassed;
    std::optional<ProgressPhase> m_lastPhase;
    std::optional<ProgressEvent> m_heldBack;
};

}  // namespace brindle
