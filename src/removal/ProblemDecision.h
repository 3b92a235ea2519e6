#pragma once
// What becomes of a study that cannot be deleted cleanly (its "cv.dir" cannot be used, or a
// file it lists cannot be opened): the operator's answer, or the standing answer of "Yes To
// All" or "No To All" ("Suppress Delete Errors" starts as No To All).
#include "db/StudyRecord.h"

namespace mirabel {

// The state of one deletion pass over one candidate list.
struct DeletionFlags {
    int suppress = 0;  // problem studies are left untouched without asking
    int yesToAll = 0;  // problems are accepted without asking
    int noVerify = 0;  // removable-media copies are no longer checked
};

enum class ProblemOutcome {
    GoOn,        // accept the problem: go on deleting, and set the study as archived
    LeaveStudy,  // leave the study and its database row as they are
    Cancel,      // stop the pass
};

enum class ProblemChoice {
    Any,        // the study may still go
    LeaveOnly,  // the study cannot go (a file its copy lacks): only No, No To All and Cancel
};

// Asks the operator about the problem (the file and what is wrong with it) unless a standing
// answer applies; "Yes To All" and "No To All" become the standing answer. With LeaveOnly the
// study is never accepted: a standing Yes To All leaves it without asking.
ProblemOutcome DecideProblem(DeletionFlags& flags, const StudyRecord& study,
                             const std::string& problem, ProblemChoice choice = ProblemChoice::Any);

}  // namespace mirabel
