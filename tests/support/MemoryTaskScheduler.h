// A task scheduler that keeps its tasks in memory, for the tests of what the program does
// with one (the platform's own schedulers are tested against stand-ins of the system's).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/TaskScheduler.h"

namespace brindle::test {

class MemoryTaskScheduler : public TaskScheduler {
public:
    struct Trigger {
        TaskTime start;
        int kind = 0;
    };
    struct Task {
        ScheduledTask task;
        std::vector<Trigger> triggers;
        std::int64_t lastRun = 0;
    };

    std::map<std::string, Task> tasks;
    bool refuseEverything = false;  // as where no scheduler is available
    bool available() const override { return !refuseEverything; }
    bool refuseTriggers = false;

    TaskResult CreateTask(const std::string& name, bool failIfExists, const ScheduledTask& task) override {
        if (refuseEverything || name.empty() || task.start.year == 0 || task.program.empty()) return fail("refused");
        if (tasks.count(name) != 0 && failIfExists) return kTaskExists;
        tasks[name] = Task{task, {}, 0};
        return succeed();
    }
    TaskResult AddTrigger(const std::string& name, const ScheduledTask& task) override {
        if (refuseEverything || refuseTriggers || tasks.count(name) == 0) return fail("refused");
        tasks[name].triggers.push_back({task.start, task.kind});
        return succeed();
    }
    TaskResult FindTrigger(const std::string& name, const ScheduledTask& task, int& index) override {
        index = -1;
        if (refuseEverything || tasks.count(name) == 0) return fail("refused");
        const auto& triggers = tasks[name].triggers;
        for (std::size_t i = 0; i < triggers.size(); ++i) {
            const TaskTime& t = triggers[i].start;
            if (t.year == task.start.year && t.month == task.start.month && t.day == task.start.day &&
                t.hour == task.start.hour && t.minute == task.start.minute) {
                index = static_cast<int>(i);
                break;
            }
        }
        return succeed();
    }
    TaskResult DeleteTrigger(const std::string& name, int index) override {
        if (refuseEverything || tasks.count(name) == 0) return fail("refused");
        auto& triggers = tasks[name].triggers;
        if (index < 0 || static_cast<std::size_t>(index) >= triggers.size()) return fail("no such trigger");
        triggers.erase(triggers.begin() + index);
        return succeed();
    }
    TaskResult ListTriggers(const std::string& name, std::vector<std::string>& texts, std::int64_t& lastRun) override {
        texts.clear();
        lastRun = 0;
        if (refuseEverything || tasks.count(name) == 0) return fail("refused");
        for (const Trigger& trigger : tasks[name].triggers)
            texts.push_back("kind " + std::to_string(trigger.kind) + " at " + std::to_string(trigger.start.hour) + ":" +
                            std::to_string(trigger.start.minute));
        lastRun = tasks[name].lastRun;
        return succeed();
    }
};

}  // namespace brindle::test
