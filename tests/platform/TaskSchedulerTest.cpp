#include "platform/TaskScheduler.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "platform/CrontabScheduler.h"
#include "platform/SystemdTimerScheduler.h"
#include "platform/TaskTrigger.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::ReadFileAt;
using test::TemporaryFolder;
using test::WriteFileAt;

// Stand-ins for the system's tools, first on the scheduler's PATH. The crontab keeps its
// table in a file and refuses to list it while a file "broken" exists; systemctl writes
// each call to a file and answers is-system-running from the file "state". They find
// their own tools, since some tests give the scheduler a PATH of the fakes alone.
const char* const kFakeCrontab = R"(#!/bin/sh
PATH=/usr/bin:/bin
here=$(dirname "$0")/..
if [ -e "$here/broken" ]; then echo "crontab: cannot open the spool: Permission denied" >&2; exit 1; fi
case "$1" in
-l) if [ -f "$here/table" ]; then cat "$here/table"; else echo "no crontab for tester" >&2; exit 1; fi ;;
-) cat > "$here/table" ;;
*) exit 2 ;;
esac
)";

const char* const kFakeSystemctl = R"(#!/bin/sh
PATH=/usr/bin:/bin
here=$(dirname "$0")/..
echo "$*" >> "$here/calls"
if [ "$2" = is-system-running ]; then
  if [ -f "$here/state" ]; then cat "$here/state"; else echo offline; exit 1; fi
fi
exit 0
)";

enum class Backend { Crontab, Systemd };
void PrintTo(Backend backend, std::ostream* out) { *out << (backend == Backend::Crontab ? "crontab" : "systemd"); }

class SchedulerTools {
public:
    explicit SchedulerTools(bool withCrontab, bool withSystemctl) {
        if (withCrontab) install("crontab", kFakeCrontab);
        if (withSystemctl) install("systemctl", kFakeSystemctl);
        fs::create_directories(home());
        env.set("PATH", (m_root.path() / "bin").string() + ":/usr/bin:/bin");
        env.set("HOME", home().string());
        env.set("DISPLAY", ":7");
        env.set("WINEPREFIX", (home() / "my prefix").string());
    }

    fs::path root() const { return m_root.path(); }
    fs::path home() const { return m_root.path() / "home"; }
    fs::path units() const { return home() / ".config/systemd/user"; }
    std::string table() const { return ReadFileAt(root() / "table"); }
    std::string calls() const { return ReadFileAt(root() / "calls"); }
    void setSystemdState(const std::string& state) const { WriteFileAt(root() / "state", state + "\n"); }

    SchedulerEnvironment env;

private:
    void install(const std::string& name, const char* script) {
        const fs::path path = m_root.writeFile("bin/" + name, script);
        fs::permissions(path, fs::perms::owner_all);
    }

    TemporaryFolder m_root;
};

ScheduledTask Task(int kind, int year, int month, int day, int hour, int minute) {
    ScheduledTask task;
    task.start = TaskTime{static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month), 0,
                          static_cast<std::uint16_t>(day), static_cast<std::uint16_t>(hour),
                          static_cast<std::uint16_t>(minute), 0, 0};
    task.kind = kind;
    task.program = "/opt/brindle/brindle";
    task.parameters = "scan";
    task.workingDirectory = "/opt/brindle";
    task.account = "bob";
    return task;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// What cron hands to /bin/sh: the command field up to the first unescaped '%', each "\%"
// turned into "%".
std::string CronCommand(const std::string& line) {
    std::size_t at = 0;
    for (int field = 0; field < 5; ++field) at = line.find(' ', at) + 1;
    std::string command;
    bool escaped = false;
    for (const char c : line.substr(at)) {
        if (escaped) {
            if (c == '%') command.pop_back();
            escaped = false;
        } else if (c == '\\') {
            escaped = true;
        } else if (c == '%') {
            break;
        }
        command += c;
    }
    return command;
}

// What systemd hands to /bin/sh from ExecStart=/bin/sh -c "...".
std::string SystemdCommand(const std::string& unit) {
    const std::string mark = "ExecStart=/bin/sh -c \"";
    const std::size_t at = unit.find(mark);
    if (at == std::string::npos) return {};
    std::string command;
    for (std::size_t i = at + mark.size(); i < unit.size() && unit[i] != '"'; ++i) {
        if (unit[i] == '\\' || ((unit[i] == '%' || unit[i] == '$') && i + 1 < unit.size() && unit[i + 1] == unit[i]))
            ++i;
        command += unit[i];
    }
    return command;
}

