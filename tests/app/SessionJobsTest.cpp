// The scan and repair jobs every road runs: one job on a session at a time, each ending
// exactly once on its own thread, a stop that reaches the running job, failures that come
// back as results, and the repair's locks and snapshot name. Threaded: run under
// ThreadSanitizer too (the "threaded" label).
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <new>
#include <string>
#include <thread>

#include "app/WorkflowTestMachine.h"
#include "app/workflow/RepairJob.h"
#include "app/workflow/ScanJob.h"

namespace brindle {
namespace {

constexpr const char* kRunKey = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class SessionJobsTest : public ::testing::Test {
protected:
    SessionJobsTest() {
        machine.setString(kRunKey, "Gone", "C:\\gone\\gone.exe");
        session.selectCategory(ScanCategory::STARTUP);
    }

    // Holds the next scan inside its reload until release() (or the test's end).
    void holdScan() {
        machine.duringReload = [this] { released.wait(); };
    }
    void release() {
        if (!releasedOnce.exchange(true)) releaser.set_value();
    }
    ~SessionJobsTest() override { release(); }

    // Runs a scan job to its end on this thread's behalf.
    ScanResult scanned() {
        ScanResult result;
        ScanJob job(session);
        EXPECT_TRUE(job.start(nullptr, [&](ScanResult ended) { result = std::move(ended); }));
        job.wait();
        return result;
    }

    test::WorkflowTestMachine machine;
    ScanSession session{machine, machine.workFolder().path()};
    std::promise<void> releaser;
    std::shared_future<void> released = releaser.get_future().share();
    std::atomic<bool> releasedOnce{false};
};

TEST_F(SessionJobsTest, AScanEndsOnceOnItsOwnThreadAfterItsProgress) {
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> ends{0};
    std::atomic<int> progressAfterEnd{0};
    std::thread::id endThread;
    ScanResult result;
    ScanJob job(session);
    ASSERT_TRUE(job.start([&](const ProgressEvent&) { progressAfterEnd += ends.load(); },
                          [&](ScanResult ended) {
                              ++ends;
                              endThread = std::this_thread::get_id();
                              result = std::move(ended);
                          }));
    job.wait();

    EXPECT_EQ(ends.load(), 1);
    EXPECT_EQ(progressAfterEnd.load(), 0);
    EXPECT_NE(endThread, caller);
    EXPECT_EQ(result.end, ScanEnd::Completed);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0].filePath(), "C:\\gone\\gone.exe");
}

TEST_F(SessionJobsTest, ASecondJobIsRefusedWhileOneRunsOnTheSessionAndStartsAfterIt) {
    holdScan();
    ScanJob scan(session);
    RepairJob repair(session);
    ScanJob another(session);
    std::atomic<int> repairEnds{0};
    ASSERT_TRUE(scan.start(nullptr, nullptr));

    EXPECT_FALSE(scan.start(nullptr, nullptr)) << "the same job twice";
    EXPECT_FALSE(repair.startSelected({}, nullptr, [&](FixReport) { ++repairEnds; }));
    EXPECT_FALSE(another.start(nullptr, nullptr));

    release();
    scan.wait();
    EXPECT_EQ(repairEnds.load(), 0) << "a refused job calls nothing";
    machine.duringReload = nullptr;
    EXPECT_TRUE(another.start(nullptr, nullptr));
    another.wait();
}

TEST_F(SessionJobsTest, StopReachesTheRunningScanAndAStopBeforeAJobIsNotItsOwn) {
    holdScan();
    ScanResult result;
    ScanJob job(session);
    ASSERT_TRUE(job.start(nullptr, [&](ScanResult ended) { result = std::move(ended); }));
    job.stop();
    release();
    job.wait();
    EXPECT_EQ(result.end, ScanEnd::Stopped);

    // The stop above was for that scan; the next one runs to its end.
    machine.duringReload = nullptr;
    EXPECT_EQ(scanned().end, ScanEnd::Completed);
}

TEST_F(SessionJobsTest, AnEscapedExceptionEndsTheJobAsAFailureAndFreesTheSession) {
    ScanResult result;
    ScanJob job(session);
    ASSERT_TRUE(job.start([](const ProgressEvent&) { throw std::bad_alloc(); },
                          [&](ScanResult ended) { result = std::move(ended); }));
    job.wait();
    EXPECT_EQ(result.end, ScanEnd::Failed);
    EXPECT_NE(result.error.find("failed"), std::string::npos) << result.error;

    EXPECT_EQ(scanned().end, ScanEnd::Completed) << "the session is free again";
}

TEST_F(SessionJobsTest, ADestroyedJobStopsAndIsWaitedFor) {
    holdScan();
    std::atomic<bool> ended{false};
    std::thread releaseLater;
    {
        ScanJob job(session);
        ASSERT_TRUE(job.start(nullptr, [&](ScanResult) { ended = true; }));
        releaseLater = std::thread([this] { release(); });
    }
    releaseLater.join();
    EXPECT_TRUE(ended.load());
    EXPECT_TRUE(session.claimForJob()) << "released by the job's end";
    session.releaseFromJob();
}

struct RepairCase {
    const char* name;
    bool locksRefused;
    FixOutcome outcome;
    bool valueLeft;
};

class RepairJobTest : public SessionJobsTest, public ::testing::WithParamInterface<RepairCase> {};

TEST_P(RepairJobTest, TakesTheLocksOnItsThreadForTheWholeRepair) {
    ASSERT_EQ(scanned().end, ScanEnd::Completed);
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id lockThread;
    std::atomic<int> locksTaken{0};
    RepairJob job(
        session,
        [&]() -> Result<WriterLocks> {
            lockThread = std::this_thread::get_id();
            ++locksTaken;
            if (GetParam().locksRefused) return Error("the prefix is held by brindle-cli (pid 42)");
            return WriterLocks();
        },
        [] { return std::string("FixedOnJobTest.xml"); });
    FixReport report;
    ASSERT_TRUE(job.startSelected({}, nullptr, [&](FixReport ended) { report = std::move(ended); }));
    job.wait();

    EXPECT_EQ(locksTaken.load(), 1);
    EXPECT_NE(lockThread, caller);
    EXPECT_EQ(report.outcome, GetParam().outcome) << report.errorText();
    EXPECT_EQ(machine.valueExists(kRunKey, "Gone"), GetParam().valueLeft);
    if (GetParam().locksRefused) {
        EXPECT_NE(report.errorText().find("pid 42"), std::string::npos) << report.errorText();
        EXPECT_EQ(machine.saves, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Locks, RepairJobTest,
                         ::testing::Values(RepairCase{"Held", false, FixOutcome::Removed, false},
                                           RepairCase{"Refused", true, FixOutcome::Failed, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brindle
