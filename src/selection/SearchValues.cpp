#include "selection/SearchValues.h"

#include <chrono>
#include <cstdio>
#include <regex>

namespace mirabel {

std::string LikePrefixText(const std::string& typed) {
    std::string text;
    text.reserve(typed.size() + 4);
    for (char c : typed) {
        if (c == '\'')
            text += "''";
        else if (c == '#' || c == '[' || c == ']')
            text += '_';
        else
            text += c;
    }
    return text;
}

std::optional<std::string> SearchDate(const std::string& typed) {
    static const std::regex form(R"(\s*(\d{1,2})/(\d{1,2})/(\d{4})\s*)");
    std::smatch parts;
    if (!std::regex_match(typed, parts, form)) return std::nullopt;
    const unsigned month = static_cast<unsigned>(std::stoi(parts[1]));
    const unsigned day = static_cast<unsigned>(std::stoi(parts[2]));
    const int year = std::stoi(parts[3]);
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month),
                                           std::chrono::day(day)};
    if (year < 1 || !date.ok()) return std::nullopt;
    char text[48];
    std::snprintf(text, sizeof text, "%02u/%02u/%04d", month, day, year);
    return text;
}

}  // namespace mirabel
