#include "ProgramRun.h"

#include <sys/wait.h>

#include <utility>

namespace mirabel {

// A program that hangs ends after two minutes with status 124: its test fails instead of the
// whole run waiting.
Program::Program(const std::string& arguments, const std::string& wrapper)
    : pipe_(popen(
          ("timeout 120 " + wrapper + " " + std::string(MIRABEL_BINARY) + " " + arguments + " 2>&1")
              .c_str(),
          "r")) {}

Program::~Program() {
    if (pipe_) Finish();
}

ProgramOutcome Program::Finish() {
    ProgramOutcome outcome;
    if (!pipe_) return outcome;
    char buffer[4096];
    std::size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe_)) > 0)
        outcome.output.append(buffer, read);
    const int status = pclose(std::exchange(pipe_, nullptr));
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

ProgramOutcome RunProgram(const std::string& arguments, const std::string& wrapper) {
    return Program(arguments, wrapper).Finish();
}

}  // namespace mirabel
