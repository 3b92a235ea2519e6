#pragma once
// Who hears of a log that cannot be written. The window has nobody to tell, so by default an
// entry that cannot be written is lost quietly; a headless run has standard error, and a cron
// job whose start directory lost its write permission must not run blind.
#include <functional>
#include <string>

namespace mirabel {

using UnwritableLogReport =
    std::function<void(const std::string& fileName, const std::string& reason)>;

// Installs the report (an empty one for none) and returns the previous one. The report hears of
// each log file once, at its first lost entry; installing starts that count afresh.
UnwritableLogReport SetUnwritableLogReport(UnwritableLogReport report);

// Tells the installed report that an entry for the file was lost, unless it heard of that file
// already.
void ReportUnwritableLog(const std::string& fileName, const std::string& reason);

}  // namespace mirabel
