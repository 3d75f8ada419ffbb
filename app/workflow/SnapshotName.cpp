#include "app/workflow/SnapshotName.h"

#include "platform/FileEntry.h"
#include "platform/LocalTime.h"

#include <cstdio>

namespace brindle {

namespace {

// The C locale's names, spelled out: strftime's follow the process's LC_TIME, which the
// window takes from the user's language and the command line does not, and the two must
// name a repair's snapshot alike.
constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

}  // namespace

std::string SnapshotFileName(const std::tm& localTime) {
    if (localTime.tm_wday < 0 || localTime.tm_wday > 6 || localTime.tm_mon < 0 || localTime.tm_mon > 11) return {};
    char numbers[64];
    const int length = std::snprintf(numbers, sizeof numbers, "%02d%04d%02d%02d%02d", localTime.tm_mday,
                                     localTime.tm_year + 1900, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof numbers) return {};
    std::string name = std::string("FixedOn") + kDayNames[localTime.tm_wday] + kMonthNames[localTime.tm_mon];
    return name.append(numbers, static_cast<std::size_t>(length)).append(".xml");
}

std::string SnapshotFileNameNow() {
    return SnapshotFileName(LocalTime(std::time(nullptr)));
}

namespace {

constexpr unsigned kMaxSnapshotVariants = 999;

}  // namespace

std::string FreeSnapshotFileName(const std::string& name) {
    if (NameIsFree(name)) return name;
    const std::size_t dot = name.size() >= 4 && name.compare(name.size() - 4, 4, ".xml") == 0 ? name.size() - 4
                                                                                                : name.size();
    for (unsigned variant = 2; variant <= kMaxSnapshotVariants; ++variant) {
        std::string candidate = name.substr(0, dot) + "_" + std::to_string(variant) + name.substr(dot);
        if (NameIsFree(candidate)) return candidate;
    }
    return name;
}

}  // namespace brindle
