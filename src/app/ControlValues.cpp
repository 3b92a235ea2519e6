#include "app/ControlValues.h"

#include <climits>
#include <cstdlib>

namespace mirabel {

std::optional<int> ReadIntegerEdit(const std::string& text) {
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str()) return std::nullopt;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0' || parsed < INT_MIN || parsed > INT_MAX) return std::nullopt;
    return static_cast<int>(parsed);
}

}  // namespace mirabel
