// The one place that speaks DCMTK: DcmDicomDir holds the DICOMDIR as a tree of
// DcmDirectoryRecords, which is searched and extended level by level here.
#include "dicomdir/DicomDirWriter.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcdicdir.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmdata/dcmetinf.h"
#include "dcmtk/oflog/appender.h"
#include "dcmtk/oflog/oflog.h"
#include "dcmtk/oflog/spi/logevent.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/Text.h"
#include "dicomdir/DicomFileMarker.h"
#include "log/Logs.h"
#include "platform/RegularFile.h"

namespace mirabel {

namespace {

namespace log4 = dcmtk::log4cplus;

// Each entry is appended to DirWrite.log in the current directory and the file closed again,
// as the program's own logs do, so the log follows the start directory and survives deletion.
class DirWriteLogAppender : public log4::Appender {
  public:
    ~DirWriteLogAppender() override { destructorImpl(); }
    void close() override {}

  protected:
    void append(const log4::spi::InternalLoggingEvent& event) override {
        const OFString& level = log4::getLogLevelManager().toString(event.getLogLevel());
        AppendLogEntry(kDicomDirLogFile, std::string(level.c_str()) + " " +
                                             event.getLoggerName().c_str() + ": " +
                                             event.getMessage().c_str());
    }
};

// The toolkit's warnings and errors and our trace lines all go to DirWrite.log, never to the
// console. Set up once per process.
OFLogger& WriterLog() {
    static OFLogger logger = [] {
        OFLogger ours = OFLog::getLogger("mirabel.dirwrite");
        log4::Logger root = log4::Logger::getRoot();
        root.removeAllAppenders();
        root.addAppender(log4::SharedAppenderPtr(new DirWriteLogAppender));
        root.setLogLevel(log4::WARN_LOG_LEVEL);
        ours.setLogLevel(log4::TRACE_LOG_LEVEL);
        return ours;
    }();
    return logger;
}

constexpr Uint32 kLongestValueRead = 4096;

int ResultCode(const OFCondition& condition) {
    if (condition.good()) return 0;
    return condition.code() != 0 ? condition.code() : -1;
}

std::string Traced(const std::string& what, const OFCondition& condition) {
    char code[48];
    std::snprintf(code, sizeof code, " RC= 0x%04X (%d)", ResultCode(condition),
                  ResultCode(condition));
    std::string line = what + code;
    if (condition.bad()) line += std::string(" ") + condition.text();
    return line;
}

// DCMTK reads any bytes as an empty DICOMDIR and would replace them on writing; a file
// without the DICOM file marker is refused instead, so a damaged DICOMDIR is never
// overwritten. Nor is a link, a FIFO or a device in its place read or replaced.
bool IsAbsentOrDicomFile(const std::string& path) {
    return KindOfEntry(path) == EntryKind::Missing || HasDicomFileMarker(path);
}

// The element's value; nullopt when the item lacks the element (or it cannot be read), ""
// when it is present without a value.
std::optional<std::string> PresentValue(DcmItem& item, const DcmTagKey& tag) {
    OFString value;
    if (item.findAndGetOFStringArray(tag, value).bad()) return std::nullopt;
    return std::string(value.c_str());
}

std::string ValueOf(DcmItem& item, const DcmTagKey& tag) {
    return PresentValue(item, tag).value_or(std::string());
}

// A key element of one level: its tag and the value the image gives (or the placeholder).
struct Key {
    DcmTagKey tag;
    std::string value;
};

// What one image contributes to the DICOMDIR, read from its header. A file the toolkit reads
// only partly (pixel data cut short, say) still holds every element parsed before the fault,
// and those are the image's own values.
struct ImageHeader {
    DcmFileFormat file;