// ---- Behaviour both backends owe the program ------------------------------------------

class TaskSchedulerConformance : public ::testing::TestWithParam<Backend> {
protected:
    TaskSchedulerConformance() : tools(true, true) {
        if (GetParam() == Backend::Systemd) tools.setSystemdState("running");
        scheduler = OpenSystemScheduler(tools.env);
    }

    std::vector<std::string> list(std::int64_t* lastRun = nullptr) {
        std::vector<std::string> texts{"sentinel"};
        std::int64_t when = -1;
        EXPECT_EQ(kTaskOk, scheduler->ListTriggers(kName, texts, when)) << scheduler->lastError();
        if (lastRun) *lastRun = when;
        return texts;
    }

    // The one shell command trigger `index` runs, as the system scheduler would hand it over.
    std::string jobOfTrigger(int number) const {
        if (GetParam() == Backend::Systemd)
            return SystemdCommand(ReadFileAt(tools.units() / ("brindle-" + std::string(kName) + "-" +
                                                               std::to_string(number) + ".service")));
        const auto lines = Lines(tools.table());
        int seen = 0;
        for (std::size_t i = 0; i + 1 < lines.size(); ++i)
            if (ParseRecord(lines[i]) && ParseRecord(lines[i])->isTrigger && ++seen == number)
                return CronCommand(lines[i + 1]);
        return {};
    }

    static constexpr const char* kName = "Brindlebob";
    SchedulerTools tools;
    std::unique_ptr<TaskScheduler> scheduler;
};

TEST_P(TaskSchedulerConformance, OpensTheExpectedBackend) {
    if (GetParam() == Backend::Systemd)
        EXPECT_NE(nullptr, dynamic_cast<SystemdTimerScheduler*>(scheduler.get()));
    else
        EXPECT_NE(nullptr, dynamic_cast<CrontabScheduler*>(scheduler.get()));
}

TEST_P(TaskSchedulerConformance, FirstUseCreatesTheTaskWithItsFirstTrigger) {
    const auto task = Task(kTaskDaily, 2026, 12, 9, 14, 30);
    std::vector<std::string> texts;
    std::int64_t lastRun = 0;
    EXPECT_EQ(kTaskFail, scheduler->ListTriggers(kName, texts, lastRun)) << "no task yet";
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, task)) << scheduler->lastError();
    ASSERT_EQ(kTaskOk, scheduler->AddTrigger(kName, task)) << scheduler->lastError();
    EXPECT_EQ(std::vector<std::string>{"At 14:30 every day, starting 2026-12-09"}, list());
    EXPECT_NE(std::string::npos, jobOfTrigger(1).find("exec '/opt/brindle/brindle' 'scan'")) << jobOfTrigger(1);
}

TEST_P(TaskSchedulerConformance, AnExistingTaskIsRefusedOrReplaced) {
    const auto task = Task(kTaskOnce, 2026, 12, 9, 14, 30);
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, task));
    ASSERT_EQ(kTaskOk, scheduler->AddTrigger(kName, task));
    EXPECT_EQ(kTaskExists, scheduler->CreateTask(kName, true, task));
    EXPECT_EQ(1u, list().size()) << "refusing must not touch the task";
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, false, task)) << scheduler->lastError();
    EXPECT_TRUE(list().empty()) << "a replaced task starts without triggers";
}

TEST_P(TaskSchedulerConformance, TheSameStartTwiceIsFoundNotAddedAgain) {
    const auto task = Task(kTaskWeekly, 2026, 12, 9, 14, 30);
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, task));
    ASSERT_EQ(kTaskOk, scheduler->AddTrigger(kName, task));
    // The add dialog's second round: the task exists, so it looks for the start first.
    ASSERT_EQ(kTaskExists, scheduler->CreateTask(kName, true, task));
    int index = 99;
    ASSERT_EQ(kTaskOk, scheduler->FindTrigger(kName, Task(kTaskMonthly, 2026, 12, 9, 14, 30), index));
    EXPECT_EQ(0, index) << "the kind is not part of a trigger's identity";
    ASSERT_EQ(kTaskOk, scheduler->FindTrigger(kName, Task(kTaskWeekly, 2026, 12, 9, 14, 31), index));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(1u, list().size());
}

