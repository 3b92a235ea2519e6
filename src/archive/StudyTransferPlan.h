#pragma once
// What one study transfer moves: the local study folder, the study folder on the destination,
// the files (the manifest "exam.ver" last) and the study's byte count, taken from a single
// listing of the local folder.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/StudyFiles.h"
#include "config/ArchiveDestination.h"

namespace mirabel {

inline constexpr const char* kManifestFileName = "exam.ver";

// One file to transfer: the local file and where it goes on the destination.
struct TransferItem {
    std::filesystem::path source;
    std::string destination;
};

struct StudyTransferPlan {
    std::filesystem::path localDir;   // image root + image path
    std::string destinationDir;       // ends in the destination's separator
    std::vector<TransferItem> files;  // the listed files, then exam.ver
    std::uint64_t studyBytes = 0;     // the listed files, exam.ver not counted
    std::string manifest;             // the bytes of exam.ver
};

// True for the kinds whose copies travel over FTP: FTP servers and image servers. The other
// kinds (folders, media, and an unknown type) are file-system destinations.
bool IsReachedByFtp(DestinationKind kind);

// The separator of the copy on this destination: "/" on FTP and image servers, the native
// one on file-system destinations.
char DestinationSeparator(const ArchiveDestination& destination);

// The study folder on the destination, ending in its separator:
//   FTP, folder, medium: root + "images" + image path;  image server: "images" + root + image path.
// Either separator in root or image path becomes the destination's one; no separator is
// doubled. The image path must already have been checked (LocalStudyDirectory).
std::string DestinationStudyDirectory(const ArchiveDestination& destination,
                                      std::string_view imagePath);

// The value the study's archive column receives: destination id + ":" + (removable media:
// medium label + ":") + the study folder on the destination.
std::string ArchiveLocationValue(const ArchiveDestination& destination,
                                 const std::string& destinationDir);

// "exam.ver": the exam id, the number of files, then each file's destination path and size,
// every line ended by CR LF.
std::string FormatManifest(const std::string& examId, const std::string& destinationDir,
                           const std::vector<StudyFile>& files);

// Lists the local folder and fills the plan (exam.ver included, not yet written). nullopt
// when the folder does not exist or cannot be listed.
[[nodiscard]] std::optional<StudyTransferPlan> PlanStudyTransfer(
    const std::filesystem::path& localDir, const std::string& destinationDir,
    const std::string& examId);

// Writes plan.manifest into the local folder as "exam.ver", replacing an older one. False when
// the file cannot be created, or when a link, FIFO or device is in its place. Throws
// std::runtime_error, with the file and the system's reason, when the file was created but
// could not be written (a full disk, say).
[[nodiscard]] bool WriteManifest(const StudyTransferPlan& plan);

}  // namespace mirabel
