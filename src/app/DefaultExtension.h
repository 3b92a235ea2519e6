#pragma once
// The default extension of a file-open dialog, as the system's own dialog applies it.
#include <string>

namespace mirabel {

// The chosen path with extension (".mdb") appended when its file name has no extension of its
// own, unless a file of exactly the chosen name exists (that file is what was chosen).
std::string WithDefaultExtension(const std::string& chosen, const std::string& extension);

}  // namespace mirabel
