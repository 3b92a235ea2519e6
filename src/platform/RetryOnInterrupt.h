#pragma once
// A system call that a signal interrupts (EINTR) did nothing and may simply be made again. The
// program's own calls go through this one loop instead of each carrying its own.
#include <cerrno>

namespace mirabel {

// Calls `call` until it returns something other than -1 with errno EINTR; its last result.
template <typename Call>
auto RetryOnInterrupt(Call call) {
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR) return result;
    }
}

}  // namespace mirabel
