#pragma once
// "cv.dir", the list of a study's files that the image system keeps in each study folder. Only
// the files it names are ever deleted. Lines end at LF or CR LF:
//   1   a line containing "Version1"
//   2,3 ignored
//   4   N, the number of groups (leading integer)
//   then N groups of: one ignored line; M, the number of names (leading integer); M names,
//   each relative to the study folder with "\" between its parts.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FolderEntries.h"

namespace mirabel {

inline constexpr const char* kStudyListFile = "cv.dir";

enum class FileListState {
    Read,       // the names are in the list
    Unusable,   // opened, but not a list whose names can be trusted
    NotOpened,  // missing, not a regular file, or unreadable
};

struct StudyFileList {
    FileListState state = FileListState::NotOpened;
    // With Read: "cv.dir" itself first, then every name in file order, with the native
    // separator. Names may repeat (RemoveDuplicates) or be empty.
    std::vector<std::string> names;
    std::string problem;  // why the list is not usable; empty when read
};

// Reads the study folder's "cv.dir". Unusable: a first line without "Version1"; counts that
// promise more lines than the file holds; a name that is absolute, climbs out of the folder
// with "..", or holds a NUL byte; a file larger than any real list (64 MB).
StudyFileList ReadStudyFileList(const std::filesystem::path& studyDir);
// The same through a study folder already opened.
StudyFileList ReadStudyFileList(const FolderEntries& studyDir);

// Removes repeated names, keeping the first occurrence of each and the order.
void RemoveDuplicates(std::vector<std::string>& names);

}  // namespace mirabel
