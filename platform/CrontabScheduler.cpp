#include "platform/CrontabScheduler.h"

#include <algorithm>
#include <optional>

#include "platform/ChildProcess.h"
#include "platform/TaskJobCommand.h"

namespace brindle {

namespace {

struct TriggerLines {
    std::size_t record = 0;
    std::size_t end = 0;  // one past its cron line
    ParsedRecord parsed;
};

// The lines of one task within the table.
struct TaskLines {
    std::optional<std::size_t> header;
    TaskDefinition definition;
    std::vector<TriggerLines> triggers;
    std::size_t end = 0;  // one past the task's last line

    int nextNumber() const {
        int number = 0;
        for (const auto& trigger : triggers) number = std::max(number, trigger.parsed.number);
        return number + 1;
    }
};

bool IsCommentOrBlank(const std::string& line) {
    const auto first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

// The end of a job line, naming the trigger record it belongs to: a shell comment, so the
// job runs as it would without it.
std::string CronJobTag(const std::string& name, int number) {
    return CrontabEscape(" # brindle-job " + PercentEncode(name) + " " + std::to_string(number));
}

// Whether line is the job of the trigger record: by its own content, never by where it
// stands (the user may have moved or removed it, and put a line of theirs there). Jobs
// written before they carried a tag are known by their run-time file, when it is named
// as it would be now (legacyMark).
bool IsJobOf(const std::string& line, const std::string& name, int number, const std::string& legacyMark) {
    if (IsCommentOrBlank(line)) return false;
    if (line.ends_with(CronJobTag(name, number))) return true;
    return !legacyMark.empty() && line.find(legacyMark) != std::string::npos &&
           line.find(" # brindle-job ") == std::string::npos;
}

TaskLines FindTask(const std::vector<std::string>& lines, const std::string& name, const std::string& legacyMark) {
    TaskLines task;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto record = ParseRecord(lines[i]);
        if (!record || record->name != name) continue;
        if (!record->isTrigger) {
            if (task.header) continue;  // a second header of the same name is left alone
            task.header = i;
            task.definition = record->task;
            task.end = i + 1;
            continue;
        }
        TriggerLines trigger{i, i + 1, *record};
        if (i + 1 < lines.size() && IsJobOf(lines[i + 1], name, record->number, legacyMark)) trigger.end = i + 2;
        task.triggers.push_back(trigger);
        task.end = std::max(task.end, trigger.end);
    }
    return task;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

}  // namespace

struct CrontabScheduler::Table {
    std::vector<std::string> lines;
};

std::string CronTimeFields(const TriggerRule& trigger) {
    const std::string time = std::to_string(trigger.minute) + " " + std::to_string(trigger.hour) + " ";
    switch (trigger.kind) {
    case kTaskDaily:
        return time + "* * *";
    case kTaskWeekly:
        return time + "* * " + std::to_string(DayOfWeek(trigger.year, trigger.month, trigger.day));
    case kTaskMonthly:
        // cron skips the months that lack the day, as the system scheduler does.
        return time + std::to_string(trigger.day) + " * *";
    default:
        return time + std::to_string(trigger.day) + " " + std::to_string(trigger.month) + " *";
    }
}

CrontabScheduler::CrontabScheduler(SchedulerEnvironment env, std::string crontab)
    : m_env(std::move(env)), m_crontab(std::move(crontab)) {}

Result<CrontabScheduler::Table> CrontabScheduler::readTable() {
    const auto listed = RunChild(m_crontab, {"-l"}, m_env.entries());
    if (!listed) return listed.error();
    if (listed->exitCode == 0) return Table{SplitLines(listed->out)};
    // A user without a table yet: "no crontab for <user>".
    if (listed->out.empty() && listed->err.find("no crontab") != std::string::npos) return Table{};
    return Error(m_crontab + " -l failed (exit code " + std::to_string(listed->exitCode) + "): " + listed->err);
}

std::string CrontabScheduler::legacyJobMark(const std::string& name) const {
    auto lastRun = LastRunFile(m_env, name);
    return lastRun ? CrontabEscape(ShellQuote(*lastRun)) : std::string();
}

Status CrontabScheduler::writeTable(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    const auto written = RunChild(m_crontab, {"-"}, m_env.entries(), text);
    if (!written) return written.error();
    if (written->exitCode != 0)
        return Error(m_crontab + " - refused the new table (exit code " + std::to_string(written->exitCode) +
                     "): " + written->err);
    return {};
}

TaskResult CrontabScheduler::CreateTask(const std::string& name, bool failIfExists, const ScheduledTask& task) {
    if (const auto problem = CheckTask(name, task)) return fail(*problem);
    auto table = readTable();
    if (!table) return fail(table.message());
    auto& lines = table->lines;
    const TaskLines existing = FindTask(lines, name, legacyJobMark(name));
    if (existing.header) {
        if (failIfExists) {
            fail("task " + name + " exists already");
            return kTaskExists;
        }
        std::vector<std::string> kept;
        std::vector<bool> ours(lines.size(), false);
        ours[*existing.header] = true;
        for (const auto& trigger : existing.triggers)
            for (std::size_t i = trigger.record; i < trigger.end; ++i) ours[i] = true;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!ours[i]) kept.push_back(lines[i]);
        lines = std::move(kept);
    }
    lines.push_back(TaskRecord(name, TaskDefinition{task.program, task.parameters, task.workingDirectory}));
    if (const auto written = writeTable(lines); !written) return fail(written.message());
    return succeed();
}

TaskResult CrontabScheduler::AddTrigger(const std::string& name, const ScheduledTask& task) {
    if (const auto problem = CheckTask(name, task)) return fail(*problem);
    auto table = readTable();
    if (!table) return fail(table.message());
    auto& lines = table->lines;
    const TaskLines existing = FindTask(lines, name, legacyJobMark(name));
    if (!existing.header) return fail("no task named " + name + " in the crontab");
    const TriggerRule trigger = TriggerOf(task);
    auto lastRun = LastRunFile(m_env, name);
    if (!lastRun) return fail(lastRun.message());
    auto command = JobCommand(existing.definition, trigger, m_env, *lastRun);
    if (!command) return fail(command.message());
    const int number = existing.nextNumber();
    const std::vector<std::string> added{TriggerRecord(name, number, trigger),
                                         CronTimeFields(trigger) + " " + CrontabEscape(*command) + CronJobTag(name, number)};
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(existing.end), added.begin(), added.end());
    if (const auto written = writeTable(lines); !written) return fail(written.message());
    return succeed();
}

