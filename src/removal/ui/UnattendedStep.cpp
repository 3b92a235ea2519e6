#include "removal/ui/UnattendedStep.h"

namespace mirabel {

namespace {
constexpr int kStepDelayMs = 1000;
}  // namespace

UnattendedStep::UnattendedStep(wxEvtHandler& dialog, int timerId, std::function<void()> step)
    : timer_(&dialog, timerId) {
    dialog.Bind(
        wxEVT_TIMER, [step = std::move(step)](wxTimerEvent&) { step(); }, timerId);
}

void UnattendedStep::Start() {
    timer_.StartOnce(kStepDelayMs);
}

}  // namespace mirabel
