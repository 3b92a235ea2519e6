#pragma once
// The local calendar time of a moment, as the logs and the study selection show it.
#include <ctime>

namespace mirabel {

// The broken-down local time of `when` (thread-safe, unlike std::localtime).
std::tm LocalTime(std::time_t when);

}  // namespace mirabel
