#include "archive/RunState.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace mirabel {

ProgressWindow* g_pProgressDlg = nullptr;
int g_nStopFlag = 0;

namespace {
constexpr int kEventsPerPump = 10;
// Short enough that Cancel answers at once, long enough not to spin.
constexpr std::chrono::milliseconds kWaitSlice{20};
}  // namespace

void RequestStop() {
    g_nStopFlag = 1;
}

bool StopRequested() {
    return g_nStopFlag != 0;
}

void ResetRunState() {
    g_pProgressDlg = nullptr;
    g_nStopFlag = 0;
}

void PeekAndPump() {
    // A quit request is kept by the operator and ends the main loop once the run is over; the
    // run itself goes on until then, as its Cancel button is the way to stop it.
    (void)TheOperator().PumpEvents(kEventsPerPump);
}

void WaitPumping(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    PeekAndPump();
    while (!StopRequested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kWaitSlice, end - now));
        PeekAndPump();
    }
}

ProgressScope::ProgressScope(bool deleting) {
    if (g_pProgressDlg) throw std::logic_error("an operation is already in progress");
    window_ = TheOperator().OpenProgressWindow(deleting);
    g_nStopFlag = 0;
    g_pProgressDlg = window_.get();
    try {
        PeekAndPump();
        PeekAndPump();
    } catch (...) {
        // The destructor does not run for a half-built scope.
        g_pProgressDlg = nullptr;
        throw;
    }
}

ProgressScope::~ProgressScope() {
    window_.reset();
    g_pProgressDlg = nullptr;
}

}  // namespace mirabel
