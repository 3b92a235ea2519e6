#include "platform/FileAttributes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <optional>

#include "platform/RegularFile.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace {
constexpr unsigned kOwnerReadWrite = 0600;
}

bool IsReadOnly(const std::filesystem::path& file) {
    struct stat info {};
    return sys::StatAt(AT_FDCWD, file.c_str(), info, AT_SYMLINK_NOFOLLOW) &&
           S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

bool ResetTransferredFileAttributes(const std::filesystem::path& file, std::string& error) {
    if (!IsReadOnly(file)) return true;
    // Changed through the open file, so that a link put in its place since is not followed.
    std::string reason;
    const std::optional<RegularFile> opened = OpenRegularFile(file, reason);
    if (!opened) {
        error = "cannot make " + file.string() + " writable: " + reason;
        return false;
    }
    const SystemResult<> changed =
        sys::Chmod(opened->fd.Get(), opened->permissions | kOwnerReadWrite);
    if (!changed) {
        error = "cannot make " + file.string() + " writable: " + changed.error().Text();
        return false;
    }
    return true;
}

}  // namespace mirabel
