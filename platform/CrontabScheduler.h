// The task scheduler over the user's crontab, read with `crontab -l` and replaced whole
// with `crontab -`. A task is a record line; each trigger is a record line followed by
// its cron line. Every other line of the table is the user's and is kept as it stands.
#pragma once

#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/TaskScheduler.h"
#include "platform/TaskTrigger.h"

namespace brindle {

// The five time fields of a cron line for the trigger ("30 14 * * 3").
std::string CronTimeFields(const TriggerRule& trigger);

class CrontabScheduler final : public TaskScheduler {
public:
    // crontab is the path of the crontab program.
    CrontabScheduler(SchedulerEnvironment env, std::string crontab);

    TaskResult CreateTask(const std::string& name, bool failIfExists, const ScheduledTask& task) override;
    TaskResult AddTrigger(const std::string& name, const ScheduledTask& task) override;
    TaskResult FindTrigger(const std::string& name, const ScheduledTask& task, int& index) override;
    TaskResult DeleteTrigger(const std::string& name, int index) override;
    TaskResult ListTriggers(const std::string& name, std::vector<std::string>& texts,
                            std::int64_t& lastRunTime) override;

private:
    struct Table;
    Result<Table> readTable();
    Status writeTable(const std::vector<std::string>& lines);
    // How a job written before jobs carried their tag names its run-time file; empty when
    // there is no place for one.
    std::string legacyJobMark(const std::string& name) const;

    SchedulerEnvironment m_env;
    std::string m_crontab;
};

}  // namespace brindle
