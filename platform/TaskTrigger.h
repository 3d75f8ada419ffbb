// What the scheduler backends share about a task and its triggers: checking them, the
// text a person reads, and the one-line records the backends keep them in.
//
// A record is "# brindle-task <name> ..." with the name and every free text
// percent-encoded, so that a record never holds a blank, a line break or a '%' of its own
// and reads back exactly:
//   task:    # brindle-task <name> program=<text> parameters=<text> directory=<text>
//   trigger: # brindle-task <name> <number> kind=<1..4> start=<YYYY-MM-DD>T<HH:MM>
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/TaskScheduler.h"

namespace brindle {

inline constexpr std::string_view kTaskRecordMark = "# brindle-task ";

// What CreateTask keeps: the job every trigger runs.
struct TaskDefinition {
    std::string program;
    std::string parameters;
    std::string workingDirectory;
};

struct TriggerRule {
    int kind = kTaskOnce;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;

    bool sameStart(const TriggerRule& other) const {
        return year == other.year && month == other.month && day == other.day && hour == other.hour &&
               minute == other.minute;
    }
};

// Why the task cannot be scheduled (empty name, start year 0, empty program, a date that
// does not exist, an unknown kind, a line break in a text), or nothing.
std::optional<std::string> CheckTask(const std::string& name, const ScheduledTask& task);
TriggerRule TriggerOf(const ScheduledTask& task);

// 0 Sunday .. 6 Saturday, of the proleptic Gregorian calendar.
int DayOfWeek(int year, int month, int day);
// "Sunday" .. "Saturday"; three letters when abbreviated.
std::string DayName(int dayOfWeek, bool abbreviated);
// "2026-12-09"; "14:30".
std::string FormatDate(const TriggerRule& trigger);
std::string FormatTime(const TriggerRule& trigger);
// "At 14:30 every Wednesday, starting 2026-12-09" and the like.
std::string TriggerText(const TriggerRule& trigger);

// Bytes outside [A-Za-z0-9._-] become %XX.
std::string PercentEncode(std::string_view text);
std::optional<std::string> PercentDecode(std::string_view text);

std::string TaskRecord(const std::string& name, const TaskDefinition& task);
std::string TriggerRecord(const std::string& name, int number, const TriggerRule& trigger);

// A parsed record line; nothing when the line is not one of ours.
struct ParsedRecord {
    std::string name;
    bool isTrigger = false;
    TaskDefinition task;   // a task record
    int number = 0;        // a trigger record
    TriggerRule trigger;   // a trigger record
};
std::optional<ParsedRecord> ParseRecord(std::string_view line);

}  // namespace brindle
