#include "app/workflow/ScheduleCommands.h"

#include <ctime>

#include "platform/LocalTime.h"

namespace brindle {

std::string AddScheduledScan(TaskScheduler& scheduler, const std::string& taskName,
                                            const ScheduledTask& task) {
    // A failure is never silent: the scheduler's own reason follows the failure text.
    const auto failed = [&]() { return std::string(kScheduleFailed) + "\n\n" + scheduler.lastError(); };
    const auto addTrigger = [&]() -> std::string {
        return scheduler.AddTrigger(taskName, task) != kTaskOk ? failed() : std::string(kScheduleCreated);
    };
    if (scheduler.CreateTask(taskName, true, task) >= 0) return addTrigger();
    // The task exists (or could not be made): a trigger at this time is not added twice.
    int index = -1;
    if (scheduler.FindTrigger(taskName, task, index) < 0) return failed();
    if (index >= 0) return std::string(kScheduleExists);
    return addTrigger();
}

std::optional<std::vector<std::vector<std::string>>> ScheduleListRows(TaskScheduler& scheduler,
                                                                      const std::string& taskName,
                                                                      const LocalTimeText& lastRunText) {
    std::vector<std::string> texts;
    std::int64_t lastRun = 0;
    if (scheduler.ListTriggers(taskName, texts, lastRun) < 0) return std::nullopt;
    const std::string ran = lastRun == 0 ? std::string(kNeverRunText) : lastRunText(lastRun);
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < texts.size(); ++i) rows.push_back({std::to_string(i + 1), texts[i], ran});
    return rows;
}

std::string LastRunText(std::int64_t secondsSince1970) {
    if (secondsSince1970 == 0) return kNeverRunText;
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    const std::optional<std::tm> local = LocalTimeIfKnown(time);
    if (!local) return kNeverRunText;
    char text[32] = {};
    std::strftime(text, sizeof text, "%H:%M:%S %d-%m-%y", &*local);
    return text;
}

std::string TimeFormatWithoutSeconds(const std::string& format, const std::string& separator) {
    std::string result = format;
    for (const char* seconds : {"ss", "s"}) {
        const std::string part = separator + seconds;
        if (const std::size_t at = result.find(part); at != std::string::npos) {
            result.erase(at, part.size());
            return result;
        }
    }
    return result;
}

}  // namespace brindle
