// The in-program automatic scan, to the second, on a fake clock and a fake time zone one
// hour east of UTC, with the settings in an in-memory registry.
#include "app/workflow/InProgramSchedule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

#include "registry/SettingsStore.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

constexpr const char* kSettingsPath = "HKEY_LOCAL_MACHINE\\Software\\Brindle";
// 2026-12-09 08:00:00 UTC.
constexpr std::int64_t kNow = 1796803200;
// 2000-01-01 01:01:01 in a zone one hour east of UTC, as seconds since 1970 UTC.
constexpr std::int64_t kEarliestInZone = 946684800 + 3600 + 60 + 1 - 3600;

class InProgramScheduleTest : public ::testing::Test {
protected:
    InProgramSchedule makeSchedule() {
        return InProgramSchedule([this] { return now; },
                                 [](const std::tm& local) {
                                     std::tm copy = local;
                                     return static_cast<std::int64_t>(timegm(&copy)) - 3600;
                                 });
    }

    // A schedule whose period is `period` (at least a minute) and which is switched on.
    InProgramSchedule enabledWithPeriod(std::uint32_t period) {
        store.WriteDwordSetting(setting::kScanPeriod, period);
        store.WriteDwordSetting(setting::kScanNext, static_cast<std::uint32_t>(kNow));
        InProgramSchedule schedule = makeSchedule();
        schedule.LoadSchedule(registry());
        EXPECT_TRUE(schedule.ToggleEnabled(registry()));
        return schedule;
    }

    ScheduleOptions storedOptions() {
        ScheduleOptions options;
        options.every = machine.valueExists(kSettingsPath, setting::kScanEvery);
        options.afterEvery = machine.valueExists(kSettingsPath, setting::kScanAfterEvery);
        options.month = machine.valueExists(kSettingsPath, setting::kScanMonth);
        options.week = machine.valueExists(kSettingsPath, setting::kScanWeek);
        options.day = machine.valueExists(kSettingsPath, setting::kScanDay);
        options.periodText = store.LoadTextSetting(kSettingsKey, setting::kScanMinutes).value_or("");
        return options;
    }

    Registry& registry() { return machine.registry(); }
    std::int64_t stored(const char* valueName) { return store.ReadDwordSetting(valueName); }

    test::TestMachine machine;
    SettingsStore store{machine.registry()};
    std::int64_t now = kNow;
};

std::string Describe(const ScheduleOptions& o) {
    return std::string(o.every ? "every " : "") + (o.afterEvery ? "after-every " : "") + (o.month ? "month " : "") +
           (o.week ? "week " : "") + (o.day ? "day " : "") + "\"" + o.periodText + "\"";
}

TEST_F(InProgramScheduleTest, ApplyTakesThePeriodFromEveryCombinationOfTheOptions) {
    constexpr std::int64_t kKept = 1000;  // the period loaded before the options are applied
    constexpr std::int64_t kMonth = 2678400, kWeek = 604800, kDay = 86400, kTwoMinutes = 120;
    // Indexed by every | afterEvery << 1 | month << 2 | week << 3 | day << 4.
    const std::int64_t expected[32] = {
        kKept, kTwoMinutes, kKept, kKept,   // nothing chosen but the kinds
        kKept, kTwoMinutes, kMonth, kMonth,  // month
        kKept, kTwoMinutes, kWeek, kWeek,    // week
        kKept, kTwoMinutes, kWeek, kWeek,    // month and week
        kKept, kTwoMinutes, kDay, kDay,      // day
        kKept, kTwoMinutes, kDay, kDay,      // month and day
        kKept, kTwoMinutes, kDay, kDay,      // week and day
        kKept, kTwoMinutes, kDay, kDay,      // all three
    };
    for (const bool enabled : {true, false}) {
        for (int bits = 0; bits < 32; ++bits) {
            const ScheduleOptions options{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0,
                                          (bits & 8) != 0, (bits & 16) != 0, "2"};
            InProgramSchedule schedule = enabledWithPeriod(kKept);
            if (!enabled) schedule.ToggleEnabled(registry());
            now = kNow + bits;
            schedule.ApplyScheduleOptions(registry(), options);

            const std::int64_t period = enabled ? expected[bits] : kKept;
            const std::string what = Describe(options) + (enabled ? " on" : " off");
            EXPECT_EQ(schedule.period(), period) << what;
            EXPECT_EQ(schedule.nextScanTime(), now + period) << what;
            EXPECT_EQ(stored(setting::kScanPeriod), period) << what;
            EXPECT_EQ(stored(setting::kScanNext), now + period) << what;
            EXPECT_EQ(storedOptions(), options) << what;
        }
    }
}

