#pragma once
// Reads a log for the viewer: the whole file in 1024-byte reads, each read's bytes up to its
// first NUL; a file that cannot be opened reads as empty.
#include <string>

namespace mirabel {

std::string ReadLogText(const std::string& fileName);

}  // namespace mirabel
