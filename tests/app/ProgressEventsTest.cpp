// Progress reaches a slower reader as the newest event only, and a same-thread reader
// at most once per interval, with every phase change and the last word kept.
#include "app/workflow/ProgressEvents.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace brindle {
namespace {

using namespace std::chrono_literals;

ProgressEvent Event(ProgressPhase phase, std::int32_t scanned) {
    ProgressEvent event;
    event.phase = phase;
    event.scanned = scanned;
    return event;
}

TEST(ProgressMailboxTest, KeepsTheNewestAndWakesTheReaderOncePerBatch) {
    int wakes = 0;
    ProgressMailbox box([&] { ++wakes; });
    EXPECT_FALSE(box.take());
    for (int i = 1; i <= 5; ++i) box.post(Event(ProgressPhase::Scanning, i));
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(box.take()->scanned, 5);
    EXPECT_FALSE(box.take());
    box.post(Event(ProgressPhase::Fixing, 6));
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(box.take()->phase, ProgressPhase::Fixing);
}

// A worker posting as fast as it can and a reader taking now and then: the reader sees
// counts only grow and ends with the last one.
TEST(ProgressMailboxTest, AReaderOnAnotherThreadSeesOnlyNewerEvents) {
    std::atomic<int> wakes{0};
    ProgressMailbox box([&] { ++wakes; });
    constexpr int kPosts = 20000;
    std::thread worker([&] {
        for (int i = 1; i <= kPosts; ++i) box.post(Event(ProgressPhase::Scanning, i));
    });
    std::int32_t last = 0;
    while (last < kPosts) {
        if (const auto event = box.take()) {
            EXPECT_GT(event->scanned, last);
            last = event->scanned;
        }
    }
    worker.join();
    EXPECT_EQ(last, kPosts);
    EXPECT_LE(wakes.load(), kPosts);
}

TEST(ProgressThrottleTest, PassesAtMostOncePerIntervalButEveryPhaseChangeAndTheLastWord) {
    auto now = std::chrono::steady_clock::time_point{};
    std::vector<std::int32_t> passed;
    ProgressThrottle throttle([&](const ProgressEvent& event) { passed.push_back(event.scanned); }, 100ms,
                              [&] { return now; });
    const struct {
        std::chrono::milliseconds at;
        ProgressPhase phase;
        std::int32_t scanned;
    } posts[] = {
        {0ms, ProgressPhase::Scanning, 1},    // the first passes
        {50ms, ProgressPhase::Scanning, 2},   // held back
        {99ms, ProgressPhase::Scanning, 3},   // held back, replacing 2
        {100ms, ProgressPhase::Scanning, 4},  // an interval on: passes
        {120ms, ProgressPhase::Backup, 5},    // a new phase passes at once
        {130ms, ProgressPhase::Backup, 6},    // held back
    };
    for (const auto& post : posts) {
        now = std::chrono::steady_clock::time_point{} + post.at;
        throttle.post(Event(post.phase, post.scanned));
    }
    EXPECT_EQ(passed, (std::vector<std::int32_t>{1, 4, 5}));
    throttle.flush();
    throttle.flush();  // nothing left to pass
    EXPECT_EQ(passed, (std::vector<std::int32_t>{1, 4, 5, 6}));
}

TEST(ProgressEventTest, AScannersTitleNamesItsCategory) {
    EXPECT_EQ(ScanProgressEvent("C:\\x.dll", "Scanning Shared Files", 3, 1).category, ScanCategory::COM_SUBS);
    EXPECT_FALSE(ScanProgressEvent("", "Fixing CLSID ", 0, 0).category);
}

}  // namespace
}  // namespace brindle
