#pragma once
// Bringing one removed study back from its copy: its files into its folder under the image
// root, then its EXAM row's media type back to what it was before the removal. The archive value
// stays: the copy is still there.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/ExamRowWriter.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/RemovalJournal.h"
#include "core/ArchiverConfig.h"
#include "restore/FilesBack.h"

#include "archive/RunState.h"

namespace mirabel {

// The media type a study gets back when the removal register does not say what it had.
inline constexpr const char* kMediaTypeWhenUnknown = "Image Server";

struct RestoreContext {
    const RunControl& control;  // the run's progress window and stop flag
    const ArchiverConfig& config;
    ExamRowWriter& rows;
    CatalogDatabase& catalog;
    int holdDays = 0;  // the study is held back from the removal rules this long
};

struct StudyRestoreResult {
    bool restored = false;
    std::string study;    // how the logs name it: display name and exam date, and the exam id
    std::string problem;  // why it was not restored (naming the file where one is at fault)
    std::uint64_t bytes = 0;
};

// A study on its way back, in three steps: LocateStudy reads and checks its row and writes
// nothing; WriteStudyFiles writes its files under hidden names; once `files` are in place (with
// the rest of its group, beside the next group's writing: BackgroundPlacing), FinishStudies holds
// it back from the removal rules and writes its media type. A problem at any step ends it there.
struct StudyInHand {
    std::string examId;
    StudyRestoreResult result;
    std::vector<std::string> row;
    std::string mediaColumn;
    std::string mediaTypeBefore;            // what the removal register says it had
    std::filesystem::path folder;           // the local study folder, once located
    std::vector<JournalFile> removedFiles;  // what the removal register says went
    std::unique_ptr<StudyFilesBack> files;  // written, not yet in place

    bool Failed() const { return !result.problem.empty(); }
};

// Reads the study's EXAM row and refuses it unless its media type says "Archive", it has an
// archive value, its removal is finished and its row can be written now. Throws DatabaseError
// when the image database fails, CatalogFailure when the catalog does.
StudyInHand LocateStudy(RestoreContext& context, const std::string& examId);

// Writes the located study's files from the copy the archive value names under hidden names in
// its folder, each checked against the catalog's record of the copy (size and SHA-256), or,
// when the catalog has none, against the copy's own listing (size). exam.ver is neither compared
// nor replaced: it lists every destination the study went to. Throws as LocateStudy does.
void WriteStudyFiles(RestoreContext& context, StudyInHand& study);

// For the studies whose files are in place (the others are passed over): their holds in one
// commit of the catalog, then their media types in one commit of the image database, which
// makes them restored. A failure of either fails every one of them; a row that is gone fails
// its own study.
void FinishStudies(RestoreContext& context, std::vector<StudyInHand>& studies);

}  // namespace mirabel
