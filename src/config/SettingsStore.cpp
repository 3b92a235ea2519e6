#include "config/SettingsStore.h"

#include <climits>
#include <cstdio>
#include <optional>

#include "core/Text.h"
#include "core/TextFile.h"

namespace mirabel {

std::string g_strProductKey;

namespace {

constexpr const char* kProductKeyFile = "regkey.txt";

// The product key of this process, read from "regkey.txt" at the first use only.
const std::string& ProductKey() {
    if (g_strProductKey.empty() && !ReadProductKeyFile()) g_strProductKey = kDefaultProductKey;
    return g_strProductKey;
}

}  // namespace

bool ReadProductKeyFile() {
    const std::optional<std::string> line = ReadFirstLine(kProductKeyFile);
    if (!line) return false;
    // A key name is C text: a NUL ends it.
    g_strProductKey = line->substr(0, line->find('\0'));
    return !g_strProductKey.empty();
}

void ResetProductKey() {
    g_strProductKey.clear();
}

SettingsStore::SettingsStore(RegistryHive& hive, std::function<std::string()> currentArchiveId)
    : hive_(hive), currentArchiveId_(std::move(currentArchiveId)) {}

RegistryPath SettingsStore::SectionPath(const std::string& section) const {
    // An empty archive id is an empty level, which the hive folds into the product key.
    return {"Software", ProductKey(), currentArchiveId_(), section};
}

std::string SettingsStore::GetSetting(std::string section, std::string key,
                                      std::string defaultValue) const {
    const std::optional<std::string> stored = hive_.QueryValue(SectionPath(section), key);
    // The text and its terminating NUL must fit the read buffer, or the read fails.
    if (!stored || stored->size() + 1 > kSettingReadBuffer) return defaultValue;
    return *stored;
}

bool SettingsStore::SetSetting(std::string section, std::string key, std::string value) {
    return hive_.SetValue(SectionPath(section), key, value);
}

bool SettingsStore::HasSection(const std::string& section) const {
    return hive_.KeyExists(SectionPath(section));
}

bool SettingIsTrue(const std::string& value) {
    return value == "TRUE";
}

int SettingToInt(const std::string& value) {
    // atoi's rules, but an out-of-range number is clamped where atoi would be undefined.
    return LeadingIntegerWithin(value, INT_MIN, INT_MAX);
}

std::string IntToSetting(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

}  // namespace mirabel
