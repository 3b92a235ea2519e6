#pragma once
// The program's command line: which command, with which options. The window starts when no
// command is given; every other command runs without a window.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mirabel {

struct CommandLine {
    std::string command;  // "--archive-now", "--verify", ...; empty: the main window
    std::map<std::string, std::string> options;  // "--study" -> "123"; a flag maps to ""
    std::vector<std::string> operands;           // the exam ids of --restore

    bool Has(const std::string& option) const { return options.count(option) != 0; }
};

// The command line read; nullopt with why when a command or option is unknown, an option lacks
// its value or belongs to another command.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments,
                                            std::string& why);

// The usage text of --help.
std::string UsageText();

// Runs a command that needs no window: its exit status; nullopt when the window is wanted.
// Prints why on standard error (and the usage) for a command line that cannot be read.
std::optional<int> RunHeadlessCommand(const std::vector<std::string>& arguments);

}  // namespace mirabel
