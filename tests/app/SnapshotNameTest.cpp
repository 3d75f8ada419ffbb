// The snapshot's name: the same English names in the window and on the command line,
// whatever language the user runs them in (the names are spelled out, never strftime's).
#include "app/workflow/SnapshotName.h"

#include <gtest/gtest.h>

#include <string>

namespace brindle {
namespace {

std::tm Time(int year, int month, int day, int weekday, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_wday = weekday;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

TEST(SnapshotNameTest, DayAndMonthAreTheCLocalesNamesThenTheNumbers) {
    struct Case {
        std::tm time;
        const char* name;
    };
    const Case cases[] = {
        {Time(2026, 12, 8, 2, 15, 35, 12), "FixedOnTuesdayDecember082026153512.xml"},
        {Time(2027, 1, 31, 0, 0, 0, 0), "FixedOnSundayJanuary312027000000.xml"},
        {Time(2024, 9, 1, 6, 23, 59, 60), "FixedOnSaturdaySeptember012024235960.xml"},
        {Time(2024, 13, 1, 6, 0, 0, 0), ""},
        {Time(2024, 1, 1, 7, 0, 0, 0), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(SnapshotFileName(c.time), c.name);
}

}  // namespace
}  // namespace brindle
