#pragma once
// When a tick of the schedule timer starts an archive run.
#include <string>

namespace mirabel {

// In increment mode every tick starts a run. Otherwise a run is due on any tick in the
// 15 minutes that begin at the daily start time "H:M" (a start time in hour 23 reaches past
// midnight); a start time without ":" (such as "None") never is. The hour and minute of the
// start time are read as leading integers, as stored settings are.
bool IsRunDue(bool incrementMode, const std::string& startTime, int nowHour, int nowMinute);

}  // namespace mirabel
