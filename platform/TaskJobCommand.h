// The shell command a scheduled trigger runs, the same for every backend: it checks that
// the trigger's first day has come, records the start time in the task's run-time file,
// takes on the desktop session captured when the trigger was added, and starts the
// program with its command line in its folder.
//
// Every text from outside is single-quoted; a '%' always stands outside the quotes, so
// that a crontab can escape each one with a backslash whatever precedes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/TaskTrigger.h"

namespace brindle {

// The variables a desktop program needs, copied into each job.
const std::vector<std::string>& SessionVariables();

// A Windows-style command line split into words: blanks separate, double quotes group,
// \" is a quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// One word for /bin/sh.
std::string ShellQuote(const std::string& word);

// $XDG_STATE_HOME/brindle/<name>.lastrun (or below ~/.local/state).
Result<std::string> LastRunFile(const SchedulerEnvironment& env, const std::string& taskName);
// Seconds since 1970 of the last start, 0 when the file does not exist.
Result<std::int64_t> ReadLastRun(const std::string& path);

Result<std::string> JobCommand(const TaskDefinition& task, const TriggerRule& trigger, const SchedulerEnvironment& env,
                               const std::string& lastRunFile);

// crontab(5) ends the command at an unescaped '%'.
std::string CrontabEscape(const std::string& command);
// A quoted word of a systemd command line: C escapes, "%%" and "$$".
std::string SystemdQuote(const std::string& word);

}  // namespace brindle
