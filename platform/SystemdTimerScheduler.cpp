#include "platform/SystemdTimerScheduler.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/ChildProcess.h"
#include "platform/TaskJobCommand.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

std::string UnitBase(const std::string& name) { return "brindle-" + SystemdUnitEscape(name); }
std::string TriggerUnit(const std::string& name, int number, const char* suffix) {
    return UnitBase(name) + "-" + std::to_string(number) + suffix;
}

// The record on a unit file's first line; nothing when the file does not exist.
Result<std::optional<ParsedRecord>> ReadRecord(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno == ENOENT) return std::optional<ParsedRecord>();
        return Error::In(path.string(), std::strerror(errno));
    }
    std::string first;
    std::getline(file, first);
    auto record = ParseRecord(first);
    if (!record) return Error::In(path.string(), "its first line is not a brindle-task record");
    return std::optional<ParsedRecord>(*record);
}

}  // namespace

std::string SystemdUnitEscape(const std::string& name) {
    static const char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                           c == ':' || (c == '.' && i > 0);
        if (plain) {
            escaped += static_cast<char>(c);
        } else {
            escaped += "\\x";
            escaped += kHex[c >> 4];
            escaped += kHex[c & 15];
        }
    }
    return escaped;
}

std::string OnCalendarOf(const TriggerRule& trigger) {
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:00", trigger.hour, trigger.minute);
    switch (trigger.kind) {
    case kTaskDaily:
        return std::string("*-*-* ") + time;
    case kTaskWeekly:
        return DayName(DayOfWeek(trigger.year, trigger.month, trigger.day), true) + " *-*-* " + time;
    case kTaskMonthly:
        // Months without that day are skipped, as the system scheduler does.
        return "*-*-" + std::to_string(trigger.day) + " " + time;
    default:
        return FormatDate(trigger) + " " + time;
    }
}

SystemdTimerScheduler::SystemdTimerScheduler(SchedulerEnvironment env, std::string systemctl)
    : m_env(std::move(env)), m_systemctl(std::move(systemctl)) {}

Result<std::string> SystemdTimerScheduler::unitFolder() const {
    const std::string config = m_env.configHome();
    if (config.empty()) return Error("neither XDG_CONFIG_HOME nor HOME is set, so there is no systemd user unit folder");
    return config + "/systemd/user";
}

Status SystemdTimerScheduler::systemctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{"--user"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const auto ran = RunChild(m_systemctl, all, m_env.entries());
    if (!ran) return ran.error();
    if (ran->exitCode != 0) {
        std::string line = m_systemctl;
        for (const auto& argument : all) line += " " + argument;
        return Error(line + " failed (exit code " + std::to_string(ran->exitCode) + "): " + ran->err);
    }
    return {};
}

