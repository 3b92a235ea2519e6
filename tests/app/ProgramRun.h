#pragma once
// Runs the built program with arguments, as a scheduler or a script would, and collects what
// it printed (standard output and error together) and its exit status.
#include <string>

namespace mirabel {

struct ProgramOutcome {
    int status = -1;
    std::string output;
};

ProgramOutcome RunProgram(const std::string& arguments);

}  // namespace mirabel
