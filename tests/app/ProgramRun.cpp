#include "ProgramRun.h"

#include <sys/wait.h>

#include <cstdio>

namespace mirabel {

ProgramOutcome RunProgram(const std::string& arguments) {
    ProgramOutcome outcome;
    const std::string command = std::string(MIRABEL_BINARY) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    std::size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outcome.output.append(buffer, read);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

}  // namespace mirabel
