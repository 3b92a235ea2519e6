#pragma once
// Whether a lock file is held, found without touching it: a look that takes the lock, even for a
// moment, could make a run that starts just then refuse to start.
#include <filesystem>

namespace mirabel {

// True when some process holds a lock on the file, as the kernel's table of locks says. False
// when the file does not exist, nobody holds it, or the table cannot be read (on systems
// without one).
bool LockFileIsHeld(const std::filesystem::path& lockFile);

}  // namespace mirabel
