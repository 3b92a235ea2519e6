#pragma once
// The operator at the desk: real message boxes and dialogs, and the wx event loop as pump.
#include "core/Operator.h"

class wxWindow;

namespace mirabel {

class WxOperator : public Operator {
  public:
    Answer MessageBox(const std::string& text, Buttons buttons) override;
    std::optional<std::string> AskMediaLabel(const std::string& proposed) override;
    bool AskForMedium(const std::string& text) override;
    DeleteProblemAnswer AskDeleteProblem(const std::string& studyName, const std::string& examDate,
                                         const std::string& problem,
                                         bool mayAccept = true) override;
    std::unique_ptr<ProgressWindow> OpenProgressWindow(bool deleting,
                                                       std::function<void()> cancel) override;
    bool PumpEvents(int maxEvents) override;
};

}  // namespace mirabel
