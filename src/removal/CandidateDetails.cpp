#include "removal/CandidateDetails.h"

#include <climits>
#include <exception>
#include <string_view>
#include <unordered_set>

#include "db/ArchiveValue.h"
#include "db/ImageDatabase.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

// The details' fields, in the order both reads hand them over.
const std::vector<std::string> kDetailFields = {"NAME_L", "NAME_F", "EXAM_DATE", "IUH_ID"};

CandidateDetails DetailsOf(const std::vector<std::string>& v, std::size_t first) {
    return {v[first], v[first + 1], v[first + 2], v[first + 3]};
}

std::string DetailsStatement(const ArchiverConfig& config) {
    return "SELECT EXAM.EXAM_ID, PATIENT.NAME_L, PATIENT.NAME_F, EXAM.EXAM_DATE, PATIENT.IUH_ID "
           "FROM PATIENT, EXAM WHERE (PATIENT.PAT_ID = EXAM.PAT_ID)AND" +
           ArchivedCondition(config.DbKind(), "EXAM.[" + config.m_strDbField + "]");
}

}  // namespace

DetailsByExamId ReadCandidateDetails(const ArchiverConfig& config,
                                     const std::vector<std::string_view>& examIds) {
    DetailsByExamId details;
    if (examIds.empty()) return details;
    const std::unordered_set<std::string_view> wanted(examIds.begin(), examIds.end());
    std::vector<std::string> fields = {"EXAM_ID"};
    fields.insert(fields.end(), kDetailFields.begin(), kDetailFields.end());
    // Every archived study is looked at, not only as many as the candidate lists hold: the rows
    // come in no particular order.
    ForEachImageRow(config, DetailsStatement(config), fields, INT_MAX,
                    [&](std::vector<std::string>& row) {
                        if (wanted.contains(row[0])) details.try_emplace(row[0], DetailsOf(row, 1));
                    });
    return details;
}

const CandidateDetails& DetailsFor(const DetailsByExamId& details, std::string_view examId) {
    static const CandidateDetails kBlank;
    const auto found = details.find(std::string(examId));
    return found == details.end() ? kBlank : found->second;
}

DetailsByExamId DetailsOfCandidates(const ArchiverConfig& config,
                                    const DeletionCandidates& candidates, bool selectedOnly) {
    std::vector<std::string_view> examIds;
    ForEachCandidate(candidates, [&](const Candidate& candidate, bool) {
        if (!selectedOnly || candidate.m_bSelected) examIds.push_back(candidate.ExamId());
    });
    try {
        return ReadCandidateDetails(config, examIds);
    } catch (const std::exception& failure) {
        ErrorLog(std::string("The studies' names and exam dates cannot be read: ") +
                 failure.what());
        return {};
    }
}

std::optional<CandidateDetails> ReadStudyDetails(ExamRowWriter& rows, const std::string& examId) {
    std::vector<std::string> fields = kDetailFields;
    fields.push_back("EXAM_ID");
    const auto row = rows.ReadWithPatient(examId, fields);
    // An exam id stored as text can match another spelling of its number ("007" reads the row
    // of "7"): the row found must carry this very id, or its names are another study's.
    if (!row || row->back() != examId) return std::nullopt;
    return DetailsOf(*row, 0);
}

StudyRecord StudyOf(const Candidate& candidate, const CandidateDetails& details) {
    std::string name;
    StudyRecord study(StudyText{.name = DisplayName(details.firstName, details.lastName, name),
                                .lastName = details.lastName,
                                .firstName = details.firstName,
                                .examDate = details.examDate,
                                .imagePath = candidate.ImagePath(),
                                .examId = candidate.ExamId(),
                                .archiveValue = candidate.ArchiveValue(),
                                .mrn = details.mrn});
    study.m_bSelected = candidate.m_bSelected;
    return study;
}

}  // namespace mirabel
