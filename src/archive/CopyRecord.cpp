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

// The copy runs at most this far ahead of its hashing: about a study, so that the hashing of
// its last files overlaps the flush of its copy.
constexpr std::size_t kHashBuffers = 16;
constexpr std::size_t kHashBufferBytes = 1 << 20;

bool HashingOff() {
    static const bool off = [] {
        const char* knob = std::getenv(kCopyHashingOffForBenchmark);
        return knob && std::string_view(knob) == "1";
    }();
    return off;
}

// One queue for the process, made at the first folder copy: its thread and buffers serve every
// study of every run, rather than being made again for each study.
HashQueue& ProcessHashQueue() {
    static HashQueue queue(kHashBuffers, kHashBufferBytes);
    return queue;
}

}  // namespace

CopiedFiles::~CopiedFiles() {
    // A study that failed before its files were asked for leaves its digests behind.
    Files();
    if (queued_) queue_->Result(*queued_);
}

Sha256* CopiedFiles::Attempt() {
    if (queued_) queue_->Result(*queued_);
    queued_.reset();
    attempt_ = Sha256();
    return HashingOff() ? nullptr : &attempt_;
}

HashQueue* CopiedFiles::QueuedAttempt() {
    // An attempt that did not arrive is given up.
    if (queued_) queue_->Result(*queued_);
    queued_.reset();
    if (HashingOff()) return nullptr;
    if (!queue_) queue_ = &ProcessHashQueue();
    queued_ = queue_->StartFile();
    return queue_;
}

void CopiedFiles::Arrived(const std::filesystem::path& source) {
    if (queued_) {
        pending_.emplace_back(files_.size(), *queued_);
        queued_.reset();
        files_.push_back({source.filename().string(), 0, ""});
        return;
    }
    const std::uint64_t size = attempt_.Bytes();
    files_.push_back({source.filename().string(), size, attempt_.Finish()});
}

const std::vector<CopiedFile>& CopiedFiles::Files() {
    for (const auto& [index, queued] : pending_) {
        const HashQueue::Digest digest = queue_->Result(queued);
        files_[index].size = digest.bytes;
        files_[index].sha256 = digest.sha256;
    }
    pending_.clear();
    return files_;
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
