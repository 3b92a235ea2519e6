#include "platform/FileAttributes.h"

#include <sys/stat.h>

#include <optional>

#include "platform/RegularFile.h"

namespace mirabel {

namespace {
constexpr unsigned kOwnerReadWrite = 0600;
}

bool IsReadOnly(const std::filesystem::path& file) {
    struct stat info {};
    return ::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & S_IWUSR) == 0;
}

bool ResetTransferredFileAttributes(const std::filesystem::path& file, std::string& error) {
    if (!IsReadOnly(file)) return true;
    // Changed through the open file, so that a link put in its place since is not followed.
    std::string reason;
    const std::optional<RegularFile> opened = OpenRegularFile(file, reason);
    if (!opened || ::fchmod(opened->fd.Get(), opened->permissions | kOwnerReadWrite) != 0) {
        error =
            "cannot make " + file.string() + " writable: " + (opened ? LastSystemError() : reason);
        return false;
    }
    return true;
}

}  // namespace mirabel
