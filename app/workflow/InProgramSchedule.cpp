#include "app/workflow/InProgramSchedule.h"

#include <chrono>
#include <limits>

#include "platform/LeadingInteger.h"
#include "registry/SettingsStore.h"

namespace brindle {

namespace {

constexpr std::int64_t kMaxSeconds = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMinSeconds = std::numeric_limits<std::int64_t>::min();

// A clock (injected, or one far in the future) must not wrap the next time round to the past.
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    if (b > 0 && a > kMaxSeconds - b) return kMaxSeconds;
    if (b < 0 && a < kMinSeconds - b) return kMinSeconds;
    return a + b;
}

// The settings hold unsigned 32-bit numbers. A time past their end is kept as their last
// second rather than its low bits, which would name a time long past and start a scan at once.
std::uint32_t StoredNumber(std::int64_t number) {
    if (number < 0) return 0;
    if (number > kLongestStoredNumber) return static_cast<std::uint32_t>(kLongestStoredNumber);
    return static_cast<std::uint32_t>(number);
}

// A stored next time earlier than this is no schedule at all (0 when none was ever saved).
std::tm EarliestScheduleTime() {
    std::tm time{};
    time.tm_year = 2000 - 1900;
    time.tm_mon = 0;
    time.tm_mday = 1;
    time.tm_hour = 1;
    time.tm_min = 1;
    time.tm_sec = 1;
    time.tm_isdst = -1;
    return time;
}

}  // namespace

std::int64_t SystemScheduleClock() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

LocalTimeToSeconds SystemLocalTimeToSeconds() {
    return [](const std::tm& local) {
        std::tm copy = local;
        return static_cast<std::int64_t>(std::mktime(&copy));
    };
}

std::int64_t ParsePeriodMinutes(const std::string& text) { return ParseLeadingInteger(text, kMinSeconds, kMaxSeconds); }

InProgramSchedule::InProgramSchedule(ScheduleClock now, LocalTimeToSeconds fromLocalTime)
    : m_now(std::move(now)), m_fromLocalTime(std::move(fromLocalTime)) {}

void InProgramSchedule::LoadSchedule(Registry& registry) {
    SettingsStore store(registry);
    m_nextScanTime = store.ReadDwordSetting(setting::kScanNext);
    m_period = store.ReadDwordSetting(setting::kScanPeriod);
    if (m_period < kShortestPeriod) m_period = kDefaultScanPeriod;
    if (m_nextScanTime < m_fromLocalTime(EarliestScheduleTime())) AdvanceNextScan(m_now());
}

void InProgramSchedule::LoadPanelSettings(Registry& registry, bool& enableButton, ScheduleOptions& options) {
    SettingsStore store(registry);
    // A setting that is missing leaves its button as the panel made it.
    const auto load = [&store](const char* valueName, bool& button) {
        if (store.LoadFlagSetting(kSettingsKey, valueName)) button = true;
    };
    load(setting::kEnableScan, enableButton);
    m_enabled = enableButton;
    load(setting::kScanMonth, options.month);
    load(setting::kScanWeek, options.week);
    load(setting::kScanDay, options.day);
    if (!m_enabled) {
        options.every = false;
        options.afterEvery = true;
        options.week = true;
        options.month = false;
        options.day = false;
        // The panel's edit box is made only after its buttons, so this saves no minutes.
        ScheduleOptions withoutEditBox = options;
        withoutEditBox.periodText.clear();
        ApplyScheduleOptions(registry, withoutEditBox);
    }
    load(setting::kScanEvery, options.every);
    load(setting::kScanAfterEvery, options.afterEvery);
    if (auto minutes = store.LoadTextSetting(kSettingsKey, setting::kScanMinutes)) options.periodText = *minutes;
}

bool InProgramSchedule::ToggleEnabled(Registry& registry) {
    m_enabled = !m_enabled;
    SettingsStore(registry).WriteFlagSetting(setting::kEnableScan, m_enabled);
    return m_enabled;
}

