#pragma once
// The files a list names below one folder, reached without ever following a link: a name whose
// way down passes through a link, or that is a link itself, is not reached at all. So nothing
// outside the folder can be removed, renamed or counted through a name inside it, and a file's
// mode is never touched (removing a file needs no permission on the file itself).
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/RegularFile.h"

namespace mirabel {

enum class RemovalResult {
    Removed,  // the entry is gone
    Failed,   // it is still there
};

struct RemovalOutcome {
    RemovalResult result = RemovalResult::Failed;
    std::string reason;  // why not removed, with the path; empty when removed
};

// An entry that has passed the checks before its removal, or why it did not.
class CheckedEntry {
  public:
    bool MayGo() const { return why_.empty(); }
    // Why it may not go, with the path.
    const std::string& Reason() const { return why_; }
    // The size the check saw (regular files only).
    std::uint64_t Size() const { return size_; }
    // How many names the file has: above 1, another name (a "copy") may be the file itself.
    std::uint64_t LinkCount() const { return seen_.st_nlink; }
    const std::string& Path() const { return path_; }

  private:
    friend class FolderEntries;
    std::string path_;
    FileDescriptor owned_;  // the folder that holds it, when it had to be opened on the way
    int parent_ = -1;
    std::string leaf_;
    std::uint64_t size_ = 0;
    struct stat seen_ {};  // the file as the check saw it
    std::string why_;
};

class FolderEntries {
  public:
    // Opens the folder once for all the names below it; the folder itself must not be a link.
    // A folder that cannot be opened (or has vanished) makes every name a problem.
    explicit FolderEntries(const std::filesystem::path& folder);
    // The same for a folder below root, opened part by part from root down, so that no link
    // on the way, not even one swapped in a moment ago, leads it elsewhere. A folder that is not
    // below root is not opened.
    FolderEntries(const std::filesystem::path& root, const std::filesystem::path& folder);

    bool IsOpen() const { return dir_.IsValid(); }
    const std::filesystem::path& Path() const { return folder_; }

    // Looks at folder/relative, where relative uses the native separator and has been checked
    // to stay below the folder (no "..", not absolute), and changes nothing. It passes when it
    // is a regular file that can be read, reached without a link.
    CheckedEntry Check(const std::string& relative) const;

    // Renames an entry that passed to hiddenLeaf in the same folder, or back again. The hidden
    // name must not exist: nothing is ever replaced. An entry that is no longer the file that was
    // checked (swapped for another file or a folder meanwhile) is put back and refused. False
    // with why (and the path) otherwise.
    bool Hide(const CheckedEntry& entry, const std::string& hiddenLeaf, std::string& why) const;
    bool Unhide(const CheckedEntry& entry, const std::string& hiddenLeaf, std::string& why) const;

    // Removes a name directly in the folder (a hidden name); one that is already gone counts as
    // removed. May run on several threads at once.
    RemovalOutcome RemoveLeaf(const std::string& leaf) const;
    // True when the folder holds an entry of that name (not following a link).
    bool HasLeaf(const std::string& leaf) const;
    // Renames a name directly in the folder to another that must not exist yet.
    bool RenameLeaf(const std::string& from, const std::string& to, std::string& why) const;

    // The regular file of that name directly in the folder, opened for reading; nullopt, with
    // the reason, when it is missing, a link or anything but a regular file.
    std::optional<RegularFile> OpenFile(const std::string& leaf, std::string& error) const;

    // The size of folder/relative when it is a regular file; nullopt otherwise.
    std::optional<std::uint64_t> RegularFileSize(const std::string& relative) const;

    // The regular files directly in the folder, each with its size, as one look at the open
    // folder sees them (links and special files left out); nullopt when it cannot be read.
    struct File {
        std::string name;
        std::uint64_t size = 0;
    };
    std::optional<std::vector<File>> RegularFiles() const;

    // True when the open folder is one of `others` itself, or lies anywhere below one: walked up
    // from the open folder itself, so that no path swapped meanwhile changes the answer, and, for
    // a folder shown by a second mount of part of a file system, by its place in that file system.
    // A folder of `others` that cannot be looked at is left out. nullopt when the way up cannot
    // be followed to the top.
    std::optional<bool> IsOrIsBelowAny(const std::vector<std::filesystem::path>& others) const;

    // Creates an empty file of that name directly in the folder; it must not exist yet. False
    // with why otherwise.
    bool CreateEmptyFile(const std::string& leaf, std::string& why) const;
    // The same, open for writing, with the given mode less the umask; an invalid descriptor, with
    // why, when the name exists (a link included) or the file cannot be made.
    FileDescriptor CreateNewFile(const std::string& leaf, unsigned mode, std::string& why) const;

    // Forces the folder's entries (names made, renamed or removed) onto the storage. False with
    // why when the storage reports an error.
    bool Flush(std::string& why) const;

  private:
    std::filesystem::path folder_;
    FileDescriptor dir_;
};

}  // namespace mirabel
