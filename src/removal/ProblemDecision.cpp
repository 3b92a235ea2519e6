#include "removal/ProblemDecision.h"

#include "core/Operator.h"

namespace mirabel {

ProblemOutcome DecideProblem(DeletionFlags& flags, const StudyRecord& study) {
    if (flags.yesToAll || flags.suppress)
        return flags.suppress ? ProblemOutcome::LeaveStudy : ProblemOutcome::GoOn;
    switch (
        TheOperator().AskDeleteProblem(std::string(study.Name()), std::string(study.ExamDate()))) {
        case DeleteProblemAnswer::Yes:
            return ProblemOutcome::GoOn;
        case DeleteProblemAnswer::YesToAll:
            flags.yesToAll = 1;
            return ProblemOutcome::GoOn;
        case DeleteProblemAnswer::No:
            return ProblemOutcome::LeaveStudy;
        case DeleteProblemAnswer::NoToAll:
            flags.suppress = 1;
            return ProblemOutcome::LeaveStudy;
        case DeleteProblemAnswer::Cancel:
            break;
    }
    return ProblemOutcome::Cancel;
}

}  // namespace mirabel
