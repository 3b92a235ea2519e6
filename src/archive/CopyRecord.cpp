#include "archive/CopyRecord.h"

#include <cstdlib>
#include <string_view>

#include "archive/DestinationRoot.h"
#include "archive/StudyFileLoop.h"
#include "catalog/CopyManifest.h"
#include "log/Logs.h"
#include "platform/AtomicFileWrite.h"
#include "platform/Folders.h"

namespace mirabel {

namespace {

void ManifestNotWritten(const StudyRecord& study, const std::string& where,
                        const std::string& why) {
    ErrorLog(StudyFailureText(study, "the manifest " + where +
                                         " could not be written (the catalog keeps the "
                                         "checksums): " +
                                         why));
}

}  // namespace

Sha256* CopiedFiles::Attempt() {
    static const bool hashingOff = [] {
        const char* knob = std::getenv(kCopyHashingOffForBenchmark);
        return knob && std::string_view(knob) == "1";
    }();
    attempt_ = Sha256();
    return hashingOff ? nullptr : &attempt_;
}

void CopiedFiles::Arrived(const std::filesystem::path& source) {
    const std::uint64_t size = attempt_.Bytes();
    files_.push_back({source.filename().string(), size, attempt_.Finish()});
}

bool RecordCopyInCatalog(const ArchiveDestination& destination, const StudyRecord& study,
                         const std::string& archiveValue, const std::vector<CopiedFile>& files) {
    try {
        CatalogDatabase catalog;
        CopyCatalog(catalog).Record({std::string(study.ExamId()), destination.m_strId, archiveValue,
                                     std::string(study.ImagePath()), "", files, "", ""});
        return true;
    } catch (const CatalogFailure& failure) {
        ErrorLog(
            StudyFailureText(study, std::string("the copy cannot be recorded: ") + failure.what()));
        return false;
    }
}

void WriteFolderManifest(const ArchiveDestination& destination, const StudyRecord& study,
                         const std::vector<CopiedFile>& files) {
    const std::string imagePath(study.ImagePath());
    const std::filesystem::path manifest =
        std::filesystem::path(DestinationRootFolder(destination.m_strRootPath)) /
        ManifestPathFor(imagePath);
    SystemResult<> written = CreateFolders(manifest.parent_path());
    if (written) written = WriteFileAtomically(manifest, ManifestText(imagePath, files), 0644);
    if (!written) ManifestNotWritten(study, manifest.string(), written.error().Text());
}

void WriteServerManifest(FtpClient& ftp, const ArchiveDestination& destination,
                         const StudyRecord& study, const std::vector<CopiedFile>& files) {
    const std::string imagePath(study.ImagePath());
    const std::string manifest = destination.m_strRootPath + "/" + ManifestPathFor(imagePath);
    const std::string folder = manifest.substr(0, manifest.find_last_of('/'));
    if (!ftp.CreateDirectories(folder) || !ftp.UploadText(ManifestText(imagePath, files), manifest))
        ManifestNotWritten(study, destination.m_strId + ":" + manifest, ftp.LastError());
}

}  // namespace mirabel
