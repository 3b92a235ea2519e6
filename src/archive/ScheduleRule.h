#pragma once
// The schedule timer: its period, and when a tick of it starts an archive run.
#include <string>

namespace mirabel {

// In increment mode every tick starts a run. Otherwise a run is due on any tick in the
// 15 minutes that begin at the daily start time "H:M" (a start time in hour 23 reaches past
// midnight); a start time without ":" (such as "None") never is. The hour and minute of the
// start time are read as leading integers, as stored settings are.
bool IsRunDue(bool incrementMode, const std::string& startTime, int nowHour, int nowMinute);

// The timer's period in milliseconds for an increment in minutes. A window timer takes an int
// of milliseconds (at most about 24.8 days), so the product is taken in 64 bits and capped
// there: a long increment never wraps round to a short period. An increment below one minute
// (a stored value the window would refuse) counts as one minute.
int ScheduleTimerPeriodMs(int incrementMinutes);

}  // namespace mirabel