TaskResult CrontabScheduler::FindTrigger(const std::string& name, const ScheduledTask& task, int& index) {
    index = -1;
    if (name.empty()) return fail("the task has no name");
    auto table = readTable();
    if (!table) return fail(table.message());
    const TaskLines existing = FindTask(table->lines, name, legacyJobMark(name));
    if (!existing.header) return fail("no task named " + name + " in the crontab");
    const TriggerRule wanted = TriggerOf(task);
    for (std::size_t i = 0; i < existing.triggers.size(); ++i) {
        if (existing.triggers[i].parsed.trigger.sameStart(wanted)) {
            index = static_cast<int>(i);
            break;
        }
    }
    return succeed();
}

TaskResult CrontabScheduler::DeleteTrigger(const std::string& name, int index) {
    if (name.empty()) return fail("the task has no name");
    auto table = readTable();
    if (!table) return fail(table.message());
    auto& lines = table->lines;
    const TaskLines existing = FindTask(lines, name, legacyJobMark(name));
    if (!existing.header) return fail("no task named " + name + " in the crontab");
    if (index < 0 || static_cast<std::size_t>(index) >= existing.triggers.size())
        return fail("task " + name + " has no trigger " + std::to_string(index) + " (it has " +
                    std::to_string(existing.triggers.size()) + ")");
    const TriggerLines& doomed = existing.triggers[static_cast<std::size_t>(index)];
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(doomed.record),
                lines.begin() + static_cast<std::ptrdiff_t>(doomed.end));
    if (const auto written = writeTable(lines); !written) return fail(written.message());
    return succeed();
}

TaskResult CrontabScheduler::ListTriggers(const std::string& name, std::vector<std::string>& texts,
                                          std::int64_t& lastRunTime) {
    texts.clear();
    lastRunTime = 0;
    if (name.empty()) return fail("the task has no name");
    auto table = readTable();
    if (!table) return fail(table.message());
    const TaskLines existing = FindTask(table->lines, name, legacyJobMark(name));
    if (!existing.header) return fail("no task named " + name + " in the crontab");
    auto lastRunFile = LastRunFile(m_env, name);
    if (!lastRunFile) return fail(lastRunFile.message());
    auto lastRun = ReadLastRun(*lastRunFile);
    if (!lastRun) return fail(lastRun.message());
    for (const auto& trigger : existing.triggers) texts.push_back(TriggerText(trigger.parsed.trigger));
    lastRunTime = *lastRun;
    return succeed();
}

}  // namespace brindle
