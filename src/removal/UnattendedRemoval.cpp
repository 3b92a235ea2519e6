#include "removal/UnattendedRemoval.h"

#include "removal/CandidateSelection.h"
#include "removal/DeletionCandidates.h"
#include "removal/DeletionSettings.h"
#include "removal/StudyDeletion.h"

namespace mirabel {

UnattendedRemovalResult RunUnattendedRemoval(RemovalHost& host, std::string& refusal) {
    UnattendedRemovalResult result = UnattendedRemovalResult::SomeLeft;
    const bool ran = host.RunExclusively(
        [&] {
            const DeletionSettings rules = LoadDeletionSettings(host);
            const SelectionOutcome selection =
                RunSelectionPass(host.Candidates(), host.Config(), rules);
            // Nobody looks at the rules before an unattended pass deletes: any doubt stops it.
            if (!selection.Clean()) {
                refusal = selection.Problems().front();
                result = selection.failed || !selection.refusals.empty()
                             ? UnattendedRemovalResult::SelectionFailed
                             : UnattendedRemovalResult::Braked;
                return;
            }
            DeletionOptions options;
            options.skip = ReadDeleteSetting(host, kSkip);
            options.verifyFolderCopies = rules.m_bVerifyFolderCopies;
            // Deleted studies leave the lists; a selected one still listed was left in place.
            const DeletionPassResult pass =
                RunDeletionPass(host.Control(), host.Candidates(), host.Config(), options);
            ReportRunSummary(pass.summary, Attendance::Unattended);
            if (!pass.databaseFailure.empty()) {
                refusal = pass.databaseFailure;
                result = UnattendedRemovalResult::DatabaseUnavailable;
                return;
            }
            result = pass.result == 1 && CountSelected(host.Candidates()) == 0 && !pass.journalLeft
                         ? UnattendedRemovalResult::AllDeleted
                         : UnattendedRemovalResult::SomeLeft;
        },
        refusal);
    return ran ? result : UnattendedRemovalResult::NotStarted;
}

}  // namespace mirabel
