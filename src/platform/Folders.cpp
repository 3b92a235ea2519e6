#include "platform/Folders.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/SystemCalls.h"

namespace mirabel {

SystemResult<> CreateFolder(const std::filesystem::path& folder) {
    const SystemResult<> made = sys::MakeFolder(folder.c_str(), 0777);
    if (made || made.error().code != EEXIST) return made;
    struct stat info {};
    if (SystemResult<> stated = sys::StatAt(AT_FDCWD, folder.c_str(), info, 0); !stated)
        return stated;
    if (!S_ISDIR(info.st_mode)) return SystemError{ENOTDIR};
    return Done{};
}

SystemResult<> CreateFolders(const std::filesystem::path& folder) {
    std::filesystem::path level;
    for (const std::filesystem::path& part : folder) {
        level /= part;
        if (part.empty() || part == "/" || part == ".") continue;
        if (SystemResult<> made = CreateFolder(level); !made) return made;
    }
    return Done{};
}

}  // namespace mirabel
