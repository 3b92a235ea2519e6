#pragma once
// The error-log entries a LogSilence keeps out of the log, for one who wants to know them: a dry
// run tells why a study would fail in the words the run would log.
#include <functional>
#include <string>

namespace mirabel {

// While one lives (inside a LogSilence), each error-log entry that was silenced goes to the
// listener instead. Process-wide; the previous listener comes back afterwards.
class SilencedErrorListener {
  public:
    explicit SilencedErrorListener(std::function<void(const std::string&)> listener);
    ~SilencedErrorListener();
    SilencedErrorListener(const SilencedErrorListener&) = delete;
    SilencedErrorListener& operator=(const SilencedErrorListener&) = delete;

  private:
    std::function<void(const std::string&)> previous_;
};

// Whether a listener takes the silenced entries.
bool SilencedErrorsAreHeard();

// Hands a silenced error-log entry to the listener, when there is one.
void HandSilencedError(const std::string& message);

}  // namespace mirabel
