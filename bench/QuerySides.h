#pragma once
// The sides of the database contests, each a whole process that only reads: a benchmark
// program of ours started again in one of its own modes (the Mirabel operation alone, then
// exit), and the sqlite3 tool running a statement.
#include <filesystem>
#include <string>
#include <vector>

#include "Contest.h"

namespace mirabel {

// The running benchmark program, to start again in another mode.
std::string ThisProgram();

// The program with its arguments, in `folder` (where its logs land), its output to
// folder/output.txt; throws unless it exits with status 0.
Measure ProgramSide(const std::filesystem::path& folder, const std::vector<std::string>& args);

// sqlite3 running the statement on the database, its rows to /dev/null.
Measure SqliteSide(const std::filesystem::path& database, const std::string& statement);

}  // namespace mirabel
