#pragma once
// Bringing one removed study back from its copy: its files into its folder under the image
// root, then its EXAM row's media type back to what it was before the removal. The archive value
// stays: the copy is still there.
#include <cstdint>
#include <string>

#include "archive/ExamRowWriter.h"
#include "catalog/CatalogDatabase.h"
#include "core/ArchiverConfig.h"

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

// Restores the study with that exam id when its row says "Archive". Its files are checked
// against the catalog's record of its copy (size and SHA-256), or, when the catalog has none,
// against the copy's own listing (size). exam.ver is neither compared nor replaced: it lists
// every destination the study went to. Then the study is held back from the removal rules and
// its media type written. Throws DatabaseError when the image database fails, CatalogFailure
// when the catalog does.
StudyRestoreResult RestoreStudy(RestoreContext& context, const std::string& examId);

}  // namespace mirabel
