#pragma once
// The files a list names below one folder, reached without ever following a link: a link is
// removed itself, never its target, and a name whose way down passes through a link is not
// reached at all. So nothing outside the folder can be removed or counted through a name
// inside it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/FileDescriptor.h"

namespace mirabel {

enum class RemovalResult {
    Removed,  // the entry is gone
    Problem,  // not removed: missing, a folder, unreadable, or reached through a link
    Failed,   // a file that could be read but whose removal failed
};

struct RemovalOutcome {
    RemovalResult result = RemovalResult::Problem;
    std::string reason;  // why not removed, with the path; empty when removed
};

class FolderEntries {
  public:
    // Opens the folder once for all the names below it. A folder that cannot be opened (or
    // has vanished) makes every name a problem.
    explicit FolderEntries(const std::filesystem::path& folder);

    // Removes folder/relative, where relative uses the native separator and has been checked
    // to stay below the folder (no "..", not absolute). A regular file must be readable
    // first, as a file locked away is left for the operator to decide about; a read-only one
    // becomes writable for its owner before it goes. Nothing is opened: links and special
    // files are removed as they are.
    RemovalOutcome Remove(const std::string& relative) const;

    // The size of folder/relative when it is a regular file; nullopt otherwise.
    std::optional<std::uint64_t> RegularFileSize(const std::string& relative) const;

  private:
    std::filesystem::path folder_;
    FileDescriptor dir_;
};

}  // namespace mirabel
