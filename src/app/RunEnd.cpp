#include "app/RunEnd.h"

#include "app/MetricsAfterRun.h"

namespace mirabel {

namespace {

std::function<void()>& Listener() {
    static std::function<void()> listener;
    return listener;
}

}  // namespace

void OnRunEnded(std::function<void()> listener) {
    Listener() = std::move(listener);
}

void RunEnded(ArchiverCore& core) {
    WriteMetricsAfterRun(core);
    if (Listener()) Listener()();
}

}  // namespace mirabel
