#include "archive/LocalStudyCopy.h"

#include <memory>
#include <sstream>

#include "archive/CopyVerification.h"
#include "archive/DestinationRoot.h"
#include "archive/StudyFileLoop.h"
#include "archive/StudyPaths.h"
#include "core/Operator.h"
#include "core/Text.h"
#include "dicomdir/MediaFileId.h"
#include "dicomdir/MediumDicomDir.h"
#include "log/Logs.h"
#include "platform/FileCopy.h"
#include "platform/Folders.h"
#include "platform/FreeSpace.h"
#include "platform/RegularFile.h"
#include "platform/StorageFlush.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

bool FitsOnDestination(const ArchiveDestination& destination, const StudyTransferPlan& plan,
                       MediaBudget& budget) {
    if (!budget.Charge(plan.destinationDir, plan.studyBytes)) return false;
    // A root that cannot be queried is gone or unreachable: the folder creation reports it.
    const std::optional<std::uint64_t> freeBytes =
        FreeBytesAvailable(DestinationRootFolder(destination.m_strRootPath));
    return !freeBytes || *freeBytes >= plan.studyBytes + kFreeSpaceReserve;
}

std::vector<std::string> ImagePathLevels(const std::string& imagePath) {
    std::string path = imagePath;
    ReplaceChar(path, '\\', '/');
    std::vector<std::string> levels{"images"};
    std::istringstream parts(path);
    for (std::string part; std::getline(parts, part, '/');)
        if (!part.empty()) levels.push_back(part);
    return levels;
}

// Lists every DICOM file copied onto the medium in its DICOMDIR, which is written once the
// study's files are copied (or, listing what was copied, once the copy stopped).
class DicomDirEntries {
  public:
    DicomDirEntries(const ArchiveDestination& destination, StudyRecord& study,
                    MediumDicomDir& dicomDir)
        : study_(study),
          dicomDir_(dicomDir),
          // A DICOMDIR that cannot be read is left as it is (DirWrite.log says why); the study
          // is copied all the same.
          opened_(dicomDir_.Open(DestinationRootFolder(destination.m_strRootPath),
                                 destination.m_strCurrentLabel)) {}
    ~DicomDirEntries() {
        // The study has failed already; the files it did copy are listed all the same.
        if (!written_) (void)Write();
    }
    DicomDirEntries(const DicomDirEntries&) = delete;
    DicomDirEntries& operator=(const DicomDirEntries&) = delete;

    void Add(const TransferItem& item) {
        if (!IsDicomFile(item.destination)) return;
        const std::string fileId =
            MediaFileId(std::string(study_.ImagePath()), item.source.filename().string());
        if (!IsConformantFileId(fileId)) nonConformant_ = true;
        dicomDir_.AddFile(item.destination, fileId);
    }

    // Writes the DICOMDIR. False when it was read but cannot be written: the medium would hold
    // a study its DICOMDIR does not list, so the study is not archived (DirWrite.log says why).
    // A DICOMDIR that could not be read is left as it is and fails nothing.
    bool Write() {
        written_ = true;
        const int result = dicomDir_.Write();
        WriteNamingNotice();
        return opened_ != 0 || result == 0;
    }

  private:
    // Names that break the rules are said once a study, not at every attempt, and only for a
    // DICOMDIR that was opened: one that could not be, lists nothing.
    void WriteNamingNotice() {
        if (!nonConformant_ || opened_ != 0 || study_.m_bNamingNoticeWritten) return;
        ActivityLog(Concat({"DICOMDIR: file names of study for ", study_.Name(), " on ",
                            study_.ExamDate(), " do not follow the DICOM media naming rules"}));
        study_.m_bNamingNoticeWritten = 1;
    }

    StudyRecord& study_;
    MediumDicomDir& dicomDir_;
    int opened_;
    bool nonConformant_ = false;
    bool written_ = false;
};

}  // namespace

bool CreateLocalStudyDirectory(const ArchiveDestination& destination,
                               const std::string& imagePath) {
    fs::path level(DestinationRootFolder(destination.m_strRootPath));
    for (const std::string& name : ImagePathLevels(imagePath)) {
        level /= name;
        // A level that is a link would take the copy out of the archive.
        const EntryKind kind = KindOfEntry(level);
        if (kind == EntryKind::Link) return false;
        if (kind == EntryKind::Folder) continue;
        if (!CreateFolder(level) || KindOfEntry(level) != EntryKind::Folder) return false;
    }
    return true;
}

TransferOutcome CopyStudyToFolder(const RunControl& control, const ArchiveDestination& destination,
                                  StudyRecord& study, const StudyTransferPlan& plan,
                                  MediaBudget& budget, MediumDicomDir& dicomDir,
                                  CopiedFiles& copied) {
    if (!FitsOnDestination(destination, plan, budget))
        return TransferOutcome::DestinationFullOrRefused;
    if (!CreateLocalStudyDirectory(destination, std::string(study.ImagePath()))) {
        ErrorLog(StudyFailureText(study, "study folder " + plan.destinationDir +
                                             " cannot be created, or is reached through a link"));
        if (!control.Unattended()) TheOperator().MessageBox("unable to create directory");
        return TransferOutcome::Failed;
    }
    RemoveUnfinishedCopies(plan.destinationDir);
    std::unique_ptr<DicomDirEntries> dicomDirEntries;
    if (destination.m_strDicomDir == kSaveDicomDir)
        dicomDirEntries = std::make_unique<DicomDirEntries>(destination, study, dicomDir);

    FileLoopOptions options;
    options.send = [&copied](const TransferItem& item, std::string& error) {
        if (!CopyFileReplacing(item.source, item.destination, error, copied.QueuedAttempt()))
            return false;
        copied.Arrived(item.source);
        return true;
    };
    if (dicomDirEntries)
        options.afterSend = [&](const TransferItem& item) { dicomDirEntries->Add(item); };
    options.traceAttempts = true;
    options.attributeFailures =
        control.Unattended() ? AttributeFailures::Log : AttributeFailures::Tell;
    if (TransferStudyFiles(control, plan, study, options) != FileLoopResult::Completed)
        return TransferOutcome::Failed;
    // The DICOMDIR is written before the copy is verified.
    if (dicomDirEntries && !dicomDirEntries->Write()) {
        ErrorLog(StudyFailureText(study, "DICOMDIR could not be written to the medium"));
        return TransferOutcome::Failed;
    }

    // Verified and recorded is only what really lies on the destination.
    if (!FlushFolderToStorage(plan.destinationDir,
                              DestinationRootFolder(destination.m_strRootPath))) {
        ErrorLog(StudyFailureText(study, "copy could not be written to the destination"));
        return TransferOutcome::Failed;
    }
    if (!CompareDirectories(plan.localDir.string(), plan.destinationDir))
        return TransferOutcome::Failed;
    WriteFolderManifest(destination, study, copied.Files());
    return TransferOutcome::Archived;
}

}  // namespace mirabel
