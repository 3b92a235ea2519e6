#pragma once
// The write list meets the archive run through the run's study list: the studies go in before
// the run, and afterwards the write list keeps exactly those the run did not archive.
#include <vector>

#include "db/StudyRecord.h"
#include "selection/SearchResult.h"

namespace mirabel {

// Replaces studies by the write list's studies, in order. A study's archive is recorded in
// its EXAM row only when markArchived is on and the row records no archive yet, so a study
// archived before keeps where it went first. Studies without an image path cannot be copied and
// are left out.
void HandOverToStudyList(StudyList& studies, const std::vector<SearchResult>& writeList,
                         bool markArchived);

// After the run: removes the archived studies from studies, and from the write list every
// entry that was archived. The entries without an image path, never handed over, stay.
void KeepStudiesNotArchived(StudyList& studies, std::vector<SearchResult>& writeList);

// How many entries of the write list have no image path, so cannot be written.
std::size_t CountWithoutImagePath(const std::vector<SearchResult>& writeList);

}  // namespace mirabel
