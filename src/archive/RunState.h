#pragma once
// The state a long operation (an archive run or a deletion pass) shares with the window that
// started it, and the bounded message pump that keeps the windows alive between files.
//
// The operation runs on the main thread, and only that thread pumps, shows progress and tests
// the stop flag; the helper threads of a deletion pass remove files and never touch this state.
// While an operation is in progress its RunControl points at its progress window; the main
// window's handlers and the scheduler test it and ignore their events meanwhile (the only guard
// against re-entry through the pump). The operator stops an operation with Cancel, which sets
// the stop flag; the operation tests it after each file and each study.
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "core/Operator.h"
#include "platform/StopSignals.h"

namespace mirabel {

class RunControl {
  public:
    // The progress window of the operation in progress; null while idle.
    ProgressWindow* Progress() const { return progress_; }

    // The progress window's Cancel: sets the stop flag.
    void RequestStop() { stopFlag_ = 1; }
    // True once Cancel was pressed, or a headless command was asked to end (StopOnSignals).
    // Cancel's flag is cleared only when the next progress window opens, so an operation that
    // ended on Cancel still reads it afterwards.
    bool StopRequested() const { return stopFlag_ != 0 || StopSignalReceived(); }
    // Why an operation that stopped on StopRequested() did, for its summary.
    const char* WhyStopped() const {
        return stopFlag_ != 0 ? "Cancel was pressed" : "the program was asked to end";
    }

    // Nobody waits at this operation (a scheduled run): a message that only tells of one
    // study's failure is not shown, since it would hold the run, and every later one, until
    // someone came. The error log and the run's summary say it instead.
    bool Unattended() const { return unattended_; }
    void SetUnattended(bool unattended) { unattended_ = unattended; }

    // Idle, with a clear stop flag.
    void Reset() {
        progress_ = nullptr;
        stopFlag_ = 0;
        unattended_ = false;
    }

    // The two values themselves, for those who name them (the window's own names for them).
    ProgressWindow*& ProgressSlot() { return progress_; }
    int& StopFlag() { return stopFlag_; }

  private:
    ProgressWindow* progress_ = nullptr;
    int stopFlag_ = 0;  // 1 once Cancel was pressed
    bool unattended_ = false;
};

// Shows file or study progress on the operation's progress window, when one is open.
void ShowFileProgress(const RunControl& control, int current, int total);
void ShowStudyProgress(const RunControl& control, int current, int total);

// Dispatches at most 10 waiting events through the installed operator. When the program is
// asked to quit meanwhile, the operator keeps the request, so the main loop ends the program
// once the operation has returned.
void PeekAndPump();

// Waits for the given time while pumping events, so that the windows stay alive and Cancel
// works during a pause; returns early once the stop flag is set. everySecond, when given, is
// called at the start and whenever the whole seconds left change, with the seconds left.
void WaitPumping(const RunControl& control, std::chrono::milliseconds duration,
                 const std::function<void(long long secondsLeft)>& everySecond = {});

// Shows a waiting line on the operation's progress window, when one is open.
void ShowWaitText(const RunControl& control, const std::string& text);

// Marks an operation as in progress for its lifetime: opens the progress window through the
// operator, with a Cancel that stops this control's operation, clears the stop flag, publishes
// the window in the control and pumps twice so that it paints. The destructor closes the window
// and clears the control's window on every exit path (return or exception). Throws
// std::logic_error when the control's operation is already in progress: there is only ever one
// progress window.
class ProgressScope {
  public:
    explicit ProgressScope(RunControl& control, bool deleting = false);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    ProgressWindow& Window() const { return *window_; }

  private:
    RunControl& control_;
    std::unique_ptr<ProgressWindow> window_;
};

}  // namespace mirabel
