#include "archive/StudyTransferPlan.h"

#include <optional>
#include <stdexcept>

#include "archive/StudyFiles.h"
#include "archive/StudyPaths.h"
#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/RegularFile.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// Appends part to path with one separator between them, whatever separators either side has.
void AppendPart(std::string& path, std::string part, char separator) {
    while (!part.empty() && part.front() == separator) part.erase(0, 1);
    while (!part.empty() && part.back() == separator) part.pop_back();
    if (part.empty()) return;
    if (path.empty() || path.back() != separator) path += separator;
    path += part;
}

std::string WithSeparator(std::string text, char separator) {
    ReplaceChar(text, separator == '/' ? '\\' : '/', separator);
    return text;
}

}  // namespace

bool IsReachedByFtp(DestinationKind kind) {
    return kind == DestinationKind::Ftp || kind == DestinationKind::Server;
}

char DestinationSeparator(const ArchiveDestination& destination) {
    if (IsReachedByFtp(destination.Kind())) return '/';
    return static_cast<char>(fs::path::preferred_separator);
}

std::string DestinationStudyDirectory(const ArchiveDestination& destination,
                                      std::string_view imagePath) {
    const char separator = DestinationSeparator(destination);
    const std::string root = WithSeparator(destination.m_strRootPath, separator);
    std::string dir;
    if (destination.Kind() == DestinationKind::Server) {
        dir = std::string(1, separator) + "images";
        AppendPart(dir, root, separator);
    } else {
        // The root keeps its leading separators ("/data", "//server/share").
        dir = root;
        AppendPart(dir, "images", separator);
    }
    AppendPart(dir, WithSeparator(std::string(imagePath), separator), separator);
    dir += separator;
    return dir;
}

std::string ArchiveLocationValue(const ArchiveDestination& destination,
                                 const std::string& destinationDir) {
    std::string value = destination.m_strId + ":";
    if (destination.Kind() == DestinationKind::Removable)
        value += destination.m_strCurrentLabel + ":";
    return value + destinationDir;
}

std::string FormatManifest(const std::string& examId, const std::string& destinationDir,
                           const std::vector<StudyFile>& files) {
    std::string text = examId + "\r\n" + std::to_string(files.size()) + "\r\n";
    for (const StudyFile& file : files)
        text += destinationDir + file.name + "\r\n" + std::to_string(file.size) + "\r\n";
    return text;
}

std::optional<StudyTransferPlan> PlanStudyTransfer(const fs::path& localDir,
                                                   const std::string& destinationDir,
                                                   const std::string& examId) {
    const std::optional<std::vector<StudyFile>> listed = ListStudyFiles(localDir);
    if (!listed) return std::nullopt;
    StudyTransferPlan plan;
    plan.localDir = localDir;
    plan.destinationDir = destinationDir;
    for (const StudyFile& file : *listed)
        plan.files.push_back({file.path, destinationDir + file.name});
    plan.files.push_back({localDir / kManifestFileName, destinationDir + kManifestFileName});
    plan.studyBytes = TotalSize(*listed);
    plan.manifest = FormatManifest(examId, destinationDir, *listed);
    return plan;
}

bool WriteManifest(const StudyTransferPlan& plan) {
    // A link in the manifest's place would have the manifest written wherever it points, and a
    // FIFO would hold the run until someone read it: both are refused.
    const fs::path path = plan.localDir / kManifestFileName;
    SystemResult<FileDescriptor> file = CreateRegularFile(path);
    if (!file) return false;
    // Once it is open, a failure to write it is a file error like any other, not a blocked
    // manifest: its reason is what the operator needs.
    SystemResult<> written = WriteAll(file->Get(), plan.manifest);
    if (written) written = file->Close();
    if (!written)
        throw std::runtime_error("Error writing " + path.string() + ": " + written.error().Text());
    return true;
}

}  // namespace mirabel
