// The Status window's chart figures: runs counted by the calendar day they ended.
#include "report/RunsPerDay.h"

#include <gtest/gtest.h>

namespace mirabel {
namespace {

RunRecord EndedRun(const char* kind, const char* started, const char* ended, int done, int failed) {
    RunRecord run;
    run.kind = kind;
    run.started = started;
    run.ended = ended;
    run.done = done;
    run.failed = failed;
    return run;
}

TEST(RunsPerDay, CountsEachRunOnTheDayItEnded) {
    // Today is 2026-03-01: the 30 days reach back over all of February to 2026-01-31.
    const std::vector<RunRecord> runs = {
        EndedRun(kRunArchive, "2026-01-30 23:00:00", "2026-01-30 23:59:59", 99,
                 9),                                                                // a day too old
        EndedRun(kRunArchive, "2026-01-30 23:30:00", "2026-01-31 00:10:00", 7, 1),  // past midnight
        EndedRun(kRunArchive, "2026-02-27 02:00:00", "2026-02-27 03:00:00", 40, 0),
        EndedRun(kRunRemoval, "2026-02-27 05:00:00", "2026-02-27 05:01:00", 12, 2),
        EndedRun(kRunRemoval, "2026-02-27 23:58:00", "2026-02-28 00:02:00", 3, 0),
        EndedRun(kRunAudit, "2026-02-28 04:00:00", "2026-02-28 08:00:00", 500, 4),
        EndedRun(kRunRestore, "2026-02-28 09:00:00", "2026-02-28 09:05:00", 2, 1),
        EndedRun(kRunArchive, "2026-03-01 23:59:00", "2026-03-01 23:59:59", 5, 0),
        EndedRun(kRunArchive, "2026-03-01 23:59:00", "2026-03-02 00:00:01", 88, 8),  // after today
        EndedRun(kRunArchive, "", "not a time", 77, 7),
    };
    const std::vector<DayFigures> days = RunsPerDay(runs, "2026-03-01", kChartDays);

    ASSERT_EQ(days.size(), std::size_t(kChartDays));
    EXPECT_EQ(days.front().day, "2026-01-31");
    EXPECT_EQ(days.back().day, "2026-03-01");
    struct Expected {
        int index;
        const char* day;
        int archived, removed, failed;
    };
    const Expected expected[] = {
        {0, "2026-01-31", 7, 0, 1},
        {1, "2026-02-01", 0, 0, 0},
        // Archived and removed side by side; failures of every kind that day add up.
        {27, "2026-02-27", 40, 12, 2},
        // Audits and restores count only their failures.
        {28, "2026-02-28", 0, 3, 5},
        {29, "2026-03-01", 5, 0, 0},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.day);
        const DayFigures& day = days[e.index];
        EXPECT_EQ(day.day, e.day);
        EXPECT_EQ(day.archived, e.archived);
        EXPECT_EQ(day.removed, e.removed);
        EXPECT_EQ(day.failed, e.failed);
    }
}

TEST(RunsPerDay, DaysFollowTheCalendar) {
    struct Case {
        const char* today;
        int count;
        const char* first;  // nullptr: no days at all
    };
    const Case cases[] = {
        {"2024-03-01", 30, "2024-02-01"},  // a leap year's February has 29 days
        {"2026-01-05", 10, "2025-12-27"},  // over the turn of the year
        {"2026-10-30", 30, "2026-10-01"},  // over a change of clocks in many places
        {"2026-12-08", 1, "2026-12-08"},  {"08.12.2026", 30, nullptr}, {"", 30, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.today);
        const std::vector<std::string> days = DaysEndingWith(c.today, c.count);
        if (!c.first) {
            EXPECT_TRUE(days.empty());
            continue;
        }
        ASSERT_EQ(days.size(), std::size_t(c.count));
        EXPECT_EQ(days.front(), c.first);
        EXPECT_EQ(days.back(), c.today);
        for (std::size_t i = 1; i < days.size(); ++i) EXPECT_LT(days[i - 1], days[i]);
    }
}

}  // namespace
}  // namespace mirabel