Result<std::optional<SystemdTimerScheduler::Task>> SystemdTimerScheduler::readTask(const std::string& name) const {
    auto folder = unitFolder();
    if (!folder) return folder.error();
    auto header = ReadRecord(fs::path(*folder) / (UnitBase(name) + ".service"));
    if (!header) return header.error();
    if (!*header || (*header)->isTrigger || (*header)->name != name) return std::optional<Task>();
    Task task{(*header)->task, {}};

    const std::string prefix = UnitBase(name) + "-";
    std::error_code error;
    for (fs::directory_iterator entry(*folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string file = entry->path().filename().string();
        if (file.size() <= prefix.size() + 6 || file.compare(0, prefix.size(), prefix) != 0 ||
            !file.ends_with(".timer"))
            continue;
        const std::string number = file.substr(prefix.size(), file.size() - prefix.size() - 6);
        if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
        auto record = ReadRecord(entry->path());
        if (!record) return record.error();
        if (!*record || !(*record)->isTrigger || (*record)->name != name) continue;
        task.triggers.push_back(Trigger{(*record)->number, (*record)->trigger});
    }
    if (error) return Error::In(*folder, error.message());
    std::sort(task.triggers.begin(), task.triggers.end(),
              [](const Trigger& a, const Trigger& b) { return a.number < b.number; });
    return std::optional<Task>(std::move(task));
}

Status SystemdTimerScheduler::removeTrigger(const std::string& name, int number) {
    auto folder = unitFolder();
    if (!folder) return folder.error();
    const std::string timer = TriggerUnit(name, number, ".timer");
    if (auto stopped = systemctl({"disable", "--now", timer}); !stopped) return stopped;
    for (const char* suffix : {".timer", ".service"}) {
        std::error_code error;
        const fs::path path = fs::path(*folder) / TriggerUnit(name, number, suffix);
        if (!fs::remove(path, error) && error) return Error::In(path.string(), error.message());
    }
    return {};
}

TaskResult SystemdTimerScheduler::CreateTask(const std::string& name, bool failIfExists, const ScheduledTask& task) {
    if (const auto problem = CheckTask(name, task)) return fail(*problem);
    auto folder = unitFolder();
    if (!folder) return fail(folder.message());
    auto existing = readTask(name);
    if (!existing) return fail(existing.message());
    if (*existing) {
        if (failIfExists) {
            fail("task " + name + " exists already");
            return kTaskExists;
        }
        for (const auto& trigger : (*existing)->triggers)
            if (auto removed = removeTrigger(name, trigger.number); !removed) return fail(removed.message());
    }
    const TaskDefinition definition{task.program, task.parameters, task.workingDirectory};
    auto lastRun = LastRunFile(m_env, name);
    if (!lastRun) return fail(lastRun.message());
    // The task's own service has no first day to wait for: a start by hand runs the job.
    TriggerRule always = TriggerOf(task);
    always.kind = kTaskDaily;
    always.year = 1970, always.month = 1, always.day = 1;
    auto command = JobCommand(definition, always, m_env, *lastRun);
    if (!command) return fail(command.message());
    const std::string unit = TaskRecord(name, definition) + "\n[Unit]\nDescription=Brindle task " + name +
                             "\n\n[Service]\nType=oneshot\nExecStart=/bin/sh -c " + SystemdQuote(*command) + "\n";
    std::error_code error;
    fs::create_directories(*folder, error);
    if (error) return fail(Error::In(*folder, error.message()).message());
    if (auto written = WriteFileAtomically(fs::path(*folder) / (UnitBase(name) + ".service"), unit); !written)
        return fail(written.message());
    if (auto reloaded = systemctl({"daemon-reload"}); !reloaded) return fail(reloaded.message());
    return succeed();
}

TaskResult SystemdTimerScheduler::AddTrigger(const std::string& name, const ScheduledTask& task) {
    if (const auto problem = CheckTask(name, task)) return fail(*problem);
    auto folder = unitFolder();
    if (!folder) return fail(folder.message());
    auto existing = readTask(name);
    if (!existing) return fail(existing.message());
    if (!*existing) return fail("no task named " + name + " in " + *folder);
    const int number = (*existing)->triggers.empty() ? 1 : (*existing)->triggers.back().number + 1;
    const TriggerRule trigger = TriggerOf(task);
    auto lastRun = LastRunFile(m_env, name);
    if (!lastRun) return fail(lastRun.message());
    auto command = JobCommand((*existing)->definition, trigger, m_env, *lastRun);
    if (!command) return fail(command.message());

    const std::string record = TriggerRecord(name, number, trigger);
    const std::string service = record + "\n[Unit]\nDescription=Brindle task " + name + ": " + TriggerText(trigger) +
                                "\n\n[Service]\nType=oneshot\nExecStart=/bin/sh -c " + SystemdQuote(*command) + "\n";
    const std::string timer = record + "\n[Unit]\nDescription=Brindle task " + name + ": " + TriggerText(trigger) +
                              "\n\n[Timer]\nOnCalendar=" + OnCalendarOf(trigger) +
                              "\nPersistent=true\nUnit=" + TriggerUnit(name, number, ".service") +
                              "\n\n[Install]\nWantedBy=timers.target\n";
    const fs::path servicePath = fs::path(*folder) / TriggerUnit(name, number, ".service");
    const fs::path timerPath = fs::path(*folder) / TriggerUnit(name, number, ".timer");
    if (auto written = WriteFileAtomically(servicePath, service); !written) return fail(written.message());
    // The timer file last: it is what makes the trigger exist for readTask.
    if (auto written = WriteFileAtomically(timerPath, timer); !written) {
        std::error_code ignored;
        fs::remove(servicePath, ignored);
        return fail(written.message());
    }
    Status started = systemctl({"daemon-reload"});
    if (started) started = systemctl({"enable", "--now", TriggerUnit(name, number, ".timer")});
    if (!started) {
        std::error_code ignored;
        fs::remove(timerPath, ignored);
        fs::remove(servicePath, ignored);
        (void)systemctl({"daemon-reload"});
        return fail(started.message());
    }
    return succeed();
}

TaskResult SystemdTimerScheduler::FindTrigger(const std::string& name, const ScheduledTask& task, int& index) {
    index = -1;
    if (name.empty()) return fail("the task has no name");
    auto existing = readTask(name);
    if (!existing) return fail(existing.message());
    if (!*existing) return fail("no task named " + name);
    const TriggerRule wanted = TriggerOf(task);
    const auto& triggers = (*existing)->triggers;
    for (std::size_t i = 0; i < triggers.size(); ++i) {
        if (triggers[i].rule.sameStart(wanted)) {
            index = static_cast<int>(i);
            break;
        }
    }
    return succeed();
}

TaskResult SystemdTimerScheduler::DeleteTrigger(const std::string& name, int index) {
    if (name.empty()) return fail("the task has no name");
    auto existing = readTask(name);
    if (!existing) return fail(existing.message());
    if (!*existing) return fail("no task named " + name);
    const auto& triggers = (*existing)->triggers;
    if (index < 0 || static_cast<std::size_t>(index) >= triggers.size())
        return fail("task " + name + " has no trigger " + std::to_string(index) + " (it has " +
                    std::to_string(triggers.size()) + ")");
    if (auto removed = removeTrigger(name, triggers[static_cast<std::size_t>(index)].number); !removed)
        return fail(removed.message());
    if (auto reloaded = systemctl({"daemon-reload"}); !reloaded) return fail(reloaded.message());
    return succeed();
}

TaskResult SystemdTimerScheduler::ListTriggers(const std::string& name, std::vector<std::string>& texts,
                                               std::int64_t& lastRunTime) {
    texts.clear();
    lastRunTime = 0;
    if (name.empty()) return fail("the task has no name");
    auto existing = readTask(name);
    if (!existing) return fail(existing.message());
    if (!*existing) return fail("no task named " + name);
    auto lastRunFile = LastRunFile(m_env, name);
    if (!lastRunFile) return fail(lastRunFile.message());
    auto lastRun = ReadLastRun(*lastRunFile);
    if (!lastRun) return fail(lastRun.message());
    for (const auto& trigger : (*existing)->triggers) texts.push_back(TriggerText(trigger.rule));
    lastRunTime = *lastRun;
    return succeed();
}

}  // namespace brindle
