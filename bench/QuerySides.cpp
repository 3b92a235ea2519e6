#include "QuerySides.h"

#include <fstream>
#include <stdexcept>

#include "BenchSides.h"

namespace mirabel {

namespace fs = std::filesystem;

std::string ThisProgram() {
    return fs::read_symlink("/proc/self/exe").string();
}

Measure ProgramSide(const fs::path& folder, const std::vector<std::string>& args) {
    return ReadingTools([&](ToolUsage& used) {
        return RunTool(args, used, {.folder = folder, .output = folder / "output.txt"});
    });
}

Measure SqliteSide(const fs::path& database, const std::string& statement) {
    return ReadingTools([&](ToolUsage& used) {
        return RunTool({"sqlite3", database.string(), statement}, used, {.output = "/dev/null"});
    });
}

std::size_t SqliteRows(const fs::path& database, const std::string& statements) {
    const fs::path output = database.string() + "-rows.txt";
    ToolUsage used;
    if (!RunTool({"sqlite3", database.string(), statements}, used, {.output = output}))
        throw std::runtime_error("sqlite3 failed on " + statements);
    std::ifstream in(output);
    std::size_t rows = 0;
    for (std::string line; std::getline(in, line);) ++rows;
    fs::remove(output);
    return rows;
}

void RequireSameRows(std::size_t mirabel, std::size_t tool) {
    if (mirabel != tool)
        throw std::runtime_error("the sides read different rows: Mirabel " +
                                 std::to_string(mirabel) + ", sqlite3 " + std::to_string(tool));
}

std::string SelectingColumns(const std::string& statement,
                             const std::vector<std::string>& columns) {
    const std::string select = "SELECT ";
    const std::size_t from = statement.find(" FROM ");
    if (statement.rfind(select, 0) != 0 || from == std::string::npos)
        throw std::invalid_argument("not a SELECT ... FROM: " + statement);
    std::string list;
    for (const std::string& column : columns) list += (list.empty() ? "" : ", ") + column;
    return select + list + statement.substr(from);
}

std::string Limited(const std::string& statement, int rows) {
    return statement + " LIMIT " + std::to_string(rows);
}

}  // namespace mirabel