TEST_F(InProgramScheduleTest, EveryNMinutesReadsTheNumberAtTheStartOfTheBox) {
    const struct {
        const char* text;
        std::int64_t period;
    } cases[] = {
        {"", 60},
        {"0", 60},
        {"1", 60},
        {"2", 120},
        {"+3", 180},
        {"7 minutes", 420},
        {"-5", 60},
        {" 5", 60},  // the number must start the text
        {"x5", 60},
        {"71582788", 71582788LL * 60},
        // Longer periods could not be stored; they stay at the longest that can.
        {"71582789", 0xFFFFFFFF},
        {"99999999999999999999999999", 0xFFFFFFFF},
        {"-99999999999999999999999999", 60},
    };
    for (const auto& c : cases) {
        InProgramSchedule schedule = enabledWithPeriod(5000);
        schedule.ApplyScheduleOptions(registry(), {true, false, false, false, false, c.text});
        EXPECT_EQ(schedule.period(), c.period) << '"' << c.text << '"';
        EXPECT_EQ(schedule.nextScanTime(), kNow + c.period) << '"' << c.text << '"';
        EXPECT_EQ(stored(setting::kScanPeriod), c.period) << '"' << c.text << '"';
    }
}

TEST(InProgramSchedulePeriodText, StopsAtTheBoundsOfItsRange) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const struct {
        const char* text;
        std::int64_t minutes;
    } cases[] = {
        {"9223372036854775807", kMax},  {"9223372036854775808", kMax}, {"-9223372036854775808", kMin},
        {"-9223372036854775809", kMin}, {"-", 0},                      {"+-4", 0},
        {"-0012", -12},
    };
    for (const auto& c : cases) EXPECT_EQ(ParsePeriodMinutes(c.text), c.minutes) << c.text;
}

TEST_F(InProgramScheduleTest, OneOrTwoMinutesRunOnceThenDaily) {
    for (const std::int64_t minutes : {1, 2}) {
        InProgramSchedule schedule = enabledWithPeriod(5000);
        now = kNow;
        schedule.ApplyScheduleOptions(registry(), {true, false, false, false, false, std::to_string(minutes)});
        const std::int64_t due = kNow + minutes * 60;
        EXPECT_EQ(schedule.nextScanTime(), due);

        now = due;
        EXPECT_EQ(schedule.CheckScheduledScan(false), ScheduledScan::NotDue) << minutes;
        now = due + 1;
        EXPECT_EQ(schedule.CheckScheduledScan(false), ScheduledScan::Press) << minutes;
        EXPECT_EQ(schedule.period(), 86460) << minutes;
        EXPECT_EQ(schedule.nextScanTime(), due + 1 + 86460) << minutes;
    }
}