    std::string Value(const DcmTagKey& tag) { return ValueOf(*file.getDataset(), tag); }
    // The placeholder stands in for an absent element only: a present empty one is the
    // image's value, and another image with the same empty value is the same entity.
    std::string ValueOr(const DcmTagKey& tag, const char* placeholder) {
        return PresentValue(*file.getDataset(), tag).value_or(placeholder);
    }
    std::string MetaValue(const DcmTagKey& tag) { return ValueOf(*file.getMetaInfo(), tag); }
};

// Elements a viewer expects in each record besides the keys. They are copied from the image;
// an absent one is written empty rather than left out (the character set only when given).
const std::vector<DcmTagKey>& DescriptiveTags(E_DirRecType level) {
    static const std::vector<DcmTagKey> patient{DCM_SpecificCharacterSet};
    static const std::vector<DcmTagKey> study{
        DCM_SpecificCharacterSet, DCM_StudyDate, DCM_StudyTime,
        DCM_StudyDescription,     DCM_StudyID,   DCM_AccessionNumber};
    static const std::vector<DcmTagKey> series{DCM_SpecificCharacterSet, DCM_Modality,
                                               DCM_SeriesNumber};
    static const std::vector<DcmTagKey> image{DCM_SpecificCharacterSet, DCM_InstanceNumber};
    switch (level) {
        case ERT_Patient:
            return patient;
        case ERT_Study:
            return study;
        case ERT_Series:
            return series;
        default:
            return image;
    }
}

// The value a record holds for a key. IMAGE records made by other tools carry the image's UID
// only as the referenced SOP Instance UID.
std::string RecordValue(DcmDirectoryRecord& record, const DcmTagKey& tag) {
    std::string value = ValueOf(record, tag);
    if (value.empty() && tag == DCM_SOPInstanceUID)
        value = ValueOf(record, DCM_ReferencedSOPInstanceUIDInFile);
    return value;
}

DcmDirectoryRecord* FindChild(DcmDirectoryRecord& parent, E_DirRecType level,
                              const std::vector<Key>& keys) {
    for (unsigned long i = 0; i < parent.cardSub(); ++i) {
        DcmDirectoryRecord* child = parent.getSub(i);
        if (child->getRecordType() != level) continue;
        if (std::all_of(keys.begin(), keys.end(), [&](const Key& key) {
                return EqualIgnoringCase(RecordValue(*child, key.tag), key.value);
            }))
            return child;
    }
    return nullptr;
}

DcmDirectoryRecord* NewRecord(E_DirRecType level, const std::vector<Key>& keys,
                              ImageHeader& image) {
    auto* record = new DcmDirectoryRecord(level, nullptr, OFFilename());
    for (const Key& key : keys) record->putAndInsertString(key.tag, key.value.c_str());
    for (const DcmTagKey& tag : DescriptiveTags(level)) {
        const std::string value = image.Value(tag);
        if (!value.empty() || tag != DCM_SpecificCharacterSet)
            record->putAndInsertString(tag, value.c_str());
    }
    return record;
}

// The record of one level under its parent, created and attached when none has the keys.
DcmDirectoryRecord& FindOrAdd(DcmDirectoryRecord& parent, E_DirRecType level,
                              const std::vector<Key>& keys, ImageHeader& image, bool& added) {
    added = false;
    if (DcmDirectoryRecord* existing = FindChild(parent, level, keys)) return *existing;
    DcmDirectoryRecord* record = NewRecord(level, keys, image);
    parent.insertSub(record);
    added = true;
    return *record;
}

// Where the image itself lies and what it is, for viewers that check before opening it.
void ReferenceFile(DcmDirectoryRecord& record, const std::string& fileId, ImageHeader& image,
                   const std::string& sopInstanceUid) {
    std::string dicomId = fileId;
    std::replace(dicomId.begin(), dicomId.end(), '/', '\\');
    record.putAndInsertOFStringArray(DCM_ReferencedFileID, dicomId.c_str());
    std::string sopClass = image.MetaValue(DCM_MediaStorageSOPClassUID);
    if (sopClass.empty()) sopClass = image.Value(DCM_SOPClassUID);
    if (!sopClass.empty())
        record.putAndInsertString(DCM_ReferencedSOPClassUIDInFile, sopClass.c_str());
    record.putAndInsertString(DCM_ReferencedSOPInstanceUIDInFile, sopInstanceUid.c_str());
    const std::string syntax = image.MetaValue(DCM_TransferSyntaxUID);
    if (!syntax.empty())
        record.putAndInsertString(DCM_ReferencedTransferSyntaxUIDInFile, syntax.c_str());
}

}  // namespace

class DicomDirSession::Impl {
  public:
    explicit Impl(const std::string& mediaRoot)
        : path_((std::filesystem::path(mediaRoot) / DEFAULT_DICOMDIR_NAME).string()) {
        OFLOG_INFO(WriterLog(), "STARTUP " << path_);
        if (IsAbsentOrDicomFile(path_)) {
            dir_ = std::make_unique<DcmDicomDir>(OFFilename(path_.c_str()));
            opened_ = dir_->error();
        } else {
            opened_ = EC_InvalidDICOMDIR;
        }
        OFLOG_TRACE(WriterLog(), Traced("open DICOMDIR", opened_));
        if (opened_.bad()) OFLOG_ERROR(WriterLog(), "Attempt to open dicomdir failed.");
    }

