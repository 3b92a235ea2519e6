#include "QuerySides.h"

#include "BenchSides.h"

namespace mirabel {

namespace fs = std::filesystem;

std::string ThisProgram() {
    return fs::read_symlink("/proc/self/exe").string();
}

Measure ProgramSide(const fs::path& folder, const std::vector<std::string>& args) {
    return ReadingTools([&](ToolUsage& used) {
        return RunTool(args, used, {folder, folder / "output.txt", {}});
    });
}

Measure SqliteSide(const fs::path& database, const std::string& statement) {
    return ReadingTools([&](ToolUsage& used) {
        return RunTool({"sqlite3", database.string(), statement}, used, {{}, "/dev/null", {}});
    });
}

}  // namespace mirabel
