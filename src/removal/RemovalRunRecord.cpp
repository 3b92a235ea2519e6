#include "removal/RemovalRunRecord.h"

#include <exception>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/CatalogTime.h"
#include "catalog/RemovalJournal.h"
#include "catalog/RunRecording.h"
#include "removal/CandidateDetails.h"

namespace mirabel {

namespace {

constexpr const char* kLeftInPlace = "left in place (see mirabelerror.log)";
constexpr const char* kLeftInJournal = "its removal waits in the journal for the next pass";

// The names of the selected studies the pass left: those whose turn came it names itself; the
// others' are read, unless the image database has just failed the pass (they then stay blank).
std::unordered_map<std::string, std::string> NamesOfLeft(const DeletionCandidates& candidates,
                                                         const ArchiverConfig& config,
                                                         const DeletionPassResult& pass) {
    std::unordered_map<std::string, std::string> names = pass.studyNames;
    std::vector<std::string_view> unnamed;
    ForEachCandidate(candidates, [&](const Candidate& study, bool) {
        if (study.m_bSelected && !names.contains(std::string(study.ExamId())))
            unnamed.push_back(study.ExamId());
    });
    if (unnamed.empty() || !pass.databaseFailure.empty()) return names;
    try {
        std::string room;
        for (const auto& [examId, details] : ReadCandidateDetails(config, unnamed))
            names.emplace(examId, DisplayName(details.firstName, details.lastName, room));
    } catch (const std::exception&) {
        // Only the names are missing: the record still counts every study left.
    }
    return names;
}

void AddLeftInPlace(const CandidateList& list,
                    const std::unordered_map<std::string, std::string>& names, RunRecord& record) {
    for (const Candidate& study : list)
        if (study.m_bSelected) {
            const auto name = names.find(std::string(study.ExamId()));
            record.failures.push_back({std::string(study.ExamId()),
                                       name == names.end() ? std::string() : name->second,
                                       kLeftInPlace});
        }
}

// The register and the journal as the pass left them.
void AddCatalogOutcome(CatalogDatabase& catalog, RunRecord& record) {
    RemovalJournal journal(catalog);
    for (const RegisteredRemoval& removal : journal.RemovedSince(record.started)) {
        ++record.done;
        for (const JournalFile& file : removal.files) record.bytes += file.size;
    }
    for (const RemovalIntent& intent : journal.Pending())
        record.failures.push_back({intent.examId, intent.studyName, kLeftInJournal});
}

void Conclude(const DeletionPassResult& pass, RunRecord& record) {
    record.failed = static_cast<int>(record.failures.size());
    record.exitStatus = !pass.databaseFailure.empty()       ? 2
                        : record.failed || pass.result != 1 ? 1
                                                            : 0;
}

}  // namespace

void RecordRemovalPass(const DeletionCandidates& candidates, const ArchiverConfig& config,
                       const DeletionPassResult& pass, const std::string& started) {
    RunRecord record;
    record.kind = kRunRemoval;
    record.started = started;
    record.ended = CatalogTimeNow();
    record.destination = config.m_strCurrentArchive;
    const auto names = NamesOfLeft(candidates, config, pass);
    AddLeftInPlace(candidates.server, names, record);
    AddLeftInPlace(candidates.temp, names, record);
    try {
        CatalogDatabase catalog;
        AddCatalogOutcome(catalog, record);
        Conclude(pass, record);
        RecordRunQuietly(catalog, record);
    } catch (const std::exception&) {
        // The catalog cannot be opened or read: recording tries once more and says why.
        Conclude(pass, record);
        RecordRunQuietly(record);
    }
}

}  // namespace mirabel
