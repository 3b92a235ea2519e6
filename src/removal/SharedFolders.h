#pragma once
// A study folder that two exams' rows name, or that lies inside another exam's folder. Removing
// the files of such a study takes the images of the other exam while its row still says they are
// here, and neither a rerun nor the removal register can give them back. Such a study is never
// removed: the operator sorts out its rows first.
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/ArchiverConfig.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

// The folder an image path names, spelled one way: "\ST4", "ST4\", "/st4", "\ST4\.\" and "\ST4."
// are one folder. Case (of ASCII letters) and trailing dots and blanks of a level do not count,
// as they do not on the image system's own file system: two paths that differ in these only are
// taken for one folder, and their studies stay.
std::string FolderKey(std::string_view imagePath);

// For each selected candidate whose folder another row of EXAM names too, or whose folder lies
// inside the folder of another row, why it stays ("the exam 7 names its folder too"). Every row
// of EXAM is read, archived or not. Throws DatabaseError when the rows cannot be read to the end.
std::unordered_map<std::string, std::string> FindSharedFolders(
    const ArchiverConfig& config, const DeletionCandidates& candidates);

}  // namespace mirabel
