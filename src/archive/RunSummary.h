#pragma once
// The one summary at the end of an archive run or a deletion pass: how many studies were done,
// failed and not reached, how many bytes, and where the details are. The activity log always
// keeps it; an operator who started the operation from a window also gets it in a message box,
// while a scheduled run or the unattended pass never waits for a click.
#include <cstdint>
#include <string>

namespace mirabel {

// Who waits for the end of an operation.
enum class Attendance { Operator, Unattended };

struct RunSummary {
    RunSummary() = default;
    RunSummary(const char* whatRan, const char* done) : what(whatRan), doneWord(done) {}

    const char* what = "Archive run";   // "Archive run" or "Deletion pass"
    const char* doneWord = "archived";  // what "done" means for the studies
    int done = 0;
    int failed = 0;      // attempted and not done (the error log says why)
    int notReached = 0;  // never attempted: the operation ended before them
    std::uint64_t bytes = 0;
    std::string stoppedBecause;  // empty when the operation ran to its end
};

// "Archive run: 3 studies archived, 1 failed, 2 not reached, 12.5 MB. See the error log for
// details.", or "Archive run stopped (<why>): ..." when it ended early.
std::string RunSummaryText(const RunSummary& summary);

// Writes the summary to the activity log, and shows it to an operator who waits for it.
void ReportRunSummary(const RunSummary& summary, Attendance attendance);

}  // namespace mirabel
