#pragma once
// What follows the end of every archive run, removal pass and restore of this process: the
// metrics file, and word to whoever shows the results (the Status window, while it is open).
#include <functional>

#include "app/ArchiverCore.h"

namespace mirabel {

// listener runs after every run that ends from now on; an empty one stops that.
void OnRunEnded(std::function<void()> listener);

// Writes the metrics file, then tells the listener. The run's lock is still held: the listener
// must not start work of its own on the image database before the run has unwound.
void RunEnded(ArchiverCore& core);

}  // namespace mirabel
