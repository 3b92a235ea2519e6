#pragma once
// Waits that tests and impatient operators may shorten through an environment variable; the
// code path stays the one the program always takes.
#include <chrono>

namespace mirabel {

// The variable's value in milliseconds when it holds a non-negative decimal number, else
// fallback.
std::chrono::milliseconds DurationFromEnvironment(const char* variable,
                                                  std::chrono::milliseconds fallback);

}  // namespace mirabel
