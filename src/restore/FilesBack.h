#pragma once
// Writing a study's files back from its copy into its local folder so that a file is either
// there whole, with the bytes that were archived, or not there at all: each file is written
// under a hidden name, checked, flushed and only then renamed to its own name (never over
// another file). cv.dir comes last, so a study whose list is back has all its files back.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/CopyReading.h"
#include "platform/FolderEntries.h"

#include "archive/RunState.h"

namespace mirabel {

// A file the study must have once it is back.
struct ExpectedFile {
    std::string name;  // directly in the study folder
    std::uint64_t size = 0;
    std::string sha256;  // empty when no catalog records it: the size alone is checked
};

struct FilesBack {
    bool done = false;
    std::string problem;  // the file and what is wrong with it, when not done
    int written = 0;
    int kept = 0;  // already in the folder with the same bytes
    std::uint64_t bytes = 0;
};

// The hidden name a file has while it is written.
std::string HiddenRestoreName(const std::string& name);

// A study's files on their way back into its folder: written under hidden names and checked
// (Write, on the thread that shows the progress), then flushed and renamed into place
// (PutInPlace, which may run on another thread while the next study is written). Whatever is
// still hidden when it goes away is removed: a study that stops part-way gets none of its files
// back.
class StudyFilesBack {
  public:
    explicit StudyFilesBack(FolderEntries folder);
    ~StudyFilesBack();
    StudyFilesBack(const StudyFilesBack&) = delete;
    StudyFilesBack& operator=(const StudyFilesBack&) = delete;

    // Writes the files under their hidden names. A file already in the folder with the same
    // bytes is kept; one with other bytes (or that is no regular file) stops it before anything
    // is written. A file whose bytes read from the copy differ from what is expected stops it.
    // `done` stays false: the files are not in place yet.
    FilesBack Write(const RunControl& control, CopyReader& copy, std::vector<ExpectedFile> files);

    // Flushes the hidden files together, renames them into place and flushes the folder, cv.dir
    // after the others are durable under their own names; empty when all are in place, else
    // why not. A stop among the renames leaves the files already renamed: they hold the
    // archived bytes, and a later attempt keeps them.
    std::string PutInPlace();

    // PutInPlace's steps, for several studies at once: every study takes a step before any
    // takes the next, so that the storage commits each step of all of them together.
    std::string StartFlushingFiles();  // their writing started, not waited for
    std::string FlushFiles();          // the hidden files' bytes onto the storage
    std::string RenameOthers();        // every file but cv.dir under its own name
    std::string RenameStudyList();     // cv.dir under its own name
    std::string FlushFolder();         // the folder's names onto the storage
    using Step = std::string (StudyFilesBack::*)();

    // The hidden files written and still open (they are flushed in batches).
    std::size_t OpenFiles() const;

  private:
    class HiddenFiles;
    FolderEntries folder_;
    std::unique_ptr<HiddenFiles> hidden_;
};

// PutInPlace's steps in their order: cv.dir is renamed once the others are durable under their
// own names.
inline constexpr StudyFilesBack::Step kPlacingSteps[] = {
    &StudyFilesBack::StartFlushingFiles, &StudyFilesBack::FlushFiles,
    &StudyFilesBack::RenameOthers,       &StudyFilesBack::FlushFolder,
    &StudyFilesBack::RenameStudyList,    &StudyFilesBack::FlushFolder};

// Both steps in a row, on this thread.
FilesBack BringFilesBack(const RunControl& control, CopyReader& copy, FolderEntries folder,
                         std::vector<ExpectedFile> files);

}  // namespace mirabel
