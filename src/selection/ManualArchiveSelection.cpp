#include "selection/ManualArchiveSelection.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "archive/RunState.h"
#include "archive/StudyFileLoop.h"
#include "archive/StudyFiles.h"
#include "db/ArchiveColumnRule.h"
#include "db/ImageDatabase.h"
#include "db/StudySelection.h"
#include "log/Logs.h"
#include "selection/StudyListHandover.h"

namespace mirabel {

namespace {

// A study without an image path never reaches the run, so it is named here, as the run names a
// study it cannot copy.
void LogStudiesWithoutImagePath(const std::vector<SearchResult>& writeList) {
    std::string name;
    for (const SearchResult& entry : writeList)
        if (entry.m_strImagePath.empty()) {
            const StudyRecord study(
                {.name = DisplayName(entry.m_strFirstName, entry.m_strLastName, name),
                 .examDate = entry.m_strExamDate});
            ErrorLog(StudyFailureText(study, "no image folder is recorded for the study"));
        }
}

}  // namespace

SearchOutcome ManualArchiveSelection::Search(const ArchiverConfig& config, SearchForm form) {
    const SearchOutcome checked = CheckSearchDates(form);
    if (checked != SearchOutcome::Searched) return checked;
    if (!ConnectionValuesPresent(config)) return SearchOutcome::ConnectionIncomplete;
    m_results.clear();
    failure_.clear();
    // Without an archive column of its own no study can be told archived or not, nor be
    // recorded: the search finds nothing, as the study selection does.
    if (const std::optional<std::string> refusal = ArchiveColumnRefusal(config.m_strDbField)) {
        ErrorLog(*refusal);
        failure_ = *refusal;
        return SearchOutcome::DatabaseFailed;
    }
    AddArchiveColumn(config);
    std::optional<std::vector<SearchResult>> found = ReadSearchResults(
        config, BuildArchiveSearchStatement(form, config.m_strDbField, config.DbKind()), failure_);
    if (!found) return SearchOutcome::DatabaseFailed;
    m_results = std::move(*found);
    return SearchOutcome::Searched;
}

std::size_t ManualArchiveSelection::Add(RunControl& control,
                                        const std::vector<std::size_t>& indexes,
                                        const std::string& imageRoot) {
    // Measuring a folder reads its whole listing; many of them take a while.
    std::optional<ProgressScope> progress;
    if (indexes.size() > kQuietlyAddedStudies) progress.emplace(control);
    const int total = static_cast<int>(indexes.size());
    std::size_t added = 0;
    for (std::size_t index : indexes) {
        // A study already on the write list is written once and counted once.
        if (index >= m_results.size() || OnWriteList(m_results[index].m_strExamId)) continue;
        if (progress) progress->Window().SetStudyProgress(static_cast<int>(added) + 1, total);
        SearchResult& entry = m_writeList.emplace_back(m_results[index]);
        entry.m_nSize = GetStudySizeMB(imageRoot, entry.m_strImagePath);
        ++added;
        if (progress) {
            PeekAndPump();
            if (control.StopRequested()) break;
        }
    }
    return added;
}

bool ManualArchiveSelection::OnWriteList(const std::string& examId) const {
    return std::any_of(m_writeList.begin(), m_writeList.end(),
                       [&](const SearchResult& entry) { return entry.m_strExamId == examId; });
}

std::size_t ManualArchiveSelection::AddAll(RunControl& control, const std::string& imageRoot) {
    std::vector<std::size_t> all(m_results.size());
    std::iota(all.begin(), all.end(), 0);
    return Add(control, all, imageRoot);
}

void ManualArchiveSelection::Remove(const std::vector<std::size_t>& indexes) {
    std::vector<bool> removed(m_writeList.size(), false);
    for (std::size_t index : indexes)
        if (index < removed.size()) removed[index] = true;
    std::vector<SearchResult> kept;
    kept.reserve(m_writeList.size());
    for (std::size_t i = 0; i < m_writeList.size(); ++i)
        if (!removed[i]) kept.push_back(std::move(m_writeList[i]));
    m_writeList = std::move(kept);
}

std::string ManualArchiveSelection::CurrentSizeText() const {
    long long total = 0;
    for (const SearchResult& entry : m_writeList) total += std::max(0LL, entry.m_nSize);
    return "Current Size: " + std::to_string(total) + " MB";
}

bool ManualArchiveSelection::WriteToArchive(SelectionHost& host, bool markArchived,
                                            std::string& refusal) {
    StudyList* handedOver = nullptr;
    const bool ran = host.RunArchive(
        [&](StudyList& studies) {
            LogStudiesWithoutImagePath(m_writeList);
            HandOverToStudyList(studies, m_writeList, markArchived);
            handedOver = &studies;
        },
        refusal);
    if (ran) KeepStudiesNotArchived(*handedOver, m_writeList);
    return ran;
}

}  // namespace mirabel
