#pragma once
// The DICOMDIR of the medium an archive run writes to. It is read once and kept in memory,
// with indexes for its patients, studies, series and images, while study after study is added
// to it; it is written back whole, under a temporary name and then renamed over the old one,
// after every study, so that the medium's DICOMDIR is complete whenever a study is.
#include <memory>
#include <string>

namespace mirabel {

class MediumDicomDir {
  public:
    MediumDicomDir();
    ~MediumDicomDir();
    MediumDicomDir(const MediumDicomDir&) = delete;
    MediumDicomDir& operator=(const MediumDicomDir&) = delete;

    // Makes the DICOMDIR in `mediaRoot` (on Windows "E:\", not the drive-relative "E:") the one
    // files are added to. The one in memory is kept when the medium is the same (same root and
    // label) and its DICOMDIR is still the file last read or written here; otherwise (another
    // medium, or a DICOMDIR changed by someone else) it is read again, or started anew when the
    // medium has none. Returns 0, or the toolkit's error code when the DICOMDIR cannot be read:
    // then nothing is added or written until an Open succeeds, and the file is left as it is.
    [[nodiscard]] int Open(const std::string& mediaRoot, const std::string& mediumLabel);

    // Lists the copied file under its PATIENT, STUDY, SERIES and IMAGE records, in memory.
    // fileId is the copy's path relative to the media root (see MediaFileId); "/" in it is
    // stored as "\". A file whose SOP Instance UID is already listed in its series adds nothing.
    void AddFile(const std::string& copiedFile, const std::string& fileId);

    // Writes the DICOMDIR when files were added since it was last written. Returns the open
    // result, 0 when written, or -1 when it could not be written (the old file stays, and the
    // next Write tries again with everything added meanwhile).
    [[nodiscard]] int Write();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace mirabel
