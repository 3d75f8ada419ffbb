// The schedule panel's commands over the system's task scheduler: adding a start time
// from the add-schedule dialog, and the rows of the schedule list. The scheduler is the
// platform's; these are the rules the panel follows with it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/TaskScheduler.h"

namespace brindle {

inline constexpr const char* kScheduleCreated = "Schedule Creation Success!!";
inline constexpr const char* kScheduleFailed = "Schedule Creation Failed!!";
inline constexpr const char* kScheduleExists = "Already Scheduled For This Time!!";
inline constexpr const char* kDeleteScheduleCaption = "Delete Scheduled Task";
inline constexpr const char* kDeleteScheduleQuestion = "Are You Sure";
inline constexpr const char* kNeverRunText = "Never";

// Creates the task on first use, else adds the start time unless the task already has a
// trigger at that date, hour and minute. The message to show; a failure's names the
// scheduler's reason (no scheduler at all, a unit that would not run, ...).
std::string AddScheduledScan(TaskScheduler& scheduler, const std::string& taskName,
                                            const ScheduledTask& task);

// Column 0 the row's number from 1, column 1 the trigger's text, column 2 the task's last
// run ("%H:%M:%S %d-%m-%y" local time, or "Never"), the same in every row. None when the
// scheduler cannot list the task: the list then stays as it is.
using LocalTimeText = std::function<std::string(std::int64_t secondsSince1970)>;
std::optional<std::vector<std::vector<std::string>>> ScheduleListRows(TaskScheduler& scheduler,
                                                                      const std::string& taskName,
                                                                      const LocalTimeText& lastRunText);
// "%H:%M:%S %d-%m-%y" in the machine's local time; "Never" for 0.
std::string LastRunText(std::int64_t secondsSince1970);

// A time format without its seconds: the separator followed by "ss" is taken out (what
// comes after, such as an AM/PM part, stays), else the separator followed by "s".
std::string TimeFormatWithoutSeconds(const std::string& format, const std::string& separator);

}  // namespace brindle