TEST_P(TaskSchedulerConformance, DeletingARowKeepsTheOthersInOrder) {
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, Task(kTaskOnce, 2026, 12, 9, 8, 0)));
    for (int hour : {8, 9, 10}) ASSERT_EQ(kTaskOk, scheduler->AddTrigger(kName, Task(kTaskOnce, 2026, 12, 9, hour, 0)));
    ASSERT_EQ(kTaskOk, scheduler->DeleteTrigger(kName, 1)) << scheduler->lastError();
    ASSERT_EQ(kTaskOk, scheduler->AddTrigger(kName, Task(kTaskOnce, 2026, 12, 9, 7, 0)));
    EXPECT_EQ((std::vector<std::string>{"At 08:00 on 2026-12-09", "At 10:00 on 2026-12-09", "At 07:00 on 2026-12-09"}),
              list());
    int index = 0;
    ASSERT_EQ(kTaskOk, scheduler->FindTrigger(kName, Task(kTaskOnce, 2026, 12, 9, 7, 0), index));
    EXPECT_EQ(2, index);
    EXPECT_EQ(kTaskFail, scheduler->DeleteTrigger(kName, 3));
    EXPECT_EQ(kTaskFail, scheduler->DeleteTrigger(kName, -1));
    EXPECT_EQ(3u, list().size());
}

TEST_P(TaskSchedulerConformance, TasksOfOtherNamesAreApart) {
    ASSERT_EQ(kTaskOk, scheduler->CreateTask("Brindle", true, Task(kTaskOnce, 2026, 12, 9, 8, 0)));
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, Task(kTaskOnce, 2026, 12, 9, 8, 0)));
    ASSERT_EQ(kTaskOk, scheduler->AddTrigger(kName, Task(kTaskOnce, 2026, 12, 9, 8, 0)));
    std::vector<std::string> texts;
    std::int64_t lastRun = 0;
    ASSERT_EQ(kTaskOk, scheduler->ListTriggers("Brindle", texts, lastRun));
    EXPECT_TRUE(texts.empty());
    ASSERT_EQ(kTaskOk, scheduler->CreateTask("Brindle", false, Task(kTaskOnce, 2026, 12, 9, 8, 0)));
    EXPECT_EQ(1u, list().size());
}

TEST_P(TaskSchedulerConformance, LastRunIsNeverUntilTheJobRecordsOne) {
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, Task(kTaskDaily, 2026, 12, 9, 8, 0)));
    std::int64_t lastRun = -1;
    list(&lastRun);
    EXPECT_EQ(0, lastRun);
    WriteFileAt(tools.home() / ".local/state/brindle" / (std::string(kName) + ".lastrun"), "1765288800\n");
    list(&lastRun);
    EXPECT_EQ(1765288800, lastRun);
    WriteFileAt(tools.home() / ".local/state/brindle" / (std::string(kName) + ".lastrun"), "garbage");
    std::vector<std::string> texts;
    EXPECT_EQ(kTaskFail, scheduler->ListTriggers(kName, texts, lastRun));
    EXPECT_NE(std::string::npos, scheduler->lastError().find("garbage")) << scheduler->lastError();
}

TEST_P(TaskSchedulerConformance, RefusesIncompleteTasks) {
    struct Case {
        const char* what;
        std::string name;
        ScheduledTask task;
    };
    auto noYear = Task(kTaskOnce, 0, 12, 9, 8, 0);
    auto noProgram = Task(kTaskOnce, 2026, 12, 9, 8, 0);
    noProgram.program.clear();
    auto noDay = Task(kTaskMonthly, 2026, 2, 30, 8, 0);
    auto badKind = Task(5, 2026, 12, 9, 8, 0);
    auto lineBreak = Task(kTaskOnce, 2026, 12, 9, 8, 0);
    lineBreak.parameters = "scan\n* * * * * rm -rf ~";
    const Case cases[] = {{"empty name", "", Task(kTaskOnce, 2026, 12, 9, 8, 0)},
                          {"year 0", kName, noYear},
                          {"no program", kName, noProgram},
                          {"30 February", kName, noDay},
                          {"kind 5", kName, badKind},
                          {"line break", kName, lineBreak}};
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, Task(kTaskOnce, 2026, 12, 9, 8, 0)));
    for (const auto& c : cases) {
        EXPECT_EQ(kTaskFail, scheduler->CreateTask(c.name, false, c.task)) << c.what;
        EXPECT_EQ(kTaskFail, scheduler->AddTrigger(c.name, c.task)) << c.what;
        EXPECT_FALSE(scheduler->lastError().empty()) << c.what;
    }
    int index = 5;
    EXPECT_EQ(kTaskFail, scheduler->FindTrigger("", Task(kTaskOnce, 2026, 12, 9, 8, 0), index));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(kTaskFail, scheduler->DeleteTrigger("", 0));
    EXPECT_EQ(kTaskFail, scheduler->AddTrigger("Brindlenobody", Task(kTaskOnce, 2026, 12, 9, 8, 0)));
    EXPECT_TRUE(list().empty()) << "the task itself is untouched";
}

