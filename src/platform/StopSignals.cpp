#include "platform/StopSignals.h"

#include <array>
#include <csignal>

namespace mirabel {

namespace {

constexpr std::array<int, 3> kStopSignals = {SIGTERM, SIGINT, SIGHUP};

volatile std::sig_atomic_t g_stopSignal = 0;
std::array<struct sigaction, kStopSignals.size()> g_previous{};

extern "C" void NoteStopSignal(int) {
    g_stopSignal = 1;
}

}  // namespace

StopOnSignals::StopOnSignals() {
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on (every file call retries anyway); the handler is reset to
    // the default by its first call, so that a second request ends the process.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    g_stopSignal = 0;
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        sigaction(kStopSignals[i], nullptr, &g_previous[i]);
        // A signal the program was started to ignore (SIGHUP under nohup) stays ignored.
        if (g_previous[i].sa_handler != SIG_IGN) sigaction(kStopSignals[i], &action, nullptr);
    }
}

StopOnSignals::~StopOnSignals() {
    for (std::size_t i = 0; i < kStopSignals.size(); ++i)
        sigaction(kStopSignals[i], &g_previous[i], nullptr);
    // The request was for the run that is over now.
    g_stopSignal = 0;
}

bool StopSignalReceived() {
    return g_stopSignal != 0;
}

}  // namespace mirabel
