#include "report/RemovalOutlook.h"

#include <algorithm>
#include <filesystem>

#include "archive/CopyPlace.h"
#include "archive/StudyPaths.h"
#include "log/SilencedErrorListener.h"
#include "platform/FreeSpace.h"
#include "removal/CandidateSelection.h"
#include "removal/SizeRule.h"
#include "removal/StudyFileList.h"

namespace mirabel {

namespace {

constexpr const char* kDestinationGone = "the destination of its copy is no longer in archives.p";
constexpr const char* kSubFolderNames = "its cv.dir names files in sub-folders";

bool NamesSubFolderFile(const ArchiverConfig& config, const StudyRecord& study) {
    const auto folder = LocalStudyDirectory(config.m_strImagePath, study.ImagePath());
    if (!folder) return false;
    const StudyFileList list = ReadStudyFileList(*folder);
    return std::any_of(list.names.begin(), list.names.end(), [](const std::string& name) {
        return name.find(static_cast<char>(std::filesystem::path::preferred_separator)) !=
               std::string::npos;
    });
}

void Unremovable(const StudyRecord& study, const char* reason, StatusReport& report) {
    report.unremovable.push_back({std::string(study.ExamId()), std::string(study.Name()), reason});
}

void LookAtCandidates(const ArchiverConfig& config, const CandidateList& list,
                      StatusReport& report) {
    RemovalFigures& removal = report.removal;
    removal.candidates += static_cast<std::int64_t>(list.size());
    for (const auto& study : list) {
        if (!FindCopyPlace(std::string(study->ArchiveValue())))
            Unremovable(*study, kDestinationGone, report);
        if (!study->m_bSelected) continue;
        ++removal.selected;
        removal.selectedBytes += CandidateBytes(config, *study);
        if (NamesSubFolderFile(config, *study)) Unremovable(*study, kSubFolderNames, report);
    }
}

}  // namespace

void AddStoreSpace(const ArchiverConfig& config, const DeletionSettings& rules,
                   RemovalFigures& removal) {
    if (const auto space = SpaceOfFileSystem(config.m_strImagePath)) {
        removal.storeFreeBytes = space->freeBytes;
        removal.storeTotalBytes = space->totalBytes;
    }
    std::string refusal;
    if (rules.m_bBySize)
        removal.sizeGoalBytes = SizeGoalBytes(config, rules.m_strNumbGBytes, refusal);
}

void AddRemovalOutlook(const ArchiverConfig& config, const DeletionSettings& rules,
                       StatusReport& report) {
    AddStoreSpace(config, rules, report.removal);
    DeletionCandidates scratch;
    // The report writes no log: what the selection would log is why the figures are unknown.
    std::string logged;
    const SelectionOutcome outcome = [&] {
        const SilencedErrorListener listener([&](const std::string& line) {
            if (logged.empty()) logged = line;
        });
        return RunSelectionPass(scratch, config, rules);
    }();
    if (outcome.failed) {
        report.removal.unknownBecause = logged.empty() ? outcome.Problems().front() : logged;
        return;
    }
    LookAtCandidates(config, scratch.server, report);
    LookAtCandidates(config, scratch.temp, report);
}

}  // namespace mirabel
