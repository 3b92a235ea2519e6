#pragma once
// The process-wide state of a long operation (an archive run or a deletion pass) and the
// bounded message pump that keeps the windows alive between files.
//
// The operation runs on the main thread, and only that thread pumps, shows progress and tests
// the stop flag; the helper threads of a deletion pass remove files and never touch this state.
// While an operation is in progress g_pProgressDlg points at its progress window; the main
// window's handlers and the scheduler test it and ignore their events meanwhile (the only guard
// against re-entry through the pump). The operator stops an operation with Cancel, which sets
// the stop flag; the operation tests it after each file and each study.
#include <chrono>
#include <memory>

#include "core/Operator.h"

namespace mirabel {

// The progress window of the operation in progress; null while idle.
extern ProgressWindow* g_pProgressDlg;

// 1 once Cancel was pressed. Cleared only when the next progress window opens, so an
// operation that ended on Cancel still reads 1 afterwards.
extern int g_nStopFlag;

// Called by the progress window's Cancel: sets the stop flag.
void RequestStop();

// True when the stop flag is set.
bool StopRequested();

// Idle state with a clear stop flag (tests; start-up).
void ResetRunState();

// Dispatches at most 10 waiting events through the installed operator. When the program is
// asked to quit meanwhile, the operator keeps the request, so the main loop ends the program
// once the operation has returned.
void PeekAndPump();

// Waits for the given time while pumping events, so that the windows stay alive and Cancel
// works during a pause; returns early once the stop flag is set.
void WaitPumping(std::chrono::milliseconds duration);

// Marks an operation as in progress for its lifetime: opens the progress window through the
// operator, clears the stop flag, publishes the window in g_pProgressDlg and pumps twice so
// that it paints. The destructor closes the window and clears g_pProgressDlg on every exit
// path (return or exception). Throws std::logic_error when an operation is already in
// progress: there is only ever one progress window.
class ProgressScope {
  public:
    explicit ProgressScope(bool deleting = false);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    ProgressWindow& Window() const { return *window_; }

  private:
    std::unique_ptr<ProgressWindow> window_;
};

}  // namespace mirabel
