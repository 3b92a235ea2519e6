#include "removal/UnattendedRemoval.h"

#include "removal/CandidateSelection.h"
#include "removal/DeletionCandidates.h"
#include "removal/DeletionSettings.h"
#include "removal/StudyDeletion.h"

namespace mirabel {

namespace {

// The pass itself, real or dry: a dry one fills preview and changes nothing.
UnattendedRemovalResult UnattendedPass(RemovalHost& host, bool dry, DeletionPreview& preview,
                                       std::string& refusal) {
    const DeletionSettings rules = LoadDeletionSettings(host);
    const SelectionOutcome selection = RunSelectionPass(host.Candidates(), host.Config(), rules);
    // Nobody looks at the rules before an unattended pass deletes: any doubt stops it.
    if (!selection.Clean()) {
        refusal = selection.Problems().front();
        return selection.failed || !selection.refusals.empty()
                   ? UnattendedRemovalResult::SelectionFailed
                   : UnattendedRemovalResult::Braked;
    }
    DeletionOptions options;
    options.skip = ReadDeleteSetting(host, kSkip);
    options.verifyFolderCopies = rules.m_bVerifyFolderCopies;
    options.dryRun = dry;
    // Deleted studies leave the lists; a selected one still listed was left in place.
    DeletionPassResult pass =
        RunDeletionPass(host.Control(), host.Candidates(), host.Config(), options);
    if (!dry) ReportRunSummary(pass.summary, Attendance::Unattended);
    preview = std::move(pass.preview);
    if (!pass.databaseFailure.empty()) {
        refusal = pass.databaseFailure;
        return UnattendedRemovalResult::DatabaseUnavailable;
    }
    const bool allGone = dry ? preview.AllWouldGo() : CountSelected(host.Candidates()) == 0;
    return pass.result == 1 && allGone && !pass.journalLeft ? UnattendedRemovalResult::AllDeleted
                                                            : UnattendedRemovalResult::SomeLeft;
}

}  // namespace

UnattendedRemovalResult RunUnattendedRemoval(RemovalHost& host, std::string& refusal) {
    UnattendedRemovalResult result = UnattendedRemovalResult::SomeLeft;
    DeletionPreview unused;
    const bool ran = host.RunExclusively(
        [&] { result = UnattendedPass(host, false, unused, refusal); }, refusal);
    return ran ? result : UnattendedRemovalResult::NotStarted;
}

UnattendedRemovalResult PreviewUnattendedRemoval(RemovalHost& host, DeletionPreview& preview,
                                                 std::string& refusal) {
    return UnattendedPass(host, true, preview, refusal);
}

}  // namespace mirabel
