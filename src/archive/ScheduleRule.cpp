#include "archive/ScheduleRule.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/Text.h"

namespace mirabel {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr int kRunWindowMinutes = 15;
constexpr std::int64_t kMinuteMs = 60000;

// The leading integer of a text, as the settings are read. Absurd stored values stay absurd
// without overflowing the minute arithmetic.
int TimePart(const std::string& text) {
    return LeadingIntegerWithin(text, -kMinutesPerDay * 10, kMinutesPerDay * 10);
}

}  // namespace

bool IsRunDue(bool incrementMode, const std::string& startTime, int nowHour, int nowMinute) {
    if (incrementMode) return true;
    const std::size_t colon = startTime.find(':');
    if (colon == std::string::npos) return false;
    const int startHour = TimePart(startTime.substr(0, colon));
    const int start = startHour * 60 + TimePart(startTime.substr(colon + 1));
    int now = nowHour * 60 + nowMinute;
    if (nowHour == 0 && startHour == 23) now += kMinutesPerDay;
    const int since = now - start;
    return since >= 0 && since < kRunWindowMinutes;
}

int ScheduleTimerPeriodMs(int incrementMinutes) {
    const std::int64_t minutes = std::max(incrementMinutes, 1);
    const std::int64_t longest = std::numeric_limits<int>::max();
    return static_cast<int>(std::min(minutes * kMinuteMs, longest));
}

}  // namespace mirabel
