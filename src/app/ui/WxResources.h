#pragma once

namespace mirabel {

// Loads the dialog layouts compiled into the binary; safe to call more than once.
void LoadMirabelResources();

}  // namespace mirabel
