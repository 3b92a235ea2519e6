#pragma once
// The unattended pass after a scheduled run opens the removal dialogs in auto mode, where each
// takes its one step by itself, as if its button had been pressed: Study Deletion applies the
// rules, Select Studies deletes. The step comes once, a second after the dialog opens: the
// dialog's timer only ticks once the dialog runs its loop.
#include <functional>

#include <wx/timer.h>

namespace mirabel {

// The timers of the two removal dialogs.
inline constexpr int kTimer5 = 5;  // Study Deletion: the auto pass
inline constexpr int kTimer6 = 6;  // Select Studies: Delete Now

class UnattendedStep {
  public:
    // step runs when the timer timerId of dialog fires.
    UnattendedStep(wxEvtHandler& dialog, int timerId, std::function<void()> step);

    // The step runs once, a second from now (from the dialog's loop).
    void Start();
    void Stop() { timer_.Stop(); }
    bool Running() const { return timer_.IsRunning(); }

  private:
    wxTimer timer_;
};

}  // namespace mirabel
