#include "report/RunsPerDay.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace mirabel {

namespace {

constexpr std::size_t kDayLength = 10;  // "YYYY-MM-DD"

}  // namespace

std::vector<std::string> DaysEndingWith(const std::string& today, int count) {
    std::tm noon{};
    char end = 0;
    if (std::sscanf(today.c_str(), "%4d-%2d-%2d%c", &noon.tm_year, &noon.tm_mon, &noon.tm_mday,
                    &end) != 3)
        return {};
    noon.tm_year -= 1900;
    noon.tm_mon -= 1;
    // Noon, so that a day of 23 or 25 hours (a clock change) cannot move the date.
    noon.tm_hour = 12;
    std::vector<std::string> days;
    for (int back = count - 1; back >= 0; --back) {
        std::tm day = noon;
        day.tm_mday -= back;
        day.tm_isdst = -1;
        if (std::mktime(&day) == -1) return {};
        char text[16];
        std::strftime(text, sizeof text, "%Y-%m-%d", &day);
        days.emplace_back(text);
    }
    return days;
}

std::vector<DayFigures> RunsPerDay(const std::vector<RunRecord>& runs, const std::string& today,
                                   int count) {
    std::vector<DayFigures> figures;
    for (std::string& day : DaysEndingWith(today, count)) figures.push_back({std::move(day)});
    for (const RunRecord& run : runs) {
        if (run.ended.size() < kDayLength) continue;
        const std::string day = run.ended.substr(0, kDayLength);
        const auto found = std::find_if(figures.begin(), figures.end(),
                                        [&](const DayFigures& d) { return d.day == day; });
        if (found == figures.end()) continue;
        if (run.kind == kRunArchive) found->archived += run.done;
        if (run.kind == kRunRemoval) found->removed += run.done;
        found->failed += run.failed;
    }
    return figures;
}

}  // namespace mirabel
