// The program's entry. The headless commands run here, with the core alone: no window library
// is loaded for them, so a scheduler's `mirabel --count` starts as fast as a small tool. Without
// a command the window program beside this one takes over the process.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/HeadlessRun.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kWindowProgram = "mirabel-window";

// Beside this program (the build folder, or bin/ of an installation), else in libexec/mirabel/.
fs::path WindowProgram() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    const fs::path here = error ? fs::path(".") : self.parent_path();
    for (const fs::path& candidate :
         {here / kWindowProgram, here.parent_path() / "libexec" / "mirabel" / kWindowProgram})
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    return here / kWindowProgram;
}

int StartWindow(char** argv) {
    const fs::path program = WindowProgram();
    argv[0] = const_cast<char*>(program.c_str());
    ::execv(program.c_str(), argv);
    std::fprintf(stderr, "mirabel: the window program %s cannot be started: %s\n", program.c_str(),
                 std::strerror(errno));
    return mirabel::kHeadlessCannotStart;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<int> status =
        mirabel::RunHeadlessCommand(std::vector<std::string>(argv + 1, argv + argc));
    return status ? *status : StartWindow(argv);
}
