#include "archive/TableScript.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "db/DialectTranslation.h"

namespace mirabel {

std::string g_strScriptFile = "pcode.txt";
std::string g_strTableScript;

namespace {

// The study folder on an image server begins with "/images/"; the server wants the rest.
constexpr std::size_t kImagesPrefixLength = 8;

std::string ReadScriptFile(const std::filesystem::path& file) {
    // Anything but a regular file (a FIFO, a device) could block the run forever.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return "";
    std::ifstream in(file, std::ios::binary);
    std::string text, line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text += line + "\r\n";
    }
    return text;
}

// Escaped here, where the script is written, and not only where rows are read: a value can
// also come from elsewhere, such as the patient id in the server's reply.
void AppendPair(std::string& script, const std::string& name, const std::string& value) {
    script += "AddArrayValue(FieldNames,{\"" + EscapeLineBreaks(name) + "\"})\r\n";
    script += "AddArrayValue(FieldValues,{\"" + EscapeLineBreaks(value) + "\"})\r\n";
}

}  // namespace

std::string EscapeLineBreaks(const std::string& text) {
    std::string escaped = text;
    ReplaceAll(escaped, "\r", "\\cr");
    ReplaceAll(escaped, "\n", "\\lf");
    return escaped;
}

void ResetTableScript() {
    g_strTableScript.clear();
}

const std::string& CachedTableScript() {
    if (g_strTableScript.empty()) g_strTableScript = ReadScriptFile(g_strScriptFile);
    return g_strTableScript;
}

std::string FormatTableScript(const std::string& table, const std::vector<std::string>& names,
                              const std::vector<std::string>& values,
                              const std::string& studyDirectory) {
    std::string script = "String(Table)\r\nMakeString(Table,{\"" + table +
                         "\"})\r\nInteger(NFields)\r\nSetValue(NFields," +
                         std::to_string(names.size()) +
                         ")\r\nStringArray(FieldNames)\r\nStringArray(FieldValues)\r\nAll\r\n\r\n";
    for (std::size_t i = 0; i < names.size(); ++i)
        AppendPair(script, names[i], i < values.size() ? values[i] : std::string());
    if (table == "EXAM")
        AppendPair(script, "IMAGE_PATH",
                   studyDirectory.substr(std::min(kImagesPrefixLength, studyDirectory.size())));
    return script + "All\r\n\r\n";
}

}  // namespace mirabel
