#include <gtest/gtest.h>

#include "archive/ScheduleRule.h"
#include "archive/TimeEntry.h"

namespace mirabel {

namespace {

TEST(ScheduleRule, RunsInTheFifteenMinutesFromTheStartTime) {
    EXPECT_FALSE(IsRunDue(false, "02:00", 1, 59));
    EXPECT_TRUE(IsRunDue(false, "02:00", 2, 0));
    EXPECT_TRUE(IsRunDue(false, "02:00", 2, 14));
    EXPECT_FALSE(IsRunDue(false, "02:00", 2, 15));
    EXPECT_FALSE(IsRunDue(false, "02:00", 14, 0));
    EXPECT_TRUE(IsRunDue(false, "7:5", 7, 5));  // stored as typed
    EXPECT_TRUE(IsRunDue(false, "12:50", 13, 4));
    EXPECT_FALSE(IsRunDue(false, "12:50", 13, 5));
}

TEST(ScheduleRule, OnlyAnHour23StartReachesPastMidnight) {
    EXPECT_TRUE(IsRunDue(false, "23:50", 23, 59));
    EXPECT_TRUE(IsRunDue(false, "23:50", 0, 4));
    EXPECT_FALSE(IsRunDue(false, "23:50", 0, 5));
    EXPECT_FALSE(IsRunDue(false, "0:10", 23, 59));
    EXPECT_TRUE(IsRunDue(false, "0:10", 0, 10));
}

TEST(ScheduleRule, IncrementModeAlwaysAndNoneNever) {
    EXPECT_TRUE(IsRunDue(true, "None", 3, 17));
    EXPECT_TRUE(IsRunDue(true, "02:00", 14, 0));
    EXPECT_FALSE(IsRunDue(false, "None", 0, 0));
    EXPECT_FALSE(IsRunDue(false, "0200", 2, 0));
    EXPECT_TRUE(IsRunDue(false, "x:y", 0, 0));  // leading integers read as 0:0
    EXPECT_FALSE(IsRunDue(false, "99999999999:00", 0, 0));
}

TEST(TimeEntry, AcceptsTimesAsTypedAndCompletesABareHour) {
    EXPECT_EQ(CheckTimeEntry("7").time, "7:00");
    EXPECT_EQ(CheckTimeEntry("7").message, "");
    EXPECT_EQ(CheckTimeEntry("7:5").time, "7:5");
    EXPECT_EQ(CheckTimeEntry("23:59").time, "23:59");
    EXPECT_EQ(CheckTimeEntry("00:00").time, "00:00");
    EXPECT_EQ(CheckTimeEntry("").message, "");
    EXPECT_EQ(CheckTimeEntry("").time, "");
}

TEST(TimeEntry, RefusesWithTheRightMessage) {
    const std::string format = "Time not in correct format!!";
    EXPECT_EQ(CheckTimeEntry("24").message, "Hour must be 0-23");
    EXPECT_EQ(CheckTimeEntry("24:00").message, "Hour must be 0-23");
    EXPECT_EQ(CheckTimeEntry("99999999999999999999").message, "Hour must be 0-23");
    EXPECT_EQ(CheckTimeEntry("12:60").message, "Minute must be 0-59");
    EXPECT_EQ(CheckTimeEntry("12:").message, format);
    EXPECT_EQ(CheckTimeEntry(":30").message, format);
    EXPECT_EQ(CheckTimeEntry("a:10").message, format);
    EXPECT_EQ(CheckTimeEntry("7a").message, format);
    EXPECT_EQ(CheckTimeEntry(" 7:00").message, format);
    EXPECT_EQ(CheckTimeEntry("12:30:00").message, format);
    EXPECT_EQ(CheckTimeEntry("-1").message, format);
    EXPECT_EQ(CheckTimeEntry("24").time, "");
}

}  // namespace

}  // namespace mirabel
