#pragma once
// The last weeks day by day, for the Status window's chart: how many studies were archived and
// removed each day, and how many failed.
#include <string>
#include <vector>

#include "catalog/RunHistory.h"

namespace mirabel {

// The days the chart shows, today included.
inline constexpr int kChartDays = 30;

struct DayFigures {
    std::string day;  // "YYYY-MM-DD", local time
    int archived = 0;
    int removed = 0;
    int failed = 0;  // studies that failed in any run that ended that day
};

// The `count` calendar days that end with `today` ("YYYY-MM-DD"), oldest first; empty when
// today is not a date in that form.
std::vector<std::string> DaysEndingWith(const std::string& today, int count);

// The runs counted by the day they ended (a run that goes past midnight counts on the day its
// figures were known), one entry for each of the `count` days that end with today, oldest
// first. Runs that ended outside those days, or whose end cannot be read, are left out.
std::vector<DayFigures> RunsPerDay(const std::vector<RunRecord>& runs, const std::string& today,
                                   int count);

}  // namespace mirabel
