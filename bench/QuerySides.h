#pragma once
// The sides of the database contests, each a whole process that only reads: a benchmark
// program of ours started again in one of its own modes (the Mirabel operation alone, then
// exit), and the sqlite3 tool running a statement.
#include <cstddef>
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

// The number of rows sqlite3 prints for the statements (one line a row), untimed: a contest
// proves with it, before its rounds, that both sides read the same rows.
std::size_t SqliteRows(const std::filesystem::path& database, const std::string& statements);
// Throws unless the two sides' row counts agree.
void RequireSameRows(std::size_t mirabel, std::size_t tool);

// The statement selecting only `columns`: the tool then formats and writes the values Mirabel
// reads, no more (a statement selecting whole rows of which Mirabel reads six columns would
// make the tool's side print several times the text and lose on work Mirabel does not do).
std::string SelectingColumns(const std::string& statement, const std::vector<std::string>& columns);
// The statement reading at most `rows` rows, as Mirabel stops at its cap.
std::string Limited(const std::string& statement, int rows);

}  // namespace mirabel