bool InProgramSchedule::PressOption(Registry& registry, ScheduleOption pressed, ScheduleOptions& options) {
    if (!m_enabled) return false;
    switch (pressed) {
    case ScheduleOption::Every:
        options.afterEvery = false;
        options.every = true;
        break;
    case ScheduleOption::AfterEvery:
        options.every = false;
        options.afterEvery = true;
        break;
    case ScheduleOption::Month:
    case ScheduleOption::Week:
    case ScheduleOption::Day:
        options.every = false;
        options.afterEvery = true;
        options.month = pressed == ScheduleOption::Month;
        options.week = pressed == ScheduleOption::Week;
        options.day = pressed == ScheduleOption::Day;
        break;
    }
    ApplyScheduleOptions(registry, options);
    return true;
}

bool InProgramSchedule::StoreTypedPeriod(Registry& registry, const ScheduleOptions& options) {
    if (options.periodText.empty()) return false;
    SettingsStore store(registry);
    if (store.LoadTextSetting(kSettingsKey, setting::kScanMinutes) == options.periodText) return false;
    if (m_enabled && options.every) {
        ApplyScheduleOptions(registry, options);
    } else {
        // The minutes wait for "every N minutes" to be chosen; the period stays.
        store.WriteTextSetting(setting::kScanMinutes, options.periodText);
    }
    return true;
}

void InProgramSchedule::ApplyScheduleOptions(Registry& registry, const ScheduleOptions& options) {
    const std::int64_t now = m_now();
    m_nextScanTime = now;
    if (m_enabled) {
        if (options.afterEvery) {
            // The shortest chosen length wins.
            if (options.month) m_period = kMonthPeriod;
            if (options.week) m_period = kWeekPeriod;
            if (options.day) m_period = kDayPeriod;
        } else if (options.every) {
            const std::int64_t minutes = ParsePeriodMinutes(options.periodText);
            // Any count beyond what the settings hold ends up cut to kLongestStoredNumber below.
            m_period = minutes > kLongestStoredNumber / 60 ? kLongestStoredNumber : minutes < 0 ? -1 : minutes * 60;
        }
    }
    if (m_period < kShortestPeriod) m_period = kShortestPeriod;
    if (m_period > kLongestStoredNumber) m_period = kLongestStoredNumber;
    m_nextScanTime = SaturatingAdd(now, m_period);
    SaveSchedule(registry, options);
}

void InProgramSchedule::AdvanceNextScan(std::int64_t now) {
    if (m_period < kShortestRepeatedPeriod) m_period = kDefaultScanPeriod;
    m_nextScanTime = SaturatingAdd(now, m_period);
}

ScheduledScan InProgramSchedule::CheckScheduledScan(bool scanRunning) {
    const std::int64_t now = m_now();
    if (now <= m_nextScanTime) return ScheduledScan::NotDue;
    AdvanceNextScan(now);
    if (!m_enabled) return ScheduledScan::SkippedDisabled;
    if (scanRunning) return ScheduledScan::SkippedScanRunning;
    return ScheduledScan::Press;
}

void InProgramSchedule::SaveSchedule(Registry& registry, const ScheduleOptions& options) const {
    SaveTimes(registry);
    SettingsStore store(registry);
    store.WriteTextSetting(setting::kScanMinutes, options.periodText);
    store.WriteFlagSetting(setting::kScanEvery, options.every);
    store.WriteFlagSetting(setting::kScanAfterEvery, options.afterEvery);
    store.WriteFlagSetting(setting::kScanMonth, options.month);
    store.WriteFlagSetting(setting::kScanWeek, options.week);
    store.WriteFlagSetting(setting::kScanDay, options.day);
}

void InProgramSchedule::SaveTimes(Registry& registry) const {
    SettingsStore store(registry);
    store.WriteDwordSetting(setting::kScanNext, StoredNumber(m_nextScanTime));
    store.WriteDwordSetting(setting::kScanPeriod, StoredNumber(m_period));
}

}  // namespace brindle
