#pragma once
// A request from outside to end the program (systemd stopping its unit at shutdown, Ctrl-C at a
// console, the terminal closing) stops a headless run the way Cancel stops one in the window:
// after the file or study in hand, with its row, its log lines and its run record written. Killed
// by the signal's default instead, the run would leave every study safe, but no line would say
// that it stopped, and its run would be missing from the history.
namespace mirabel {

// While one lives, SIGTERM, SIGINT and SIGHUP are caught and remembered; a second one ends the
// process at once, as without it (the first request is already being honoured, so a second means
// "now"). The previous handling comes back when it goes.
class StopOnSignals {
  public:
    StopOnSignals();
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;
};

// True once one of those signals arrived while the StopOnSignals that lives now did.
bool StopSignalReceived();

}  // namespace mirabel
