#include "platform/TaskScheduler.h"

#include <unistd.h>

#include <algorithm>

#include "platform/ChildProcess.h"
#include "platform/CrontabScheduler.h"
#include "platform/SystemdTimerScheduler.h"

extern char** environ;

namespace brindle {

const char* const kNoSchedulerMessage =
    "Scheduled scans need a task scheduler, and this system has none: no systemd user instance runs and no "
    "crontab program is on PATH. Install cron (for example: sudo apt-get install cron) or log in to a session "
    "with a systemd user instance, then add the schedule again.";

namespace {

// Where the system has no scheduler, every operation fails and says why.
class UnavailableScheduler final : public TaskScheduler {
public:
    bool available() const override { return false; }
    TaskResult CreateTask(const std::string&, bool, const ScheduledTask&) override { return none(); }
    TaskResult AddTrigger(const std::string&, const ScheduledTask&) override { return none(); }
    TaskResult FindTrigger(const std::string&, const ScheduledTask&, int& index) override {
        index = -1;
        return none();
    }
    TaskResult DeleteTrigger(const std::string&, int) override { return none(); }
    TaskResult ListTriggers(const std::string&, std::vector<std::string>& texts, std::int64_t& lastRunTime) override {
        texts.clear();
        lastRunTime = 0;
        return none();
    }

private:
    TaskResult none() {
        return fail(kNoSchedulerMessage);
    }
};

bool SystemdUserInstanceRuns(const SchedulerEnvironment& env, const std::string& systemctl) {
    const auto answer = RunChild(systemctl, {"--user", "is-system-running"}, env.entries());
    if (!answer) return false;
    // It exits non-zero when degraded, so only the word counts.
    const std::string& state = answer->out;
    const std::string word = state.substr(0, state.find_first_of(" \n"));
    return word == "running" || word == "degraded";
}

}  // namespace

std::string ScheduledTaskName(const std::string& userName, bool isNT) {
    return isNT ? "Brindle" + userName : std::string("Brindle");
}

SchedulerEnvironment SchedulerEnvironment::FromProcess() {
    SchedulerEnvironment env;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos && equals > 0) env.set(text.substr(0, equals), text.substr(equals + 1));
    }
    return env;
}

std::optional<std::string> SchedulerEnvironment::get(const std::string& name) const {
    const auto found = m_variables.find(name);
    if (found == m_variables.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> SchedulerEnvironment::entries() const {
    std::vector<std::string> entries;
    for (const auto& [name, value] : m_variables) entries.push_back(name + "=" + value);
    return entries;
}

std::string SchedulerEnvironment::findProgram(const std::string& name) const {
    const std::string path = get("PATH").value_or("");
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t end = std::min(path.find(':', at), path.size());
        // An empty PATH entry would mean the current folder; a scheduler must not depend on it.
        if (end > at) {
            const std::string candidate = path.substr(at, end - at) + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        at = end + 1;
    }
    return {};
}

static std::string HomeBased(const SchedulerEnvironment& env, const char* variable, const char* belowHome) {
    const auto value = env.get(variable);
    if (value && !value->empty() && (*value)[0] == '/') return *value;
    const auto home = env.get("HOME");
    if (home && !home->empty()) return *home + belowHome;
    return {};
}

std::string SchedulerEnvironment::configHome() const { return HomeBased(*this, "XDG_CONFIG_HOME", "/.config"); }
std::string SchedulerEnvironment::stateHome() const { return HomeBased(*this, "XDG_STATE_HOME", "/.local/state"); }

std::unique_ptr<TaskScheduler> OpenSystemScheduler(const SchedulerEnvironment& env) {
    const std::string systemctl = env.findProgram("systemctl");
    if (!systemctl.empty() && SystemdUserInstanceRuns(env, systemctl))
        return std::make_unique<SystemdTimerScheduler>(env, systemctl);
    const std::string crontab = env.findProgram("crontab");
    if (!crontab.empty()) return std::make_unique<CrontabScheduler>(env, crontab);
    return std::make_unique<UnavailableScheduler>();
}

}  // namespace brindle
