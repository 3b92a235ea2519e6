#include "log/SilencedErrorListener.h"

#include <utility>

namespace mirabel {

namespace {
std::function<void(const std::string&)> listener;
}  // namespace

SilencedErrorListener::SilencedErrorListener(std::function<void(const std::string&)> wanted)
    : previous_(std::exchange(listener, std::move(wanted))) {}

SilencedErrorListener::~SilencedErrorListener() {
    listener = std::move(previous_);
}

bool SilencedErrorsAreHeard() {
    return static_cast<bool>(listener);
}

void HandSilencedError(const std::string& message) {
    if (listener) listener(message);
}

}  // namespace mirabel
