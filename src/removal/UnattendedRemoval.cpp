#include "removal/UnattendedRemoval.h"

#include "removal/CandidateSelection.h"
#include "removal/DeletionCandidates.h"
#include "removal/DeletionSettings.h"
#include "removal/StudyDeletion.h"

namespace mirabel {

UnattendedRemovalResult RunUnattendedRemoval(RemovalHost& host, std::string& refusal) {
    bool allDeleted = false;
    std::string databaseFailure;
    const bool ran = host.RunExclusively(
        [&] {
            const DeletionSettings rules = LoadDeletionSettings(host);
            RunSelectionPass(host.Config(), rules);
            DeletionOptions options;
            options.skip = ReadDeleteSetting(host, kSkip);
            options.verifyFolderCopies = rules.m_bVerifyFolderCopies;
            // Deleted studies leave the lists; a selected one still listed was left in place.
            const DeletionPassResult pass = RunDeletionPass(host.Config(), options);
            databaseFailure = pass.databaseFailure;
            allDeleted = pass.result == 1 && CountSelected() == 0;
        },
        refusal);
    if (!ran) return UnattendedRemovalResult::NotStarted;
    if (!databaseFailure.empty()) {
        refusal = databaseFailure;
        return UnattendedRemovalResult::DatabaseUnavailable;
    }
    return allDeleted ? UnattendedRemovalResult::AllDeleted : UnattendedRemovalResult::SomeLeft;
}

}  // namespace mirabel