// Every text that goes into a job is one line: a line break in the run-time file's folder
// (XDG_STATE_HOME) would end the crontab line, or the unit's, and start a command of its own.
TEST_P(TaskSchedulerConformance, ALineBreakInAnyTextOfTheJobIsRefused) {
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, Task(kTaskDaily, 2026, 12, 9, 8, 0)));
    tools.env.set("XDG_STATE_HOME", (tools.home() / "state").string() + "\n* * * * * touch /tmp/pwned");
    scheduler = OpenSystemScheduler(tools.env);
    EXPECT_EQ(kTaskFail, scheduler->AddTrigger(kName, Task(kTaskDaily, 2026, 12, 9, 8, 0)));
    EXPECT_NE(scheduler->lastError().find("holds a line break"), std::string::npos) << scheduler->lastError();
    EXPECT_EQ(tools.table().find("pwned"), std::string::npos);
    if (fs::exists(tools.units())) {
        for (const auto& unit : fs::directory_iterator(tools.units()))
            EXPECT_EQ(ReadFileAt(unit.path()).find("pwned"), std::string::npos) << unit.path();
    }
}

TEST_P(TaskSchedulerConformance, TheJobStartsTheProgramThroughTheShell) {
    // Every character the shell or the scheduler treats specially, in the folder's name.
    const fs::path folder = tools.root() / "odd 100% \"dir\" $HOME it's\\%x";
    const fs::path ran = tools.root() / "ran.txt";
    const fs::path program = folder / "run me.sh";
    WriteFileAt(program, "#!/bin/sh\nprintf '%s|%s|%s|%s' \"$PWD\" \"$*\" \"$DISPLAY\" \"$WINEPREFIX\" > '" +
                             ran.string() + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    auto task = Task(kTaskDaily, 2020, 1, 1, 3, 0);
    task.program = program.string();
    task.workingDirectory = folder.string();
    task.parameters = "scan \"two words\"";
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, task)) << scheduler->lastError();
    ASSERT_EQ(kTaskOk, scheduler->AddTrigger(kName, task)) << scheduler->lastError();

    const std::string job = jobOfTrigger(1);
    ASSERT_FALSE(job.empty());
    const auto result = test::RunProgram("/bin/sh", {"-c", job});
    EXPECT_EQ(0, result.exitCode) << job << "\n" << result.err;
    EXPECT_EQ(folder.string() + "|scan two words|:7|" + (tools.home() / "my prefix").string(), ReadFileAt(ran)) << job;
    std::int64_t lastRun = 0;
    list(&lastRun);
    EXPECT_GT(lastRun, 1765000000);
}

