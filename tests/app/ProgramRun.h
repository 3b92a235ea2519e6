#pragma once
// Runs the built program with arguments in the current directory, as a scheduler or a script
// would, and collects what it printed (standard error joined to standard output) and its exit
// status.
#include <cstdio>
#include <string>

namespace mirabel {

struct ProgramOutcome {
    int status = -1;
    std::string output;
};

// The program started; Finish waits for it (the destructor too, when Finish was not called).
class Program {
  public:
    // wrapper, when given, starts the program (strace with its options, say).
    explicit Program(const std::string& arguments, const std::string& wrapper = "");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ProgramOutcome Finish();

  private:
    FILE* pipe_;
};

// Starts the program (through the wrapper, when given) and waits for it.
ProgramOutcome RunProgram(const std::string& arguments, const std::string& wrapper = "");

}  // namespace mirabel
