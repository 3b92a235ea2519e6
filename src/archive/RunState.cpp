#include "archive/RunState.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace mirabel {

namespace {
constexpr int kEventsPerPump = 10;
// Short enough that Cancel answers at once, long enough not to spin.
constexpr std::chrono::milliseconds kWaitSlice{20};
}  // namespace

void ShowFileProgress(const RunControl& control, int current, int total) {
    if (ProgressWindow* window = control.Progress()) window->SetFileProgress(current, total);
}

void ShowStudyProgress(const RunControl& control, int current, int total) {
    if (ProgressWindow* window = control.Progress()) window->SetStudyProgress(current, total);
}

void PeekAndPump() {
    // A quit request is kept by the operator and ends the main loop once the run is over; the
    // run itself goes on until then, as its Cancel button is the way to stop it.
    (void)TheOperator().PumpEvents(kEventsPerPump);
}

void ShowWaitText(const RunControl& control, const std::string& text) {
    if (ProgressWindow* window = control.Progress()) window->SetWaitText(text);
}

void WaitPumping(const RunControl& control, std::chrono::milliseconds duration,
                 const std::function<void(long long secondsLeft)>& everySecond) {
    const auto end = std::chrono::steady_clock::now() + duration;
    long long shown = -1;
    PeekAndPump();
    while (!control.StopRequested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return;
        // Rounded up: a wait of 4.2 s shows 0:05, and 0:00 is never shown while waiting.
        const long long left = std::chrono::ceil<std::chrono::seconds>(end - now).count();
        if (everySecond && left != shown) everySecond(shown = left);
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kWaitSlice, end - now));
        PeekAndPump();
    }
}

ProgressScope::ProgressScope(RunControl& control, bool deleting) : control_(control) {
    if (control_.Progress()) throw std::logic_error("an operation is already in progress");
    window_ = TheOperator().OpenProgressWindow(deleting, [&control] { control.RequestStop(); });
    control_.StopFlag() = 0;
    control_.ProgressSlot() = window_.get();
    try {
        PeekAndPump();
        PeekAndPump();
    } catch (...) {
        // The destructor does not run for a half-built scope.
        control_.ProgressSlot() = nullptr;
        throw;
    }
}

ProgressScope::~ProgressScope() {
    window_.reset();
    control_.ProgressSlot() = nullptr;
}

}  // namespace mirabel
