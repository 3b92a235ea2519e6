#pragma once

namespace mirabel {

// The program's entry: with --archive-now or --count it works without a window, otherwise it
// starts the main window. Returns the process exit status.
int RunMirabel(int argc, char** argv);

}  // namespace mirabel
