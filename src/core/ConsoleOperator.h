#pragma once
// The operator of unattended runs: messages and progress go to standard output, the label
// prompt takes the proposed label, every other question gets its safe answer (Cancel or No).
// Before a deletion the copy on a medium is checked whenever the medium is there: the
// verification question is answered Yes, the medium prompt Cancel (that study stays), and
// the deletion-problem prompt No (that study stays untouched).
#include "core/Operator.h"

namespace mirabel {

// A quiet one answers the same and prints nothing: a dry run shows what a run would do, not the
// questions it would meet on the way.
class ConsoleOperator : public Operator {
  public:
    explicit ConsoleOperator(bool quiet = false) : quiet_(quiet) {}

    Answer MessageBox(const std::string& text, Buttons buttons) override;
    bool MessagesWaitForAnswer() const override { return false; }
    std::optional<std::string> AskMediaLabel(const std::string& proposed) override;
    Answer AskToVerifyCopy(const std::string& text) override;
    bool AskForMedium(const std::string& text) override;
    DeleteProblemAnswer AskDeleteProblem(const std::string& studyName, const std::string& examDate,
                                         const std::string& problem,
                                         bool mayAccept = true) override;
    std::unique_ptr<ProgressWindow> OpenProgressWindow(bool deleting,
                                                       std::function<void()> cancel) override;
    bool PumpEvents(int maxEvents) override;

  private:
    void PrintLine(const std::string& text) const;

    bool quiet_;
};

}  // namespace mirabel
