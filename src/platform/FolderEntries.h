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

// An entry that has passed the checks before its removal, or why it did not.
class CheckedEntry {
  public:
    bool MayGo() const { return why_.empty(); }
    // Why it may not go, with the path.
    const std::string& Reason() const { return why_; }

  private:
    friend class FolderEntries;
    std::string path_;
    FileDescriptor owned_;  // the folder that holds it, when it had to be opened on the way
    int parent_ = -1;
    std::string leaf_;
    unsigned mode_ = 0;  // st_mode as the check saw it
    std::string why_;
};

class FolderEntries {
  public:
    // Opens the folder once for all the names below it. A folder that cannot be opened (or
    // has vanished) makes every name a problem.
    explicit FolderEntries(const std::filesystem::path& folder);

    // Removal goes in two steps, so that the files of a list can be checked in the list's
    // order and then removed side by side.
    // Check looks at folder/relative, where relative uses the native separator and has been
    // checked to stay below the folder (no "..", not absolute), and changes nothing. A regular
    // file must be readable, as a file locked away is left for the operator to decide about.
    // Remove takes an entry that passed, and may run on several threads at once: a read-only
    // file becomes writable for its owner before it goes; nothing is opened, so links and
    // special files are removed as they are. An entry that is gone or a folder by then is a
    // problem, as it would have been at the check.
    CheckedEntry Check(const std::string& relative) const;
    RemovalOutcome Remove(const CheckedEntry& entry) const;

    // The size of folder/relative when it is a regular file; nullopt otherwise.
    std::optional<std::uint64_t> RegularFileSize(const std::string& relative) const;

  private:
    std::filesystem::path folder_;
    FileDescriptor dir_;
};

}  // namespace mirabel
