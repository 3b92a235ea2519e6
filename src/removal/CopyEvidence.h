#pragma once
// The evidence that a study's copy holds every file that is about to go: the same name (case
// aside, as media often show names in upper case) and the same size, and, when asked, the same
// bytes. A copy that turns out to be the original itself (the same folder, a folder inside the
// image root, or the same file reached another way) is no copy.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/CopyPlace.h"
#include "config/ArchiveDestination.h"

namespace mirabel {

// A local file that is to go, as the check before its removal found it.
struct FileToGo {
    std::string name;  // as listed (no folder part)
    std::filesystem::path path;
    std::uint64_t size = 0;
    std::uint64_t links = 1;  // the file's names; only with more can a copy be the file itself
};

enum class EvidenceVerdict {
    Complete,    // every file is in the copy
    Lacking,     // a file is missing from the copy, or has another size
    Differs,     // a file's bytes differ
    IsOriginal,  // the "copy" is the original
    NotReached,  // the copy could not be looked at
};

struct Evidence {
    EvidenceVerdict verdict = EvidenceVerdict::NotReached;
    std::string why;    // for the error log, naming the file or the folder
    std::string found;  // what was checked, for the removal register
};

// The copy in a folder of the file system (a hard-drive or network folder, or a medium): every
// file with its size, and its bytes when compareBytes. `probe` names a file just made in the study
// folder (none when empty): a copy that shows it is the study folder reached another way.
Evidence CheckFolderCopy(const std::filesystem::path& copyFolder,
                         const std::filesystem::path& studyFolder, const std::string& imageRoot,
                         const std::vector<FileToGo>& files, bool compareBytes,
                         const std::string& probe = "");

// One entry of a server's listing of the copy folder.
struct ListedCopyFile {
    std::string name;
    std::uint64_t size = 0;
    bool isFolder = false;
};

// The copy on an FTP server or image server, by the server's listing of its folder.
Evidence CheckListedCopy(const std::vector<ListedCopyFile>& listing, const std::string& where,
                         const std::vector<FileToGo>& files, const std::string& probe = "");

}  // namespace mirabel
