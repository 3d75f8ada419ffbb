#include "platform/TaskTrigger.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>
#include <vector>

namespace brindle {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool HasLineBreak(const std::string& text) { return text.find_first_of(std::string("\n\r\0", 3)) != std::string::npos; }

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::vector<std::string_view> SplitBlanks(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// The value of "key=value" percent-decoded, or nothing when the word is not that key's.
std::optional<std::string> Field(std::string_view word, std::string_view key) {
    if (word.size() <= key.size() || word.substr(0, key.size()) != key || word[key.size()] != '=') return std::nullopt;
    return PercentDecode(word.substr(key.size() + 1));
}

std::optional<TriggerRule> ParseTrigger(std::string_view kindWord, std::string_view startWord) {
    const auto kindText = Field(kindWord, "kind");
    const auto start = Field(startWord, "start");
    // YYYY-MM-DDTHH:MM
    if (!kindText || !start || start->size() != 16 || (*start)[4] != '-' || (*start)[7] != '-' ||
        (*start)[10] != 'T' || (*start)[13] != ':')
        return std::nullopt;
    const std::string_view s = *start;
    const auto kind = ParseNumber(*kindText);
    const auto year = ParseNumber(s.substr(0, 4));
    const auto month = ParseNumber(s.substr(5, 2));
    const auto day = ParseNumber(s.substr(8, 2));
    const auto hour = ParseNumber(s.substr(11, 2));
    const auto minute = ParseNumber(s.substr(14, 2));
    if (!kind || !year || !month || !day || !hour || !minute || *kind < kTaskOnce || *kind > kTaskMonthly)
        return std::nullopt;
    return TriggerRule{*kind, *year, *month, *day, *hour, *minute};
}

}  // namespace

std::optional<std::string> CheckTask(const std::string& name, const ScheduledTask& task) {
    if (name.empty()) return "the task has no name";
    if (task.start.year == 0) return "task " + name + ": the start date is not set";
    if (task.program.empty()) return "task " + name + ": no program to run";
    const TaskTime& t = task.start;
    if (t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour > 23 || t.minute > 59)
        return "task " + name + ": the start " + std::to_string(t.year) + "-" + std::to_string(t.month) + "-" +
               std::to_string(t.day) + " " + std::to_string(t.hour) + ":" + std::to_string(t.minute) +
               " is not a date and time";
    if (task.kind < kTaskOnce || task.kind > kTaskMonthly)
        return "task " + name + ": unknown trigger kind " + std::to_string(task.kind);
    if (HasLineBreak(task.program) || HasLineBreak(task.parameters) || HasLineBreak(task.workingDirectory))
        return "task " + name + ": a line break in the program, its command line or its folder cannot be scheduled";
    return std::nullopt;
}

TriggerRule TriggerOf(const ScheduledTask& task) {
    return TriggerRule{task.kind, task.start.year, task.start.month, task.start.day, task.start.hour,
                       task.start.minute};
}

int DayOfWeek(int year, int month, int day) {
    // Sakamoto's method.
    static const int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

std::string DayName(int dayOfWeek, bool abbreviated) {
    static const char* const kNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    const std::string name = kNames[dayOfWeek % 7];
    return abbreviated ? name.substr(0, 3) : name;
}

std::string FormatDate(const TriggerRule& trigger) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", trigger.year, trigger.month, trigger.day);
    return text;
}

std::string FormatTime(const TriggerRule& trigger) { return TwoDigits(trigger.hour) + ":" + TwoDigits(trigger.minute); }

std::string TriggerText(const TriggerRule& trigger) {
    const std::string at = "At " + FormatTime(trigger);
    const std::string starting = ", starting " + FormatDate(trigger);
    switch (trigger.kind) {
    case kTaskDaily:
        return at + " every day" + starting;
    case kTaskWeekly:
        return at + " every " + DayName(DayOfWeek(trigger.year, trigger.month, trigger.day), false) + starting;
    case kTaskMonthly:
        return at + " on day " + std::to_string(trigger.day) + " of every month" + starting;
    default:
        return at + " on " + FormatDate(trigger);
    }
}

std::string PercentEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
            c == '-') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

std::optional<std::string> PercentDecode(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 3 > text.size()) return std::nullopt;
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
        if (error != std::errc() || end != text.data() + i + 3) return std::nullopt;
        decoded += static_cast<char>(value);
        i += 2;
    }
    return decoded;
}

std::string TaskRecord(const std::string& name, const TaskDefinition& task) {
    return std::string(kTaskRecordMark) + PercentEncode(name) + " program=" + PercentEncode(task.program) +
           " parameters=" + PercentEncode(task.parameters) + " directory=" + PercentEncode(task.workingDirectory);
}

std::string TriggerRecord(const std::string& name, int number, const TriggerRule& trigger) {
    return std::string(kTaskRecordMark) + PercentEncode(name) + " " + std::to_string(number) +
           " kind=" + std::to_string(trigger.kind) + " start=" + FormatDate(trigger) + "T" + FormatTime(trigger);
}

std::optional<ParsedRecord> ParseRecord(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
    if (line.substr(0, kTaskRecordMark.size()) != kTaskRecordMark) return std::nullopt;
    const auto words = SplitBlanks(line.substr(kTaskRecordMark.size()));
    if (words.size() < 2) return std::nullopt;
    ParsedRecord record;
    const auto name = PercentDecode(words[0]);
    if (!name || name->empty()) return std::nullopt;
    record.name = *name;
    if (words.size() == 4 && ParseNumber(words[1])) {
        const auto trigger = ParseTrigger(words[2], words[3]);
        if (!trigger) return std::nullopt;
        record.isTrigger = true;
        record.number = *ParseNumber(words[1]);
        record.trigger = *trigger;
        return record;
    }
    if (words.size() != 4) return std::nullopt;
    const auto program = Field(words[1], "program");
    auto parameters = Field(words[2], "parameters");
    auto directory = Field(words[3], "directory");
    // An empty value is written as "key=" and SplitBlanks keeps it whole.
    if (!parameters && words[2] == "parameters=") parameters = "";
    if (!directory && words[3] == "directory=") directory = "";
    if (!program || !parameters || !directory) return std::nullopt;
    record.task = TaskDefinition{*program, *parameters, *directory};
    return record;
}

}  // namespace brindle
