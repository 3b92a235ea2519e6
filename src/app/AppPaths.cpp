#include "app/AppPaths.h"

#include <filesystem>

namespace mirabel {

std::string g_strAppDir;
std::string g_strArchivesFile;

void InitAppPaths() {
    std::error_code error;
    std::string dir = std::filesystem::current_path(error).string();
    const char separator = std::filesystem::path::preferred_separator;
    if (dir.empty() || dir.back() != separator) dir += separator;
    g_strAppDir = dir;
    g_strArchivesFile = g_strAppDir + "archives.p";
    g_strScriptFile = g_strAppDir + "pcode.txt";
}

}  // namespace mirabel
