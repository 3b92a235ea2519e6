#include "platform/RegFileHive.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/AtomicFileWrite.h"
#include "platform/ExclusiveFileLock.h"
#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/Folders.h"
#include "platform/RegularFile.h"

namespace mirabel {

namespace {

std::filesystem::path HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* user = ::getpwuid(::getuid());
    return user && user->pw_dir ? user->pw_dir : ".";
}

// What the registry API would see of a C string: the text up to its first NUL.
std::string UpToNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

// The file's bytes; an empty string for a missing file, nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
    const SystemResult<FileDescriptor> fd = FileDescriptor::OpenForReading(file);
    if (!fd) return fd.error().code == ENOENT ? std::optional<std::string>("") : std::nullopt;
    SystemResult<std::string> bytes = ReadToEnd(fd->Get());
    if (!bytes) return std::nullopt;
    return std::move(*bytes);
}

}  // namespace

RegFileHive::RegFileHive(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path RegFileHive::DefaultPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // Relative values are to be ignored, as the XDG base directory rules say.
    const std::filesystem::path configHome = xdg && *xdg && std::filesystem::path(xdg).is_absolute()
                                                 ? std::filesystem::path(xdg)
                                                 : HomeFolder() / ".config";
    return configHome / "mirabel" / "hkcu.reg";
}

std::optional<RegFileDocument> RegFileHive::Load() const {
    const std::optional<std::string> bytes = ReadWholeFile(file_);
    if (!bytes) return std::nullopt;
    return RegFileDocument::Parse(*bytes);
}

bool RegFileHive::KeyExists(const RegistryPath& key) const {
    return Load().value_or(RegFileDocument{}).HasKey(NormalizeRegistryPath(key));
}

std::optional<std::string> RegFileHive::QueryValue(const RegistryPath& key,
                                                   const std::string& name) const {
    const std::optional<RegFileDocument> document = Load();
    if (!document) return std::nullopt;
    return document->FindValue(NormalizeRegistryPath(key), name);
}

std::filesystem::path RegFileHive::WriteTarget() const {
    if (KindOfEntry(file_) != EntryKind::Link) return file_;
    std::error_code error;
    const std::filesystem::path target = std::filesystem::weakly_canonical(file_, error);
    return error ? file_ : target;
}

bool RegFileHive::SetValue(const RegistryPath& key, const std::string& name,
                           const std::string& value) {
    RegistryPath path;
    for (const std::string& level : key) path.push_back(UpToNul(level));
    path = NormalizeRegistryPath(path);
    if (std::ranges::any_of(
            path, [](const std::string& level) { return level.find('\n') != std::string::npos; }))
        return false;

    const std::filesystem::path target = WriteTarget();
    if (target.has_parent_path() && !CreateFolders(target.parent_path())) return false;
    const ExclusiveFileLock lock(target.string() + ".lock");
    if (!lock.locked()) return false;
    // Read under the lock, so that a write of another process in between is not lost.
    std::optional<std::string> bytes = ReadWholeFile(target);
    if (!bytes) return false;  // an unreadable hive is left alone rather than overwritten
    RegFileDocument document = RegFileDocument::Parse(*bytes);
    document.SetValue(path, UpToNul(name), UpToNul(value));
    return WriteFileAtomically(target, document.Serialize()).ok();
}

std::unique_ptr<RegistryHive> OpenUserHive() {
    return std::make_unique<RegFileHive>(RegFileHive::DefaultPath());
}

}  // namespace mirabel
