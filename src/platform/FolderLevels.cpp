#include "platform/FolderLevels.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/FileDescriptor.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace {

FileDescriptor OpenLevel(int parent, const std::string& name) {
    return FileDescriptor(
        ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// The level below parent, made first when it is missing. Another process making it meanwhile
// is no failure; a link or a file in its place is.
FileDescriptor OpenOrMakeLevel(int parent, const std::string& name, bool& made) {
    FileDescriptor level = OpenLevel(parent, name);
    if (level.IsValid() || errno != ENOENT) return level;
    if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) return level;
    made = true;
    return OpenLevel(parent, name);
}

}  // namespace

bool CreateFolderLevels(const std::filesystem::path& root, const std::filesystem::path& folder,
                        std::string& why) {
    const std::filesystem::path below = folder.lexically_relative(root);
    if (below.empty() || *below.begin() == "..") {
        why = folder.string() + ": not below " + root.string();
        return false;
    }
    FileDescriptor at = FileDescriptor::Open(root, O_RDONLY | O_DIRECTORY);
    std::filesystem::path reached = root;
    for (const std::filesystem::path& part : below) {
        if (!at.IsValid()) break;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            why = folder.string() + ": climbs out of " + root.string();
            return false;
        }
        reached /= part;
        bool made = false;
        FileDescriptor level = OpenOrMakeLevel(at.Get(), part.string(), made);
        // The new name must survive a power cut, or the files flushed into it are lost with it.
        if (level.IsValid() && made && Fsync(at.Get()) != 0) {
            why = reached.string() + ": its entry cannot be flushed: " + LastSystemError();
            return false;
        }
        at = std::move(level);
    }
    if (at.IsValid()) return true;
    why = reached.string() + ": " + LastSystemError();
    return false;
}

}  // namespace mirabel
