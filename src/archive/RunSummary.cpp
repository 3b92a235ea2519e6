#include "archive/RunSummary.h"

#include <cstdio>

#include "core/Operator.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

std::string MegabytesText(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

std::string StudiesText(int count) {
    return std::to_string(count) + (count == 1 ? " study" : " studies");
}

}  // namespace

std::string RunSummaryText(const RunSummary& summary) {
    std::string text = summary.what;
    text += summary.stoppedBecause.empty() ? ": " : " stopped (" + summary.stoppedBecause + "): ";
    text += StudiesText(summary.done) + " " + summary.doneWord + ", " +
            std::to_string(summary.failed) + " failed, " + std::to_string(summary.notReached) +
            " not reached, " + MegabytesText(summary.bytes) + ".";
    // Every study that failed, and every early end, has its line in the error log.
    if (summary.failed > 0 || !summary.stoppedBecause.empty())
        text += " See the error log for details.";
    return text;
}

void ReportRunSummary(const RunSummary& summary, Attendance attendance) {
    const std::string text = RunSummaryText(summary);
    ActivityLog(text);
    if (attendance == Attendance::Operator) TheOperator().MessageBox(text);
}

}  // namespace mirabel
