#include "archive/ScheduleRule.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace mirabel {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr int kRunWindowMinutes = 15;
constexpr std::int64_t kMinuteMs = 60000;

// The leading integer of a text ("07" is 7, "5x" is 5, "x" is 0), as the settings are read.
int LeadingInteger(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    // Absurd stored values stay absurd without overflowing the minute arithmetic.
    if (value > kMinutesPerDay * 10) return kMinutesPerDay * 10;
    if (value < -kMinutesPerDay * 10) return -kMinutesPerDay * 10;
    return static_cast<int>(value);
}

}  // namespace

bool IsRunDue(bool incrementMode, const std::string& startTime, int nowHour, int nowMinute) {
    if (incrementMode) return true;
    const std::size_t colon = startTime.find(':');
    if (colon == std::string::npos) return false;
    const int startHour = LeadingInteger(startTime.substr(0, colon));
    const int start = startHour * 60 + LeadingInteger(startTime.substr(colon + 1));
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
