#pragma once
// The per-user registry below HKEY_CURRENT_USER, as the settings store sees it.
// A key path is a list of subkey names below HKEY_CURRENT_USER, for example
// {"Software", "Corvana Mirabel", "FTP:10.0.0.5", "Archive"}. An empty name in a path denotes
// its parent key itself (the registry's own rule), so {"Software", "P", "", "Archive"} and
// {"Software", "P", "Archive"} are the same key. Key and value names compare ignoring case.
// "Software" always exists.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirabel {

using RegistryPath = std::vector<std::string>;

class RegistryHive {
  public:
    virtual ~RegistryHive() = default;

    // True when every key along the path exists; nothing is created.
    virtual bool KeyExists(const RegistryPath& key) const = 0;

    // The text of the named value of an existing key; nullopt when the key or value is missing
    // or the store cannot be read. Never creates anything.
    [[nodiscard]] virtual std::optional<std::string> QueryValue(const RegistryPath& key,
                                                                const std::string& name) const = 0;

    // Creates the missing keys along the path and sets the value (type REG_SZ).
    // False when the store cannot be written; the stored data is then unchanged.
    [[nodiscard]] virtual bool SetValue(const RegistryPath& key, const std::string& name,
                                        const std::string& value) = 0;
};

// The registry's naming rules, shared by every hive implementation.
// Names compare ignoring ASCII case, as the registry does.
bool RegistryNamesEqual(std::string_view a, std::string_view b);
bool RegistryPathsEqual(const RegistryPath& a, const RegistryPath& b);
// True when the key `prefix` is `path` itself or one of its ancestors.
bool RegistryPathStartsWith(const RegistryPath& path, const RegistryPath& prefix);
// The path with every name split at backslashes (a name "a\b" is two levels, as for
// RegCreateKeyEx) and empty names dropped (an empty name denotes the parent itself).
RegistryPath NormalizeRegistryPath(const RegistryPath& path);

// The hive of the current user: on Linux a ".reg"-format text file at
// $XDG_CONFIG_HOME/mirabel/hkcu.reg (default ~/.config/mirabel/hkcu.reg).
std::unique_ptr<RegistryHive> OpenUserHive();

}  // namespace mirabel
