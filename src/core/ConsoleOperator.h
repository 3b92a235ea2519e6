#pragma once
// The operator of unattended runs: messages and progress go to standard output, the label
// prompt takes the proposed label, every other question gets its safe answer (Cancel or No).
#include "core/Operator.h"

namespace mirabel {

class ConsoleOperator : public Operator {
  public:
    Answer MessageBox(const std::string& text, Buttons buttons) override;
    std::optional<std::string> AskMediaLabel(const std::string& proposed) override;
    std::unique_ptr<ProgressWindow> OpenProgressWindow(bool deleting) override;
    bool PumpEvents(int maxEvents) override;
};

}  // namespace mirabel
