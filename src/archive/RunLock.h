#pragma once
// One archive run or deletion pass at a time per start directory, whichever process runs it
// (the window, a scheduled headless run, a second window): two runs over the same image
// database would select, copy and record the same studies twice. A run holds the lock file
// "mirabel.lock" in the start directory for the whole of its work, from the study selection
// to its last write-back.
#include <filesystem>
#include <optional>
#include <string>

#include "platform/ExclusiveFileLock.h"

namespace mirabel {

inline constexpr const char* kRunLockFile = "mirabel.lock";
inline constexpr const char* kAnotherRunInProgress = "another run is in progress in this directory";

// Takes the start directory's run lock without waiting. nullopt when it cannot be had; refusal
// then says why: kAnotherRunInProgress, or why the lock file cannot be used.
std::optional<ExclusiveFileLock> TakeRunLock(const std::filesystem::path& startDir,
                                             std::string& refusal);

}  // namespace mirabel