TEST_P(TaskSchedulerConformance, AJobBeforeItsFirstDayStandsDown) {
    const fs::path ran = tools.root() / "ran.txt";
    const fs::path program = tools.root() / "job.sh";
    WriteFileAt(program, "#!/bin/sh\ntouch '" + ran.string() + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    auto task = Task(kTaskDaily, 9999, 1, 1, 3, 0);
    task.program = program.string();
    ASSERT_EQ(kTaskOk, scheduler->CreateTask(kName, true, task));
    ASSERT_EQ(kTaskOk, scheduler->AddTrigger(kName, task));
    EXPECT_EQ(0, test::RunProgram("/bin/sh", {"-c", jobOfTrigger(1)}).exitCode);
    EXPECT_FALSE(fs::exists(ran));
    std::int64_t lastRun = -1;
    list(&lastRun);
    EXPECT_EQ(0, lastRun);
}

INSTANTIATE_TEST_SUITE_P(Backends, TaskSchedulerConformance, ::testing::Values(Backend::Crontab, Backend::Systemd),
                         [](const auto& info) { return info.param == Backend::Crontab ? "Crontab" : "Systemd"; });

// ---- Choosing the backend -------------------------------------------------------------

TEST(TaskSchedulerChoice, FollowsWhatTheSystemOffers) {
    struct Case {
        bool crontab, systemctl;
        const char* state;  // nullptr: systemctl answers "offline"
        const char* expected;
    };
    const Case cases[] = {{true, true, "running", "systemd"},   {false, true, "degraded", "systemd"},
                          {true, true, nullptr, "crontab"},     {true, true, "starting", "crontab"},
                          {true, false, nullptr, "crontab"},    {false, true, nullptr, "none"},
                          {false, false, nullptr, "none"}};
    for (const auto& c : cases) {
        SchedulerTools tools(c.crontab, c.systemctl);
        tools.env.set("PATH", (tools.root() / "bin").string());  // the real tools stay out of reach
        if (c.state) tools.setSystemdState(c.state);
        const auto scheduler = OpenSystemScheduler(tools.env);
        const char* chosen = dynamic_cast<SystemdTimerScheduler*>(scheduler.get())   ? "systemd"
                             : dynamic_cast<CrontabScheduler*>(scheduler.get()) ? "crontab"
                                                                                 : "none";
        EXPECT_STREQ(c.expected, chosen) << c.crontab << c.systemctl << (c.state ? c.state : "offline");
    }
}

TEST(TaskSchedulerChoice, WithoutASchedulerEveryOperationFails) {
    SchedulerTools tools(false, false);
    tools.env.set("PATH", (tools.root() / "bin").string());
    const auto scheduler = OpenSystemScheduler(tools.env);
    const auto task = Task(kTaskDaily, 2026, 12, 9, 8, 0);
    int index = 7;
    std::vector<std::string> texts{"x"};
    std::int64_t lastRun = 5;
    EXPECT_EQ(kTaskFail, scheduler->CreateTask("Brindlebob", false, task));
    EXPECT_EQ(kTaskFail, scheduler->AddTrigger("Brindlebob", task));
    EXPECT_EQ(kTaskFail, scheduler->FindTrigger("Brindlebob", task, index));
    EXPECT_EQ(kTaskFail, scheduler->DeleteTrigger("Brindlebob", 0));
    EXPECT_EQ(kTaskFail, scheduler->ListTriggers("Brindlebob", texts, lastRun));
    EXPECT_EQ(-1, index);
    EXPECT_TRUE(texts.empty());
    EXPECT_EQ(0, lastRun);
    EXPECT_EQ(scheduler->lastError(), kNoSchedulerMessage);
    EXPECT_NE(std::string::npos, scheduler->lastError().find("apt-get install cron")) << "what to install";
    EXPECT_FALSE(scheduler->available());
}

// ---- How each trigger kind is said ----------------------------------------------------

TEST(TaskTriggerKinds, CronOnCalendarAndText) {
    struct Case {
        TriggerRule trigger;
        const char* cron;
        const char* onCalendar;
        const char* text;
    };
    const Case cases[] = {
        {{kTaskOnce, 2026, 12, 9, 14, 30}, "30 14 9 12 *", "2026-12-09 14:30:00", "At 14:30 on 2026-12-09"},
        {{kTaskDaily, 2026, 12, 9, 14, 5}, "5 14 * * *", "*-*-* 14:05:00", "At 14:05 every day, starting 2026-12-09"},
        // 9 December 2026 is a Wednesday.
        {{kTaskWeekly, 2026, 12, 9, 14, 30}, "30 14 * * 3", "Wed *-*-* 14:30:00",
         "At 14:30 every Wednesday, starting 2026-12-09"},
        {{kTaskWeekly, 2027, 1, 3, 0, 0}, "0 0 * * 0", "Sun *-*-* 00:00:00", "At 00:00 every Sunday, starting 2027-01-03"},
        {{kTaskWeekly, 2028, 2, 29, 23, 59}, "59 23 * * 2", "Tue *-*-* 23:59:00",
         "At 23:59 every Tuesday, starting 2028-02-29"},
        {{kTaskMonthly, 2026, 12, 31, 14, 30}, "30 14 31 * *", "*-*-31 14:30:00",
         "At 14:30 on day 31 of every month, starting 2026-12-31"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.cron, CronTimeFields(c.trigger)) << c.text;
        EXPECT_EQ(c.onCalendar, OnCalendarOf(c.trigger)) << c.text;
        EXPECT_EQ(c.text, TriggerText(c.trigger));
    }
}

TEST(TaskTriggerKinds, RecordsReadBackWhateverTheNameHolds) {
    const std::string name = "Brindle J. O'Neil 100% $x";
    const TaskDefinition task{"/a b/%c.exe", "scan \"x y\"", ""};
    const auto parsedTask = ParseRecord(TaskRecord(name, task));
    ASSERT_TRUE(parsedTask);
    EXPECT_EQ(name, parsedTask->name);
    EXPECT_EQ(task.program, parsedTask->task.program);
    EXPECT_EQ(task.parameters, parsedTask->task.parameters);
    EXPECT_EQ("", parsedTask->task.workingDirectory);
    const auto parsedTrigger = ParseRecord(TriggerRecord(name, 12, {kTaskMonthly, 2026, 1, 31, 7, 5}));
    ASSERT_TRUE(parsedTrigger && parsedTrigger->isTrigger);
    EXPECT_EQ(12, parsedTrigger->number);
    EXPECT_TRUE(parsedTrigger->trigger.sameStart({kTaskOnce, 2026, 1, 31, 7, 5}));
    EXPECT_FALSE(ParseRecord("# brindle-task"));
    EXPECT_FALSE(ParseRecord("# brindle-task x 1 kind=9 start=2026-01-31T07:05"));
    EXPECT_EQ("brindle-" + SystemdUnitEscape("Brindle-x y"), "brindle-Brindle\\x2dx\\x20y");
}

// ---- What only the crontab backend must take care of ----------------------------------

class CrontabSchedulerTest : public ::testing::Test {
protected:
    CrontabSchedulerTest() : tools(true, false), scheduler(tools.env, (tools.root() / "bin/crontab").string()) {}
    SchedulerTools tools;
    CrontabScheduler scheduler;
};

TEST_F(CrontabSchedulerTest, TheUsersOwnLinesSurviveEveryOperation) {
    const std::string foreign[] = {"MAILTO=bob@example.org", "# backups at five", "0 5 * * * /usr/bin/backup 50\\%",
                                   "# brindle-task is mentioned here but this is not ours", ""};
    std::string table;
    for (const auto& line : foreign) table += line + "\n";
    WriteFileAt(tools.root() / "table", table);
    const auto keepsForeign = [&](const char* after) {
        auto lines = Lines(tools.table());
        std::vector<std::string> left;
        for (const auto& line : lines)
            if (!ParseRecord(line) && line.find("exec '") == std::string::npos) left.push_back(line);
        EXPECT_EQ(std::vector<std::string>(std::begin(foreign), std::end(foreign)), left) << after;
    };
    ASSERT_EQ(kTaskOk, scheduler.CreateTask("Brindlebob", true, Task(kTaskDaily, 2026, 12, 9, 8, 0)));
    keepsForeign("CreateTask");
    ASSERT_EQ(kTaskOk, scheduler.AddTrigger("Brindlebob", Task(kTaskDaily, 2026, 12, 9, 8, 0)));
    ASSERT_EQ(kTaskOk, scheduler.AddTrigger("Brindlebob", Task(kTaskDaily, 2026, 12, 9, 9, 0)));
    keepsForeign("AddTrigger");
    ASSERT_EQ(kTaskOk, scheduler.DeleteTrigger("Brindlebob", 0));
    keepsForeign("DeleteTrigger");
    ASSERT_EQ(kTaskOk, scheduler.CreateTask("Brindlebob", false, Task(kTaskDaily, 2026, 12, 9, 8, 0)));
    keepsForeign("replacing CreateTask");
    EXPECT_EQ(foreign[0], Lines(tools.table()).front());
}

// A trigger's job is known by its own tag, not by standing after the trigger's record:
// when the user removed or moved it and put a line of theirs there, deleting the trigger
// takes the record and its own job wherever it is, and nothing of theirs.
TEST_F(CrontabSchedulerTest, DeletingATriggerTakesOnlyItsOwnJob) {
    ASSERT_EQ(kTaskOk, scheduler.CreateTask("Brindlebob", true, Task(kTaskDaily, 2026, 12, 9, 8, 0)));
    ASSERT_EQ(kTaskOk, scheduler.AddTrigger("Brindlebob", Task(kTaskDaily, 2026, 12, 9, 8, 0)));
    ASSERT_EQ(kTaskOk, scheduler.AddTrigger("Brindlebob", Task(kTaskDaily, 2026, 12, 9, 9, 0)));
    auto lines = Lines(tools.table());
    const std::string mine = "0 6 * * * /usr/bin/mine";
    // The first trigger's job line removed by hand, the user's own line in its place.
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (ParseRecord(lines[i]) && ParseRecord(lines[i])->isTrigger) {
            lines[i + 1] = mine;
            break;
        }
    }
    std::string table;
    for (const auto& line : lines) table += line + "\n";
    WriteFileAt(tools.root() / "table", table);

    ASSERT_EQ(kTaskOk, scheduler.DeleteTrigger("Brindlebob", 0));
    const auto left = Lines(tools.table());
    EXPECT_NE(std::find(left.begin(), left.end(), mine), left.end()) << tools.table();
    std::vector<std::string> texts;
    std::int64_t lastRun = 0;
    ASSERT_EQ(kTaskOk, scheduler.ListTriggers("Brindlebob", texts, lastRun));
    EXPECT_EQ(texts.size(), 1u);
    // The second trigger's job went with it when it was deleted in turn.
    ASSERT_EQ(kTaskOk, scheduler.DeleteTrigger("Brindlebob", 0));
    for (const auto& line : Lines(tools.table())) EXPECT_EQ(line.find("exec '"), std::string::npos) << line;
    EXPECT_NE(tools.table().find(mine), std::string::npos);
}

