// The automatic scan that runs while the program is open: a stored next-scan time and a
// period, advanced by a timer that presses the scan button when the time has passed.
//
// The window owns one object for the program's life, copies the schedule panel's option
// buttons and period edit box into a ScheduleOptions when the user presses one of them,
// and asks CheckScheduledScan on every tick of its 10-second timer. Times are seconds since
// 1970-01-01 00:00 UTC; the settings keep them as REG_DWORDs (unsigned, so up to 2106).
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "platform/Registry.h"

namespace brindle {

// Seconds since 1970-01-01 00:00 UTC.
using ScheduleClock = std::function<std::int64_t()>;
// The seconds since 1970-01-01 00:00 UTC of a calendar time of the machine's time zone
// (tm_year counts from 1900, tm_mon from 0; tm_isdst -1 lets the zone decide).
using LocalTimeToSeconds = std::function<std::int64_t(const std::tm&)>;

std::int64_t SystemScheduleClock();
LocalTimeToSeconds SystemLocalTimeToSeconds();

// The period of a schedule that was never set, or set below what a scan needs between
// two runs: a day and a minute.
inline constexpr std::int64_t kDefaultScanPeriod = 86460;
// A period shorter than this, advancing after a scan, falls back to kDefaultScanPeriod.
inline constexpr std::int64_t kShortestRepeatedPeriod = 180;
// A period shorter than this falls back to kDefaultScanPeriod when loaded, and is raised
// to it when the user chooses it.
inline constexpr std::int64_t kShortestPeriod = 60;
// The settings hold times and periods as unsigned 32-bit numbers; a longer period could
// not be read back, so the user's choice is cut to this.
inline constexpr std::int64_t kLongestStoredNumber = 0xFFFFFFFF;
inline constexpr std::int64_t kMonthPeriod = 31 * 24 * 3600;
inline constexpr std::int64_t kWeekPeriod = 7 * 24 * 3600;
inline constexpr std::int64_t kDayPeriod = 24 * 3600;

// The schedule panel's option buttons and its period edit box, as the window shows them.
struct ScheduleOptions {
    bool every = false;       // BUTTON_START_EVERY: every N minutes
    bool afterEvery = false;  // BUTTON_START_AFTER_EVERY: after every month, week or day
    bool month = false;       // BUTTON_START_AFTER_EVERY_MONTH
    bool week = false;        // BUTTON_START_AFTER_EVERY_WEEK
    bool day = false;         // BUTTON_START_AFTER_EVERY_DAY
    std::string periodText;   // EDIT_SCAN_PERIOD: N
    friend bool operator==(const ScheduleOptions&, const ScheduleOptions&) = default;
};

// The option button the user pressed.
enum class ScheduleOption { Every, AfterEvery, Month, Week, Day };

// What the timer's tick is to do.
enum class ScheduledScan {
    NotDue,               // the next-scan time has not passed
    Press,                // press the scan button now
    SkippedScanRunning,   // it was due, but a scan is running: skipped, not postponed
    SkippedDisabled,      // it was due, but the automatic scan is off: skipped
};

// The minutes of the period edit box: a decimal integer from the start of the text with
// an optional sign, 0 when there is none; beyond the 64-bit range it stays at its bound.
std::int64_t ParsePeriodMinutes(const std::string& text);

class InProgramSchedule {
public:
    explicit InProgramSchedule(ScheduleClock now = SystemScheduleClock,
                               LocalTimeToSeconds fromLocalTime = SystemLocalTimeToSeconds());

    // Reads the next time and the period from the settings. A period below a minute
    // becomes kDefaultScanPeriod; a next time before 2000-01-01 01:01:01 local time (also
    // the 0 of a schedule never saved) is moved one period from now.
    void LoadSchedule(Registry& registry);

    // Loads the schedule panel's settings onto its buttons, as the panel is built: the
    // enable switch (and with it whether the automatic scan is on) and the month, week and
    // day buttons where their settings exist. With the automatic scan off, the options
    // are reset to "after every week" and applied, so that the times keep running. Then
    // the two kind buttons where their settings exist, and the edit box from the stored
    // minutes ("4" when they cannot be read). The schedule is loaded first: with the scan
    // off, the period applied is the loaded one.
    void LoadPanelSettings(Registry& registry, bool& enableButton, ScheduleOptions& options);

    // The enable switch was pressed: turns the automatic scan on or off, stores it and
    // answers the new state, which the switch shows.
    bool ToggleEnabled(Registry& registry);

    // An option button was pressed: while the automatic scan is on, sets the buttons as
    // that choice requires (one kind on, the other off; one of month, week and day) and
    // applies them. With the automatic scan off nothing changes and the answer is false.
    bool PressOption(Registry& registry, ScheduleOption pressed, ScheduleOptions& options);

    // The period edit box was typed into: stores its minutes and, while the automatic scan
    // is on with "every N minutes" chosen, applies the options as an option button does
    // (the next scan one new period from now). An empty box keeps the minutes stored
    // before. False when nothing was stored: the box was empty or holds the stored text.
    bool StoreTypedPeriod(Registry& registry, const ScheduleOptions& options);

    // Takes the period from the options (while the automatic scan is on; otherwise the
    // period stays), at least a minute and at most kLongestStoredNumber, sets the next
    // scan one period from now and saves the whole schedule with the options.
    void ApplyScheduleOptions(Registry& registry, const ScheduleOptions& options);

    // The next time becomes `now` plus the period, a period below kShortestRepeatedPeriod
    // being replaced by kDefaultScanPeriod first.
    void AdvanceNextScan(std::int64_t now);

    // The timer's tick: once the clock is strictly past the next-scan time, moves that
    // time on by one period and says whether the scan button is to be pressed.
    ScheduledScan CheckScheduledScan(bool scanRunning);

    // The next time and the period, and the options' buttons and text (an empty text
    // keeps the minutes stored before).
    void SaveSchedule(Registry& registry, const ScheduleOptions& options) const;
    // Only the next time and the period: what the panels write when the program ends.
    void SaveTimes(Registry& registry) const;

    bool enabled() const { return m_enabled; }
    std::int64_t nextScanTime() const { return m_nextScanTime; }
    std::int64_t period() const { return m_period; }

private:
    ScheduleClock m_now;
    LocalTimeToSeconds m_fromLocalTime;
    bool m_enabled = false;
    std::int64_t m_nextScanTime = 0;
    std::int64_t m_period = 0;
};

}  // namespace brindle
