#pragma once
// What one copied DICOM file contributes to the DICOMDIR, read from its header: the keys by
// which its PATIENT, STUDY, SERIES and IMAGE records are found, and those records when they
// are new.
#include <memory>
#include <optional>
#include <string>

#include "dicomdir/DirectoryRecord.h"

namespace mirabel {

// Fixed values for elements an image lacks or holds in a form invalid for their VR. Images
// without UIDs therefore share one STUDY, one SERIES and (when their meta header names no SOP
// Instance UID either) one IMAGE record.
inline constexpr const char* kPlaceholderPatientName = "UNKNOWN^PATIENT";
inline constexpr const char* kPlaceholderPatientId = "UNKNOWN";
inline constexpr const char* kPlaceholderStudyUid = "1.2.840.12345.67890.123";
inline constexpr const char* kPlaceholderSeriesUid = "1.2.840.12345.67890.123.45";
inline constexpr const char* kPlaceholderImageUid = "1.2.840.12345.67890.123.45.678";

class ImageHeader {
  public:
    // Reads the header; long values (the pixel data above all) stay on the medium unread. A
    // file read only partly (pixel data cut short, say) keeps every element parsed before the
    // fault, and those are the image's own values (a warning goes to DirWrite.log).
    explicit ImageHeader(const std::string& file);
    ~ImageHeader();
    ImageHeader(const ImageHeader&) = delete;
    ImageHeader& operator=(const ImageHeader&) = delete;

    // The key of the image's record at `level` (see RecordIndex). A placeholder stands in for
    // an element the image lacks or holds in a form invalid for its VR (DirWrite.log names
    // those), the meta header's SOP Instance UID for a data set without a usable one. A present
    // empty value is the image's value: another image with the same empty value is the same
    // entity.
    std::string Key(RecordLevel level);

    // A new record of `level` for this image: its keys and the elements a viewer expects, an
    // IMAGE record also where the file lies (`fileId`, "/" stored as "\") and what it is.
    // nullopt when the toolkit cannot encode it.
    std::optional<DirectoryRecord> NewRecord(RecordLevel level, const std::string& fileId);

  private:
    struct Parsed;
    std::unique_ptr<Parsed> parsed_;
};

}  // namespace mirabel