TEST_F(InProgramScheduleTest, AdvancingReplacesPeriodsShorterThanThreeMinutes) {
    const struct {
        std::uint32_t stored;
        std::int64_t loaded, advanced;
    } cases[] = {
        {0, 86460, 86460},   {59, 86460, 86460},  {60, 60, 86460},
        {179, 179, 86460},   {180, 180, 180},     {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        InProgramSchedule schedule = enabledWithPeriod(c.stored);
        EXPECT_EQ(schedule.period(), c.loaded) << c.stored;
        schedule.AdvanceNextScan(kNow + 7);
        EXPECT_EQ(schedule.period(), c.advanced) << c.stored;
        EXPECT_EQ(schedule.nextScanTime(), kNow + 7 + c.advanced) << c.stored;
    }
}

TEST_F(InProgramScheduleTest, LoadMovesANextTimeBefore2000OnePeriodFromNow) {
    const struct {
        const char* what;
        std::uint32_t next, period;
        std::int64_t loadedNext, loadedPeriod;
    } cases[] = {
        {"never saved", 0, 0, kNow + 86460, 86460},
        {"a second too early", kEarliestInZone - 1, 3600, kNow + 3600, 3600},
        {"too early, period too short to repeat", kEarliestInZone - 1, 60, kNow + 86460, 86460},
        {"the earliest", kEarliestInZone, 3600, kEarliestInZone, 3600},
        {"passed while the program was closed", kNow - 50, 60, kNow - 50, 60},
        {"after 2038, read unsigned", 0xFFFFFFF0, 3600, 0xFFFFFFF0, 3600},
    };
    for (const auto& c : cases) {
        store.WriteDwordSetting(setting::kScanNext, c.next);
        store.WriteDwordSetting(setting::kScanPeriod, c.period);
        InProgramSchedule schedule = makeSchedule();
        schedule.LoadSchedule(registry());
        EXPECT_EQ(schedule.nextScanTime(), c.loadedNext) << c.what;
        EXPECT_EQ(schedule.period(), c.loadedPeriod) << c.what;
    }
}

TEST_F(InProgramScheduleTest, TheTimerPressesOnlyOnceTheTimeHasPassedAndNothingStopsIt) {
    constexpr std::int64_t kDue = kNow + 600;
    const struct {
        std::int64_t at;
        bool enabled, scanRunning;
        ScheduledScan answer;
        std::int64_t nextAfter;
    } cases[] = {
        {kDue - 1, true, false, ScheduledScan::NotDue, kDue},
        {kDue, true, false, ScheduledScan::NotDue, kDue},
        {kDue + 1, true, false, ScheduledScan::Press, kDue + 1 + 3600},
        {kDue + 1, true, true, ScheduledScan::SkippedScanRunning, kDue + 1 + 3600},
        {kDue + 1, false, false, ScheduledScan::SkippedDisabled, kDue + 1 + 3600},
        {kDue + 1, false, true, ScheduledScan::SkippedDisabled, kDue + 1 + 3600},
        {kDue + 99999, true, false, ScheduledScan::Press, kDue + 99999 + 3600},
    };
    for (const auto& c : cases) {
        store.WriteDwordSetting(setting::kScanNext, static_cast<std::uint32_t>(kDue));
        store.WriteDwordSetting(setting::kScanPeriod, 3600);
        InProgramSchedule schedule = makeSchedule();
        schedule.LoadSchedule(registry());
        if (c.enabled) schedule.ToggleEnabled(registry());
        now = c.at;
        EXPECT_EQ(schedule.CheckScheduledScan(c.scanRunning), c.answer) << c.at - kDue;
        EXPECT_EQ(schedule.nextScanTime(), c.nextAfter) << c.at - kDue;
        // A scan that was due, pressed or skipped, is not made up at the next tick.
        if (c.answer == ScheduledScan::NotDue) continue;
        now = c.at + 10;
        EXPECT_EQ(schedule.CheckScheduledScan(false), ScheduledScan::NotDue) << c.at - kDue;
    }
}

TEST_F(InProgramScheduleTest, ASavedScheduleLoadsBackAsItWas) {
    InProgramSchedule saved = enabledWithPeriod(5000);
    ScheduleOptions options{false, true, false, false, false, "15"};
    ASSERT_TRUE(saved.PressOption(registry(), ScheduleOption::Week, options));

    InProgramSchedule loaded = makeSchedule();
    loaded.LoadSchedule(registry());
    bool enableButton = false;
    ScheduleOptions shown;
    loaded.LoadPanelSettings(registry(), enableButton, shown);
    EXPECT_TRUE(enableButton);
    EXPECT_TRUE(loaded.enabled());
    EXPECT_EQ(shown, options) << Describe(shown);
    EXPECT_EQ(loaded.nextScanTime(), kNow + 604800);
    EXPECT_EQ(loaded.period(), 604800);
}

TEST_F(InProgramScheduleTest, ATimePastWhatTheSettingsHoldIsSavedAsTheirLastSecond) {
    InProgramSchedule schedule = enabledWithPeriod(5000);
    now = 0xFFFFFFF0;
    schedule.ApplyScheduleOptions(registry(), {false, true, true, false, false, ""});
    EXPECT_EQ(schedule.nextScanTime(), std::int64_t{0xFFFFFFF0} + 2678400);
    EXPECT_EQ(stored(setting::kScanNext), 0xFFFFFFFF);

    // And a clock at the end of time does not wrap the next time round to the past.
    now = std::numeric_limits<std::int64_t>::max() - 10;
    schedule.AdvanceNextScan(now);
    EXPECT_EQ(schedule.nextScanTime(), std::numeric_limits<std::int64_t>::max());
}

TEST_F(InProgramScheduleTest, APanelLoadedWithTheScanOffResetsToWeeklyAndKeepsTheTimesRunning) {
    machine.setString(kSettingsPath, setting::kScanMinutes, "25");
    machine.setString(kSettingsPath, setting::kScanEvery, "1");
    machine.setString(kSettingsPath, setting::kScanDay, "1");
    store.WriteDwordSetting(setting::kScanPeriod, 4000);
    store.WriteDwordSetting(setting::kScanNext, static_cast<std::uint32_t>(kNow + 50));
    InProgramSchedule schedule = makeSchedule();
    schedule.LoadSchedule(registry());

    now = kNow + 7;
    bool enableButton = false;
    ScheduleOptions options{false, false, false, false, false, "from the skin"};
    schedule.LoadPanelSettings(registry(), enableButton, options);
    EXPECT_FALSE(enableButton);
    EXPECT_FALSE(schedule.enabled());
    // The period stays while the scan is off; only the next time moves.
    EXPECT_EQ(schedule.period(), 4000);
    EXPECT_EQ(schedule.nextScanTime(), kNow + 7 + 4000);
    EXPECT_EQ(stored(setting::kScanNext), kNow + 7 + 4000);
    const ScheduleOptions expected{false, true, false, true, false, "25"};
    EXPECT_EQ(options, expected) << Describe(options);
    EXPECT_EQ(storedOptions(), expected) << Describe(storedOptions());
}

TEST_F(InProgramScheduleTest, APanelLoadedWithTheScanOnTakesTheStoredButtons) {
    machine.setString(kSettingsPath, setting::kEnableScan, "1");
    machine.setString(kSettingsPath, setting::kScanEvery, "1");
    machine.setString(kSettingsPath, setting::kScanMonth, "1");
    machine.setBytes(kSettingsPath, setting::kScanMinutes, win::REG_DWORD, std::string("\x0a\0\0\0", 4));
    InProgramSchedule schedule = makeSchedule();
    schedule.LoadSchedule(registry());
    const std::int64_t next = schedule.nextScanTime();

    bool enableButton = false;
    ScheduleOptions options{false, false, false, true, false, ""};
    schedule.LoadPanelSettings(registry(), enableButton, options);
    EXPECT_TRUE(enableButton);
    EXPECT_TRUE(schedule.enabled());
    EXPECT_EQ(schedule.nextScanTime(), next);
    // A setting that is missing leaves its button alone; unreadable minutes show "4".
    const ScheduleOptions expected{true, false, true, true, false, "4"};
    EXPECT_EQ(options, expected) << Describe(options);
}

TEST_F(InProgramScheduleTest, OptionButtonsSetTheirGroupOnlyWhileTheScanIsOn) {
    const ScheduleOptions before{true, true, true, true, true, "3"};
    const struct {
        ScheduleOption pressed;
        ScheduleOptions after;
        std::int64_t period;
    } cases[] = {
        {ScheduleOption::Every, {true, false, true, true, true, "3"}, 180},
        {ScheduleOption::AfterEvery, {false, true, true, true, true, "3"}, 86400},
        {ScheduleOption::Month, {false, true, true, false, false, "3"}, 2678400},
        {ScheduleOption::Week, {false, true, false, true, false, "3"}, 604800},
        {ScheduleOption::Day, {false, true, false, false, true, "3"}, 86400},
    };
    for (const auto& c : cases) {
        InProgramSchedule schedule = enabledWithPeriod(5000);
        ScheduleOptions options = before;
        EXPECT_TRUE(schedule.PressOption(registry(), c.pressed, options));
        EXPECT_EQ(options, c.after) << Describe(options);
        EXPECT_EQ(schedule.period(), c.period) << Describe(options);
        EXPECT_EQ(storedOptions(), c.after) << Describe(options);

        schedule.ToggleEnabled(registry());
        ScheduleOptions untouched = before;
        const std::int64_t next = schedule.nextScanTime();
        now = kNow + 30;
        EXPECT_FALSE(schedule.PressOption(registry(), c.pressed, untouched));
        EXPECT_EQ(untouched, before);
        EXPECT_EQ(schedule.nextScanTime(), next);
        now = kNow;
    }
}

// Minutes typed into the box are kept when the user moves on; they become the period only
// where an option button would make them so.
TEST_F(InProgramScheduleTest, TypedMinutesAreStoredAndRunOnlyWhileEveryNMinutesIsOn) {
    constexpr std::int64_t kKept = 5000;
    const struct {
        const char* what;
        bool enabled;
        ScheduleOptions options;
        bool stored;
        const char* minutes;  // as the settings hold them afterwards
        std::int64_t period;
    } cases[] = {
        {"every N minutes, on", true, {true, false, false, false, false, "15"}, true, "15", 900},
        {"after every week, on", true, {false, true, false, true, false, "15"}, true, "15", kKept},
        {"every N minutes, off", false, {true, false, false, false, false, "15"}, true, "15", kKept},
        {"the box emptied", true, {true, false, false, false, false, ""}, false, "7", kKept},
        {"the text already stored", true, {true, false, false, false, false, "7"}, false, "7", kKept},
    };
    for (const auto& c : cases) {
        store.WriteTextSetting(setting::kScanMinutes, "7");
        InProgramSchedule schedule = enabledWithPeriod(kKept);
        if (!c.enabled) schedule.ToggleEnabled(registry());
        const std::int64_t next = schedule.nextScanTime();
        now = kNow + 10;
        EXPECT_EQ(schedule.StoreTypedPeriod(registry(), c.options), c.stored) << c.what;
        EXPECT_EQ(store.LoadTextSetting(kSettingsKey, setting::kScanMinutes), std::optional<std::string>(c.minutes))
            << c.what;
        EXPECT_EQ(schedule.period(), c.period) << c.what;
        EXPECT_EQ(stored(setting::kScanPeriod), c.period) << c.what;
        // A new period counts from now; otherwise the next scan stays where it was.
        EXPECT_EQ(schedule.nextScanTime(), c.period != kKept ? now + c.period : next) << c.what;
        now = kNow;
    }
}

TEST_F(InProgramScheduleTest, TheEnableSwitchIsStored) {
    InProgramSchedule schedule = makeSchedule();
    EXPECT_TRUE(schedule.ToggleEnabled(registry()));
    EXPECT_TRUE(machine.valueExists(kSettingsPath, setting::kEnableScan));
    EXPECT_FALSE(schedule.ToggleEnabled(registry()));
    EXPECT_FALSE(machine.valueExists(kSettingsPath, setting::kEnableScan));
}

// The time zone of the process, set for a test's length: in UTC, the zone CI runs in, local
// time and UTC would give the same answers.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZoneScope() {
        if (m_old) {
            ::setenv("TZ", m_old->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    std::optional<std::string> m_old;
};

// With the machine's own time zone: a stored next time before 2000-01-01 01:01:01 local
// time is no schedule, one at that second is kept.
TEST_F(InProgramScheduleTest, InTheSystemZoneTheEarliestTimeIs2000FirstOfJanuaryAtOneOhOneOhOneLocal) {
    const TimeZoneScope zone("NZST-12NZDT,M9.5.0,M4.1.0/3");  // 13 hours ahead of UTC in January
    std::tm earliest{};
    earliest.tm_year = 100;
    earliest.tm_mday = 1;
    earliest.tm_hour = 1;
    earliest.tm_min = 1;
    earliest.tm_sec = 1;
    earliest.tm_isdst = -1;
    const auto seconds = static_cast<std::int64_t>(std::mktime(&earliest));
    ASSERT_GT(seconds, 0);
    for (const std::int64_t stored : {seconds - 1, seconds}) {
        store.WriteDwordSetting(setting::kScanNext, static_cast<std::uint32_t>(stored));
        store.WriteDwordSetting(setting::kScanPeriod, 3600);
        InProgramSchedule schedule([this] { return now; });
        schedule.LoadSchedule(registry());
        EXPECT_EQ(schedule.nextScanTime(), stored < seconds ? kNow + 3600 : seconds) << stored - seconds;
    }
}

}  // namespace
}  // namespace brindle
