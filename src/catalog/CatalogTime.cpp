#include "catalog/CatalogTime.h"

#include <cstdio>

#include "platform/LocalTime.h"

namespace mirabel {

namespace {

std::string CatalogText(std::time_t moment) {
    const std::tm local = LocalTime(moment);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

std::string CatalogTimeNow() {
    return CatalogText(std::time(nullptr));
}

std::string CatalogTimeSecondsAgo(double seconds) {
    return CatalogText(std::time(nullptr) - static_cast<std::time_t>(seconds));
}

std::optional<std::time_t> TimeOfCatalogText(const std::string& text) {
    std::tm parts{};
    char end = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &parts.tm_year, &parts.tm_mon,
                    &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &end) != 6)
        return std::nullopt;
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    parts.tm_isdst = -1;
    const std::time_t moment = std::mktime(&parts);
    if (moment == -1) return std::nullopt;
    return moment;
}

}  // namespace mirabel
