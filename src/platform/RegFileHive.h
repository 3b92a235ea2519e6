#pragma once
// The registry hive of one user as a ".reg" text file (format: RegFileDocument.h), the
// stand-in for HKEY_CURRENT_USER where there is no registry.
//
// Reads take the file as it is: a missing, unreadable or damaged file reads as far as it
// can be read and never fails outwardly; reads create nothing. Each write is a
// read-modify-write of the whole file under an exclusive lock on "<file>.lock", replacing
// the file atomically, so that a second process or a crash never leaves it half written
// and a write never loses a readable value or an unreadable line of the file.
#include <filesystem>
#include <optional>
#include <string>

#include "platform/RegFileDocument.h"
#include "platform/RegistryHive.h"

namespace mirabel {

class RegFileHive final : public RegistryHive {
  public:
    explicit RegFileHive(std::filesystem::path file);

    // $XDG_CONFIG_HOME/mirabel/hkcu.reg, or ~/.config/mirabel/hkcu.reg when XDG_CONFIG_HOME
    // is unset, empty or relative.
    static std::filesystem::path DefaultPath();

    const std::filesystem::path& file() const { return file_; }

    bool KeyExists(const RegistryPath& key) const override;
    [[nodiscard]] std::optional<std::string> QueryValue(const RegistryPath& key,
                                                        const std::string& name) const override;
    // Also creates the file's folder. Names and data end at a NUL, as REG_SZ text does;
    // false as well for a key name holding a line feed, which a key line cannot carry.
    [[nodiscard]] bool SetValue(const RegistryPath& key, const std::string& name,
                                const std::string& value) override;

  private:
    // The document in the file: empty when the file does not exist, nullopt when it exists
    // but cannot be read.
    [[nodiscard]] std::optional<RegFileDocument> Load() const;
    // Where writes go: the file, or the file a symbolic link at that path leads to.
    std::filesystem::path WriteTarget() const;

    std::filesystem::path file_;
};

}  // namespace mirabel
