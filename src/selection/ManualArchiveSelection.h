#pragma once
// The manual archive selection behind its dialog: the studies found by the last search, the
// write list collected from them with each study's size, and the archive run of exactly the
// write list's studies.
#include <cstddef>
#include <string>
#include <vector>

#include "selection/ArchiveSearch.h"
#include "selection/SearchResult.h"
#include "selection/SelectionHost.h"

namespace mirabel {

// Adding more studies than this at once shows the progress window, with Cancel.
inline constexpr std::size_t kQuietlyAddedStudies = 20;

class ManualArchiveSelection {
  public:
    // Replaces the results by the studies the form finds (after adding the archive column
    // where EXAM lacks it). Nothing changes when the form's dates are not dates or the
    // connection values are incomplete; the outcome says which. When the database cannot be
    // searched the results are empty and SearchFailure says why.
    SearchOutcome Search(const ArchiverConfig& config, SearchForm form);
    const std::string& SearchFailure() const { return failure_; }

    // Appends copies of the results at these indexes (ascending) to the write list, skipping
    // the studies it already holds, each with
    // the size of its image folder below imageRoot (-1 when the folder cannot be measured). Beyond
    // kQuietlyAddedStudies the control's progress window counts them and Cancel ends the adding;
    // the studies added until then stay. Call it only while no run is in progress. Returns how many
    // were added.
    std::size_t Add(RunControl& control, const std::vector<std::size_t>& indexes,
                    const std::string& imageRoot);
    std::size_t AddAll(RunControl& control, const std::string& imageRoot);

    // Removes the write-list entries at these indexes, in whatever order they come.
    void Remove(const std::vector<std::size_t>& indexes);

    // "Current Size: %d MB" for the write list.
    std::string CurrentSizeText() const;

    // Archives the write list's studies to the current destination in one run (recorded in
    // the database when markArchived is on) and keeps on the write list exactly the studies
    // that were not archived. False, with refusal saying why, when no run could begin: the
    // write list is then unchanged.
    bool WriteToArchive(SelectionHost& host, bool markArchived, std::string& refusal);

    const std::vector<SearchResult>& Results() const { return m_results; }
    const std::vector<SearchResult>& WriteList() const { return m_writeList; }

  private:
    bool OnWriteList(const std::string& examId) const;

    std::vector<SearchResult> m_results;    // the last search, newest exam first
    std::vector<SearchResult> m_writeList;  // the studies to be written, in the order added
    std::string failure_;                   // why the last search could not read the database
};

}  // namespace mirabel
