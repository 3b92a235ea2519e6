#include "platform/LocalTime.h"

namespace mirabel {

std::tm LocalTime(std::time_t when) {
    std::tm local{};
    // Fails only for a moment beyond the calendar's range; the zeroed value then stands.
    (void)::localtime_r(&when, &local);
    return local;
}

}  // namespace mirabel
