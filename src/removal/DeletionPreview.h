#pragma once
// What a removal pass would do, found by the pass itself with nothing changed (a dry run): each
// selected study with the rule that selected it, whether its files would go, the evidence its
// copy shows or why it would be kept, and the studies the journal still holds.
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/RemovalJournal.h"
#include "core/ArchiverConfig.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

struct StudyPreview {
    std::string examId;
    std::string name;
    std::string examDate;
    std::string selectedBy;  // the rule, or the operator
    bool wouldGo = false;
    bool stopsPass = false;   // the pass would stop at this study
    std::size_t files = 0;    // the listed files that would go
    std::uint64_t bytes = 0;  // theirs; of the whole study when it would be kept
    std::string evidence;     // what proves its copy, when it would go
    std::string why;          // why it would be kept, in the error log's words
};

struct DeletionPreview {
    std::vector<StudyPreview> studies;
    std::vector<RemovalIntent> pending;  // in the journal, finished first by a real pass

    // True when every study would go: the pass would end clean.
    bool AllWouldGo() const;
    std::uint64_t BytesThatWouldGo() const;
};

// The preview as lines for a console or a text panel, ending in a line of totals.
std::string DeletionPreviewText(const DeletionPreview& preview);

// What the rules selected, before anything goes (the Study Deletion dialog after Update Selected
// Studies): each selected candidate's Select Studies line, the rule that selected it and the size
// of the files its "cv.dir" lists, then the number of studies and their total in GB.
std::string SelectedStudiesText(const ArchiverConfig& config, const DeletionCandidates& candidates);

}  // namespace mirabel
