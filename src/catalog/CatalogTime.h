#pragma once
// The catalog's time form: local time as "YYYY-MM-DD HH:MM:SS", which sorts as it reads.
#include <ctime>
#include <optional>
#include <string>

namespace mirabel {

// The current local time in the catalog's form.
std::string CatalogTimeNow();
// The local time `seconds` before now, in the catalog's form.
std::string CatalogTimeSecondsAgo(double seconds);
// The moment a catalog time names; nullopt when the text is not in the form.
std::optional<std::time_t> TimeOfCatalogText(const std::string& text);

}  // namespace mirabel
