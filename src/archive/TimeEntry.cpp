#include "archive/TimeEntry.h"

#include "core/Text.h"

namespace mirabel {

namespace {

constexpr const char* kBadFormat = "Time not in correct format!!";
constexpr const char* kBadHour = "Hour must be 0-23";
constexpr const char* kBadMinute = "Minute must be 0-59";

// The value of a digit string, or `limit` + 1 once it exceeds limit (no overflow).
int BoundedValue(const std::string& digits, int limit) {
    int value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > limit) return limit + 1;
    }
    return value;
}

TimeEntryCheck Refuse(const char* message) {
    return {message, ""};
}

}  // namespace

TimeEntryCheck CheckTimeEntry(const std::string& typed) {
    if (typed.empty()) return {"", ""};
    const std::size_t colon = typed.find(':');
    if (colon == std::string::npos) {
        if (!AllDigits(typed)) return Refuse(kBadFormat);
        if (BoundedValue(typed, 23) > 23) return Refuse(kBadHour);
        return {"", typed + ":00"};
    }
    const std::string hour = typed.substr(0, colon);
    const std::string minute = typed.substr(colon + 1);
    if (!AllDigits(hour) || !AllDigits(minute)) return Refuse(kBadFormat);
    if (BoundedValue(hour, 23) > 23) return Refuse(kBadHour);
    if (BoundedValue(minute, 59) > 59) return Refuse(kBadMinute);
    return {"", typed};
}

}  // namespace mirabel
