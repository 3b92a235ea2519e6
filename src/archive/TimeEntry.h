#pragma once
// The check of a time typed into the Set Time dialog: "H:M" with digits only, hour 0-23,
// minute 0-59; a bare hour is completed with ":00"; empty means no time ("None").
#include <string>

namespace mirabel {

struct TimeEntryCheck {
    // The message to show, or empty when the entry is accepted.
    std::string message;
    // The accepted time: as typed ("7:5" stays "7:5"), "H:00" for a bare hour, or empty.
    std::string time;
};

TimeEntryCheck CheckTimeEntry(const std::string& typed);

}  // namespace mirabel
