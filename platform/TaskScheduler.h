// The system's task scheduler as the program sees it: one named task that runs a program
// with a command line, started by any number of date-and-time triggers, each kept in the
// order it was added.
//
// The scheduler is the user's own: systemd user timers where a systemd user instance runs,
// else the user's crontab. Jobs outlive the program and survive restarts. Where neither
// exists, every operation fails.
//
// Results are HRESULT-shaped, negative on failure; lastError() then says what failed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brindle {

// A SYSTEMTIME-like record; dayOfWeek 0 is Sunday; year 0 means "not set".
struct TaskTime {
    std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

enum TaskKind : int { kTaskOnce = 1, kTaskDaily = 2, kTaskWeekly = 3, kTaskMonthly = 4 };

struct ScheduledTask {
    TaskTime start;
    int kind = kTaskOnce;  // a TaskKind
    std::string program;    // full path of the program file
    std::string parameters; // its command line; quotes group words that hold blanks
    std::string workingDirectory;
    std::string account;
    std::string comment;
    bool isNT = true;
};

using TaskResult = std::int32_t;
inline constexpr TaskResult kTaskOk = 0;
inline constexpr TaskResult kTaskFail = static_cast<TaskResult>(0x80004005);    // E_FAIL
inline constexpr TaskResult kTaskExists = static_cast<TaskResult>(0x80070050);  // file exists

// "Brindle" followed by the user name on the NT family, "Brindle" alone otherwise.
std::string ScheduledTaskName(const std::string& userName, bool isNT);

// Everything a scheduler reads from its surroundings: the programs it finds on PATH, the
// folders it keeps units and run times in, and the desktop session the jobs run in. Tests
// build one around a scratch folder so that they never touch the real user's schedule.
class SchedulerEnvironment {
public:
    // A copy of this process's environment.
    static SchedulerEnvironment FromProcess();

    void set(const std::string& name, const std::string& value) { m_variables[name] = value; }
    std::optional<std::string> get(const std::string& name) const;
    // NAME=value lines, the environment of the programs the scheduler runs.
    std::vector<std::string> entries() const;

    // The first executable file of that name in a PATH folder; empty when there is none.
    std::string findProgram(const std::string& name) const;
    // $XDG_CONFIG_HOME, else $HOME/.config; empty without either.
    std::string configHome() const;
    // $XDG_STATE_HOME, else $HOME/.local/state; empty without either.
    std::string stateHome() const;

private:
    std::map<std::string, std::string> m_variables;
};

class TaskScheduler {
public:
    virtual ~TaskScheduler() = default;

    // Makes the task with no triggers. An existing task of that name gives kTaskExists
    // when failIfExists is set, else it is replaced with all its triggers.
    virtual TaskResult CreateTask(const std::string& name, bool failIfExists, const ScheduledTask& task) = 0;
    // Adds a trigger of task.kind starting at task.start, after the task's others.
    virtual TaskResult AddTrigger(const std::string& name, const ScheduledTask& task) = 0;
    // index = the first trigger with the begin date, hour and minute of task.start, or -1.
    virtual TaskResult FindTrigger(const std::string& name, const ScheduledTask& task, int& index) = 0;
    virtual TaskResult DeleteTrigger(const std::string& name, int index) = 0;
    // One text per trigger, in trigger order; lastRunTime is seconds since 1970 UTC of the
    // task's latest start, 0 when it never ran.
    virtual TaskResult ListTriggers(const std::string& name, std::vector<std::string>& texts,
                                    std::int64_t& lastRunTime) = 0;

    // Why the last failing operation failed; empty after a success.
    const std::string& lastError() const { return m_lastError; }
    // False for the stand-in used when the system has no scheduler: every operation fails.
    virtual bool available() const { return true; }

protected:
    TaskResult fail(std::string message) {
        m_lastError = std::move(message);
        return kTaskFail;
    }
    TaskResult succeed() {
        m_lastError.clear();
        return kTaskOk;
    }

private:
    std::string m_lastError;
};

// What the user is told when there is no scheduler: why, and what to install.
extern const char* const kNoSchedulerMessage;

// systemd user timers when `systemctl --user is-system-running` answers running or
// degraded, else the crontab when a crontab program is on PATH, else a scheduler whose
// every operation fails with kNoSchedulerMessage and that is not available().
std::unique_ptr<TaskScheduler> OpenSystemScheduler(const SchedulerEnvironment& env = SchedulerEnvironment::FromProcess());

}  // namespace brindle
