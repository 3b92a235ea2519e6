#include "removal/RemovalRunRecord.h"

#include <exception>

#include "catalog/CatalogTime.h"
#include "catalog/RemovalJournal.h"
#include "catalog/RunRecording.h"

namespace mirabel {

namespace {

constexpr const char* kLeftInPlace = "left in place (see mirabelerror.log)";
constexpr const char* kLeftInJournal = "its removal waits in the journal for the next pass";

void AddLeftInPlace(const CandidateList& list, RunRecord& record) {
    for (const auto& study : list)
        if (study->m_bSelected)
            record.failures.push_back(
                {std::string(study->ExamId()), std::string(study->Name()), kLeftInPlace});
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
    AddLeftInPlace(candidates.server, record);
    AddLeftInPlace(candidates.temp, record);
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
