#pragma once
// The DICOMDIR of a removable medium: every DICOM file copied to the medium is listed under
// PATIENT, STUDY, SERIES and IMAGE records so that DICOM viewers can browse the medium.
// The toolkit's own messages and the writer's trace lines go to "DirWrite.log" in the current
// directory. An archive run keeps the medium's DICOMDIR in memory (MediumDicomDir); what is
// here reads it afresh for each call or study.
#include <memory>
#include <string>

#include "dicomdir/DirWriteLog.h"
#include "dicomdir/ImageHeader.h"
#include "dicomdir/MediumDicomDir.h"

namespace mirabel {

// mediaRoot is the medium's root folder (on Windows "E:\", not the drive-relative "E:").
//
// Adds one copied file to the DICOMDIR in the media root (created when absent) and writes
// the DICOMDIR back. referencedFileName is the copy's path relative to the media root
// (see MediaFileId); "/" in it is stored as "\". A file already listed by its SOP Instance
// UID adds nothing. Returns 0 when the DICOMDIR was read and written, otherwise the toolkit's
// error code (-1 when it could not be written); the copied file is never touched.
[[nodiscard]] int AddFileToDicomDir(const std::string& copiedFile, const std::string& mediaRoot,
                                    const std::string& referencedFileName);

// The same for many files with one read and one write of the DICOMDIR: open a session for a
// study, add its files, and the DICOMDIR is complete once Write() has run or the session has
// ended (the destructor writes what is still pending, so an interrupted study keeps the files
// it copied listed).
class DicomDirSession {
  public:
    explicit DicomDirSession(const std::string& mediaRoot);
    ~DicomDirSession();
    DicomDirSession(const DicomDirSession&) = delete;
    DicomDirSession& operator=(const DicomDirSession&) = delete;

    // 0 when the DICOMDIR was read or is new; otherwise the toolkit's error code, and the
    // session adds and writes nothing (an unreadable DICOMDIR is left as it is).
    int OpenResult() const { return opened_; }
    // Adds the file's records in memory.
    void AddFile(const std::string& copiedFile, const std::string& referencedFileName);
    // Writes the DICOMDIR when files were added since the last write. Returns 0 or the
    // error code.
    [[nodiscard]] int Write();

  private:
    MediumDicomDir medium_;
    int opened_;
};

}  // namespace mirabel