    int OpenResult() const { return ResultCode(opened_); }

    void AddFile(const std::string& copiedFile, const std::string& fileId) {
        if (opened_.bad()) return;
        ImageHeader image;
        // Long values (the pixel data above all) stay on the medium unread: only the header
        // matters here, and cine loops run to hundreds of megabytes.
        const OFCondition read = image.file.loadFile(OFFilename(copiedFile.c_str()), EXS_Unknown,
                                                     EGL_noChange, kLongestValueRead);
        if (read.bad())
            OFLOG_WARN(WriterLog(), "read only partly, placeholders for what is missing: "
                                        << copiedFile << " (" << read.text() << ")");
        AddRecords(image, fileId);
        pending_ = true;
    }

    int Write() {
        if (opened_.bad() || !pending_) return OpenResult();
        const OFCondition written = dir_->write();
        OFLOG_TRACE(WriterLog(), Traced("write DICOMDIR", written));
        pending_ = false;
        return ResultCode(written);
    }

  private:
    void AddRecords(ImageHeader& image, const std::string& fileId) {
        bool added = false;
        DcmDirectoryRecord& patient =
            FindOrAdd(dir_->getRootRecord(), ERT_Patient,
                      {{DCM_PatientName, image.ValueOr(DCM_PatientName, kPlaceholderPatientName)},
                       {DCM_PatientID, image.ValueOr(DCM_PatientID, kPlaceholderPatientId)}},
                      image, added);
        DcmDirectoryRecord& study = FindOrAdd(
            patient, ERT_Study,
            {{DCM_StudyInstanceUID, image.ValueOr(DCM_StudyInstanceUID, kPlaceholderStudyUid)}},
            image, added);
        DcmDirectoryRecord& series = FindOrAdd(
            study, ERT_Series,
            {{DCM_SeriesInstanceUID, image.ValueOr(DCM_SeriesInstanceUID, kPlaceholderSeriesUid)}},
            image, added);
        const std::string uid = image.ValueOr(DCM_SOPInstanceUID, kPlaceholderImageUid);
        DcmDirectoryRecord& record =
            FindOrAdd(series, ERT_Image, {{DCM_SOPInstanceUID, uid}}, image, added);
        if (!added) {
            OFLOG_TRACE(WriterLog(), "already listed " << uid << " " << fileId);
            return;
        }
        ReferenceFile(record, fileId, image, uid);
        OFLOG_TRACE(WriterLog(), "added " << uid << " " << fileId);
    }

    std::string path_;
    std::unique_ptr<DcmDicomDir> dir_;
    OFCondition opened_;
    bool pending_ = false;
};

DicomDirSession::DicomDirSession(const std::string& mediaRoot)
    : impl_(std::make_unique<Impl>(mediaRoot)) {}

DicomDirSession::~DicomDirSession() {
    impl_->Write();
}

int DicomDirSession::OpenResult() const {
    return impl_->OpenResult();
}

void DicomDirSession::AddFile(const std::string& copiedFile,
                              const std::string& referencedFileName) {
    impl_->AddFile(copiedFile, referencedFileName);
}

int DicomDirSession::Write() {
    return impl_->Write();
}

int AddFileToDicomDir(const std::string& copiedFile, const std::string& mediaRoot,
                      const std::string& referencedFileName) {
    DicomDirSession session(mediaRoot);
    if (session.OpenResult() != 0) return session.OpenResult();
    session.AddFile(copiedFile, referencedFileName);
    return session.Write();
}

}  // namespace mirabel
