#include "platform/FolderLevels.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/FileDescriptor.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace {

SystemResult<FileDescriptor> OpenLevel(int parent, const std::string& name) {
    return FileDescriptor::OpenAt(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
}

// The level below parent, made first when it is missing. Another process making it meanwhile
// is no failure; a link or a file in its place is.
SystemResult<FileDescriptor> OpenOrMakeLevel(int parent, const std::string& name, bool& made) {
    SystemResult<FileDescriptor> level = OpenLevel(parent, name);
    if (level || level.error().code != ENOENT) return level;
    const SystemResult<> madeNow = sys::MakeFolderAt(parent, name.c_str(), 0777);
    if (!madeNow && madeNow.error().code != EEXIST) return madeNow.error();
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
    SystemResult<FileDescriptor> at = FileDescriptor::Open(root, O_RDONLY | O_DIRECTORY);
    std::filesystem::path reached = root;
    for (const std::filesystem::path& part : below) {
        if (!at) break;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            why = folder.string() + ": climbs out of " + root.string();
            return false;
        }
        reached /= part;
        bool made = false;
        SystemResult<FileDescriptor> level = OpenOrMakeLevel(at->Get(), part.string(), made);
        // The new name must survive a power cut, or the files flushed into it are lost with it.
        if (level && made) {
            if (const SystemResult<> flushed = sys::Fsync(at->Get()); !flushed) {
                why = reached.string() + ": its entry cannot be flushed: " + flushed.error().Text();
                return false;
            }
        }
        at = std::move(level);
    }
    if (at) return true;
    why = reached.string() + ": " + at.error().Text();
    return false;
}

}  // namespace mirabel
