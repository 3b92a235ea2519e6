#pragma once
// The settings store: every setting is a text value at
//   HKEY_CURRENT_USER\Software\<product key>\<current archive id>\<section>, value <key>.
// The product key is the first line of "regkey.txt" (current directory) or "Corvana Mirabel";
// it is read once per process. An empty archive id puts the sections directly under the
// product key.
#include <functional>
#include <string>

#include "platform/RegistryHive.h"

namespace mirabel {

// The cached product key; empty until the first GetSetting/SetSetting of the process.
extern std::string g_strProductKey;

// Reads the first line of "regkey.txt" into g_strProductKey (CR before LF dropped, no trim);
// true when the key is then not empty.
[[nodiscard]] bool ReadProductKeyFile();

// Forgets the cached product key (tests; a new process starts empty anyway).
void ResetProductKey();

inline constexpr const char* kDefaultProductKey = "Corvana Mirabel";
inline constexpr std::size_t kSettingReadBuffer = 1024;  // bytes, terminating NUL included

class SettingsStore {
  public:
    // currentArchiveId is asked at every call: the store follows the main window's selection.
    SettingsStore(RegistryHive& hive, std::function<std::string()> currentArchiveId);

    // The stored text, or defaultValue when any key or the value is missing, or when the
    // value does not fit the 1024-byte read buffer. Creates nothing.
    std::string GetSetting(std::string section, std::string key, std::string defaultValue) const;

    // Creates the path as needed and stores the value; false when it could not be stored.
    [[nodiscard]] bool SetSetting(std::string section, std::string key, std::string value);

    // The current archive has the section, with or without values in it.
    bool HasSection(const std::string& section) const;

  private:
    RegistryPath SectionPath(const std::string& section) const;

    RegistryHive& hive_;
    std::function<std::string()> currentArchiveId_;
};

// Conversions every caller uses: booleans are exactly "TRUE", integers read like C's atoi
// and are written with "%d".
bool SettingIsTrue(const std::string& value);
int SettingToInt(const std::string& value);
std::string IntToSetting(int value);
inline const char* BoolToSetting(bool value) {
    return value ? "TRUE" : "FALSE";
}

}  // namespace mirabel
