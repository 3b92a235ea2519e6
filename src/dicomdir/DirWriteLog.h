#pragma once
// "DirWrite.log" in the current directory: the DICOMDIR writer's trace lines and the
// toolkit's own warnings and errors, never the console.
#include <string>

namespace mirabel {

inline constexpr const char* kDicomDirLogFile = "DirWrite.log";

void DirWriteTrace(const std::string& line);
void DirWriteInfo(const std::string& line);
void DirWriteWarning(const std::string& line);
void DirWriteError(const std::string& line);

// The line for a step and its result code, e.g. "open DICOMDIR RC= 0x0000 (0)".
std::string ResultLine(const std::string& step, int code);

}  // namespace mirabel
