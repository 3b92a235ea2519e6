#include "removal/ProblemDecision.h"

#include "core/Operator.h"

namespace mirabel {

ProblemOutcome DecideProblem(DeletionFlags& flags, const StudyRecord& study,
                             const std::string& problem, ProblemChoice choice) {
    const bool mayAccept = choice == ProblemChoice::Any;
    if (flags.yesToAll || flags.suppress)
        return flags.suppress || !mayAccept ? ProblemOutcome::LeaveStudy : ProblemOutcome::GoOn;
    switch (TheOperator().AskDeleteProblem(std::string(study.Name()), std::string(study.ExamDate()),
                                           problem, mayAccept)) {
        case DeleteProblemAnswer::Yes:
            return mayAccept ? ProblemOutcome::GoOn : ProblemOutcome::LeaveStudy;
        case DeleteProblemAnswer::YesToAll:
            if (!mayAccept) return ProblemOutcome::LeaveStudy;
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