TEST_F(CrontabSchedulerTest, AnUnreadableTableIsNeverOverwritten) {
    WriteFileAt(tools.root() / "table", "0 5 * * * /usr/bin/backup\n");
    WriteFileAt(tools.root() / "broken", "");
    EXPECT_EQ(kTaskFail, scheduler.CreateTask("Brindlebob", false, Task(kTaskDaily, 2026, 12, 9, 8, 0)));
    EXPECT_NE(std::string::npos, scheduler.lastError().find("Permission denied")) << scheduler.lastError();
    EXPECT_EQ("0 5 * * * /usr/bin/backup\n", tools.table());
}

// ---- What only the systemd backend must take care of -----------------------------------

TEST(SystemdTimerSchedulerTest, TimersAreEnabledPersistentAndRemovedWithTheirService) {
    SchedulerTools tools(false, true);
    SystemdTimerScheduler scheduler(tools.env, (tools.root() / "bin/systemctl").string());
    WriteFileAt(tools.units() / "brindle-other.timer", "[Timer]\nOnCalendar=daily\n");
    ASSERT_EQ(kTaskOk, scheduler.CreateTask("Brindlebob", true, Task(kTaskWeekly, 2026, 12, 9, 14, 30)));
    ASSERT_EQ(kTaskOk, scheduler.AddTrigger("Brindlebob", Task(kTaskWeekly, 2026, 12, 9, 14, 30)));
    const std::string timer = ReadFileAt(tools.units() / "brindle-Brindlebob-1.timer");
    EXPECT_NE(std::string::npos, timer.find("\nOnCalendar=Wed *-*-* 14:30:00\n")) << timer;
    EXPECT_NE(std::string::npos, timer.find("\nPersistent=true\n")) << timer;
    EXPECT_NE(std::string::npos, timer.find("\nUnit=brindle-Brindlebob-1.service\n")) << timer;
    EXPECT_NE(std::string::npos, tools.calls().find("--user enable --now brindle-Brindlebob-1.timer\n"))
        << tools.calls();

    ASSERT_EQ(kTaskOk, scheduler.DeleteTrigger("Brindlebob", 0));
    EXPECT_NE(std::string::npos, tools.calls().find("--user disable --now brindle-Brindlebob-1.timer\n"));
    EXPECT_FALSE(fs::exists(tools.units() / "brindle-Brindlebob-1.timer"));
    EXPECT_FALSE(fs::exists(tools.units() / "brindle-Brindlebob-1.service"));
    EXPECT_TRUE(fs::exists(tools.units() / "brindle-Brindlebob.service"));
    EXPECT_TRUE(fs::exists(tools.units() / "brindle-other.timer"));
}

}  // namespace
}  // namespace brindle
