#pragma once

namespace mirabel {

// Loads the dialog layouts and the program icon compiled into the binary; safe to call more
// than once.
void LoadMirabelResources();

}  // namespace mirabel
