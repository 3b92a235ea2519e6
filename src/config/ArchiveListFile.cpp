#include "config/ArchiveListFile.h"

#include <filesystem>
#include <fstream>

#include "config/ArchiveDestination.h"
#include "core/Text.h"
#include "platform/AtomicFileWrite.h"

namespace mirabel {

namespace {

constexpr const char* kEndLine = "END";

// One line without its line end (LF or CR LF); false at the end of the file.
bool ReadLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    line.resize(FirstLine(line).size());  // drops the CR of a CR LF line end
    return true;
}

// A record cut short by the end of the file is not entered: its missing values would be
// written back as empty lines at the next save, turning a damaged record into a complete
// looking one (an FTP server without its password, a medium without its size) that a run
// would then try to use.
bool ReadValueLines(std::istream& in, ArchiveDestination& record) {
    for (const DestinationValue& value : RulesOf(record.Kind()).values)
        if (!ReadLine(in, record.*value.field)) return false;
    return true;
}

// A value cannot hold a line feed in this format: one would shift every later line into the
// wrong field, so it is left out.
void AppendLine(std::string& text, const std::string& value) {
    for (char c : value)
        if (c != '\n') text += c;
    text += '\n';
}

}  // namespace

bool ReadArchiveList(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string type;
    while (ReadLine(in, type) && type != kEndLine) {
        auto record = std::make_unique<ArchiveDestination>();
        record->SetTypeLine(type);
        if (!ReadValueLines(in, *record)) break;
        record->BuildId();
        g_Archives.push_back(std::move(record));
    }
    return true;
}

bool WriteArchiveList(const std::string& path) {
    std::string text;
    for (const auto& record : g_Archives) {
        AppendLine(text, record->TypeLine());
        for (const DestinationValue& value : RulesOf(record->Kind()).values)
            AppendLine(text, (*record).*value.field);
    }
    AppendLine(text, kEndLine);
    // Replaced whole, so that a failed write leaves the previous list; new files are the
    // owner's alone, as they hold the FTP passwords.
    return WriteFileAtomically(path, text).ok();
}

}  // namespace mirabel
