#include "platform/TaskJobCommand.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <system_error>

namespace brindle {

const std::vector<std::string>& SessionVariables() {
    static const std::vector<std::string> kNames{"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "XDG_RUNTIME_DIR",
                                                 "DBUS_SESSION_BUS_ADDRESS", "WINEPREFIX", "HOME", "PATH",
                                                 // the data folder the window uses
                                                 "XDG_DATA_HOME"};
    return kNames;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '\\' && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
            word += '"';
            inWord = true;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::string ShellQuote(const std::string& word) {
    if (word.empty()) return "''";
    std::string quoted;
    bool open = false;
    for (const char c : word) {
        if (c == '\'' || c == '%') {
            if (open) quoted += '\'';
            open = false;
            quoted += c == '%' ? "%" : "\\'";
            continue;
        }
        if (!open) quoted += '\'';
        open = true;
        quoted += c;
    }
    if (open) quoted += '\'';
    return quoted;
}

Result<std::string> LastRunFile(const SchedulerEnvironment& env, const std::string& taskName) {
    const std::string stateHome = env.stateHome();
    if (stateHome.empty())
        return Error("task " + taskName + ": neither XDG_STATE_HOME nor HOME is set, so its run time has no place");
    return stateHome + "/brindle/" + PercentEncode(taskName) + ".lastrun";
}

Result<std::int64_t> ReadLastRun(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno == ENOENT) return std::int64_t{0};
        return Error::In(path, std::strerror(errno));
    }
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    std::int64_t seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || seconds < 0)
        return Error::In(path, "\"" + text + "\" is not a time in seconds");
    return seconds;
}

namespace {

// A crontab line and a unit's line both end at a line break: one inside a text of the job
// would start a line of its own, a command the user never asked for.
std::optional<Error> RefuseLineBreak(const std::string& what, const std::string& text) {
    if (text.find_first_of(std::string("\n\r\0", 3)) == std::string::npos) return std::nullopt;
    return Error(what + " holds a line break, so no scheduled job can safely run it");
}

}  // namespace

Result<std::string> JobCommand(const TaskDefinition& task, const TriggerRule& trigger, const SchedulerEnvironment& env,
                               const std::string& lastRunFile) {
    for (const auto& [what, text] : {std::pair<std::string, const std::string&>{"the program " + task.program, task.program},
                                     {"the command line of " + task.program, task.parameters},
                                     {"the folder of " + task.program, task.workingDirectory},
                                     {"the run-time file " + lastRunFile + " (from XDG_STATE_HOME or HOME)", lastRunFile}}) {
        if (auto refused = RefuseLineBreak(what, text)) return *refused;
    }
    // Cron cannot say a year or a first day, and systemd timers cannot say a first day: the
    // job itself stands down before its first day, and a once-only one on every other day.
    char day[16];
    std::snprintf(day, sizeof day, "%04d%02d%02d", trigger.year, trigger.month, trigger.day);
    std::string command = std::string("[ \"$(date +%Y%m%d)\" ") + (trigger.kind == kTaskOnce ? "-eq " : "-ge ") + day +
                          " ] || exit 0; ";

    const std::string folder = lastRunFile.substr(0, lastRunFile.rfind('/'));
    command += "mkdir -p " + ShellQuote(folder) + " && date +%s > " + ShellQuote(lastRunFile + ".new") + " && mv -f " +
               ShellQuote(lastRunFile + ".new") + " " + ShellQuote(lastRunFile) + "; ";

    for (const auto& name : SessionVariables()) {
        const auto value = env.get(name);
        if (!value) continue;
        if (auto refused = RefuseLineBreak("the session variable " + name, *value)) return *refused;
        command += name + "=" + ShellQuote(*value) + "; export " + name + "; ";
    }
    if (!task.workingDirectory.empty()) command += "cd " + ShellQuote(task.workingDirectory) + " && ";
    command += "exec " + ShellQuote(task.program);
    for (const auto& word : SplitCommandLine(task.parameters)) command += " " + ShellQuote(word);
    return command;
}

std::string CrontabEscape(const std::string& command) {
    std::string escaped;
    for (const char c : command) {
        if (c == '%') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string SystemdQuote(const std::string& word) {
    std::string quoted = "\"";
    for (const char c : word) {
        if (c == '\\' || c == '"') quoted += '\\';
        if (c == '%' || c == '$') quoted += c;
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace brindle
