#include "core/EnvironmentDuration.h"

#include <cstdlib>

namespace mirabel {

std::chrono::milliseconds DurationFromEnvironment(const char* variable,
                                                  std::chrono::milliseconds fallback) {
    const char* text = std::getenv(variable);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const long long ms = std::strtoll(text, &end, 10);
    if (*end != '\0' || ms < 0) return fallback;
    return std::chrono::milliseconds(ms);
}

}  // namespace mirabel
