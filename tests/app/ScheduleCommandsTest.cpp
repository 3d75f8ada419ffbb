// What the schedule panel does with the system's scheduler: one trigger per start time,
// the messages of each outcome, the list's rows, and the time picker's format.
#include <gtest/gtest.h>

#include "app/workflow/ScheduleCommands.h"
#include "support/MemoryTaskScheduler.h"

namespace brindle {
namespace {

ScheduledTask TaskAt(std::uint16_t hour, std::uint16_t minute, int kind = kTaskDaily) {
    ScheduledTask task;
    task.start = TaskTime{2026, 12, 3, 9, hour, minute, 0, 0};
    task.kind = kind;
    task.program = "/usr/bin/brindle";
    task.parameters = "scan";
    return task;
}

TEST(ScheduleCommandsTest, OneTriggerPerStartTimeWithTheMessageOfEachOutcome) {
    test::MemoryTaskScheduler scheduler;
    EXPECT_EQ(AddScheduledScan(scheduler, "Brindleanna", TaskAt(14, 30)), kScheduleCreated);
    EXPECT_EQ(scheduler.tasks["Brindleanna"].task.parameters, "scan");
    EXPECT_EQ(AddScheduledScan(scheduler, "Brindleanna", TaskAt(14, 30, kTaskWeekly)), kScheduleExists);
    EXPECT_EQ(AddScheduledScan(scheduler, "Brindleanna", TaskAt(9, 0)), kScheduleCreated);
    ASSERT_EQ(scheduler.tasks["Brindleanna"].triggers.size(), 2u);
    EXPECT_EQ(scheduler.tasks["Brindleanna"].triggers[0].kind, kTaskDaily);

    scheduler.refuseTriggers = true;
    const std::string refused = AddScheduledScan(scheduler, "Brindleanna", TaskAt(10, 0));
    EXPECT_EQ(refused.rfind(kScheduleFailed, 0), 0u) << refused;
    EXPECT_GT(refused.size(), std::string(kScheduleFailed).size()) << "the scheduler's reason follows";
    // Without a scheduler nothing can be created nor searched: that is said, with why.
    test::MemoryTaskScheduler none;
    none.refuseEverything = true;
    const std::string nothing = AddScheduledScan(none, "Brindleanna", TaskAt(14, 30));
    EXPECT_EQ(nothing.rfind(kScheduleFailed, 0), 0u) << nothing;
    EXPECT_NE(nothing.find(none.lastError()), std::string::npos) << nothing;
    EXPECT_FALSE(none.lastError().empty());
}

TEST(ScheduleCommandsTest, TheListNumbersTheTriggersAndShowsOneLastRunInEveryRow) {
    test::MemoryTaskScheduler scheduler;
    ASSERT_EQ(AddScheduledScan(scheduler, "B", TaskAt(1, 2)), kScheduleCreated);
    ASSERT_EQ(AddScheduledScan(scheduler, "B", TaskAt(3, 4)), kScheduleCreated);
    const auto never = ScheduleListRows(scheduler, "B", LastRunText);
    ASSERT_TRUE(never);
    ASSERT_EQ(never->size(), 2u);
    EXPECT_EQ((*never)[1][0], "2");
    EXPECT_EQ((*never)[0][2], "Never");
    EXPECT_EQ((*never)[1][2], "Never");

    scheduler.tasks["B"].lastRun = 1'765'000'000;
    const auto ran = ScheduleListRows(scheduler, "B", [](std::int64_t) { return std::string("12:00:00 06-12-25"); });
    EXPECT_EQ((*ran)[0][2], "12:00:00 06-12-25");
    EXPECT_EQ((*ran)[1][2], "12:00:00 06-12-25");
    EXPECT_EQ(ScheduleListRows(scheduler, "unknown", LastRunText), std::nullopt);
}

TEST(ScheduleCommandsTest, TheTimePickerLosesItsSecondsButKeepsWhatFollows) {
    const struct {
        const char* format;
        const char* separator;
        const char* expected;
    } cases[] = {
        {"HH:mm:ss", ":", "HH:mm"},
        {"h:mm:ss AP", ":", "h:mm AP"},
        {"H.mm.s", ".", "H.mm"},
        {"HH:mm", ":", "HH:mm"},
    };
    for (const auto& c : cases) EXPECT_EQ(TimeFormatWithoutSeconds(c.format, c.separator), c.expected) << c.format;
}

}  // namespace
}  // namespace brindle
