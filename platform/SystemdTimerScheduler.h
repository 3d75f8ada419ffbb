// The task scheduler over systemd user units in $XDG_CONFIG_HOME/systemd/user:
//   brindle-<name>.service      the task: its record, and the job for starting by hand;
//   brindle-<name>-<n>.timer    trigger n: its record, OnCalendar=, Persistent=true;
//   brindle-<name>-<n>.service  what trigger n starts: the job with the session captured
//                               when the trigger was added.
// <name> is escaped as systemd-escape does, '-' included, so that "-<n>" cannot be part of
// a name. Triggers are ordered by n, which only grows. Enabled timers survive restarts,
// and Persistent=true makes up for starts missed while the machine was off.
#pragma once

#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/TaskScheduler.h"
#include "platform/TaskTrigger.h"

namespace brindle {

// "Brindle\x2dbob" for "Brindle-bob".
std::string SystemdUnitEscape(const std::string& name);
// The OnCalendar= value of a trigger ("Wed *-*-* 14:30:00").
std::string OnCalendarOf(const TriggerRule& trigger);

class SystemdTimerScheduler final : public TaskScheduler {
public:
    // systemctl is the path of the systemctl program.
    SystemdTimerScheduler(SchedulerEnvironment env, std::string systemctl);

    TaskResult CreateTask(const std::string& name, bool failIfExists, const ScheduledTask& task) override;
    TaskResult AddTrigger(const std::string& name, const ScheduledTask& task) override;
    TaskResult FindTrigger(const std::string& name, const ScheduledTask& task, int& index) override;
    TaskResult DeleteTrigger(const std::string& name, int index) override;
    TaskResult ListTriggers(const std::string& name, std::vector<std::string>& texts,
                            std::int64_t& lastRunTime) override;

private:
    struct Trigger {
        int number = 0;
        TriggerRule rule;
    };
    struct Task {
        TaskDefinition definition;
        std::vector<Trigger> triggers;
    };

    Result<std::string> unitFolder() const;
    // Nothing when there is no such task; an error when its units cannot be read.
    Result<std::optional<Task>> readTask(const std::string& name) const;
    Status systemctl(const std::vector<std::string>& arguments);
    Status removeTrigger(const std::string& name, int number);

    SchedulerEnvironment m_env;
    std::string m_systemctl;
};

}  // namespace brindle
