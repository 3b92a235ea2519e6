// The toolkit parses the DICOMDIR and links its records into a tree (DcmDicomDir); the tree is
// then copied into our own records, each encoded once, and the toolkit's copy is dropped.
#include "dicomdir/DicomDirReader.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcdicdir.h"
#include "dcmtk/dcmdata/dcmetinf.h"
#include "dcmtk/dcmdata/dcuid.h"

#include <optional>
#include <string>

#include "dicomdir/DicomFileMarker.h"
#include "dicomdir/DirWriteLog.h"
#include "dicomdir/ElementEncoding.h"
#include "dicomdir/RecordIndex.h"
#include "platform/RegularFile.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

const DcmTagKey kStartOfTags(0x0000, 0x0000);
const DcmTagKey kEndOfTags(0xFFFF, 0xFFFF);

int ResultCode(const OFCondition& condition) {
    if (condition.good()) return 0;
    return condition.code() != 0 ? condition.code() : -1;
}

// DCMTK reads any bytes as an empty DICOMDIR and would replace them on writing; a file
// without the DICOM file marker is refused instead, so a damaged DICOMDIR is never
// overwritten. Nor is a link, a FIFO or a device in its place read or replaced.
bool IsAbsentOrDicomFile(const fs::path& path) {
    return KindOfEntry(path) == EntryKind::Missing || HasDicomFileMarker(path);
}

std::string ValueOf(DcmItem& item, const DcmTagKey& tag) {
    OFString value;
    item.findAndGetOFStringArray(tag, value);
    return value.c_str();
}

RecordLevel LevelOf(DcmDirectoryRecord& record) {
    switch (record.getRecordType()) {
        case ERT_Patient:
            return RecordLevel::Patient;
        case ERT_Study:
            return RecordLevel::Study;
        case ERT_Series:
            return RecordLevel::Series;
        case ERT_Image:
            return RecordLevel::Image;
        default:
            return RecordLevel::Other;
    }
}

// IMAGE records made by other tools carry the image's UID only as the referenced SOP
// Instance UID.
std::string KeyOf(DcmDirectoryRecord& record, RecordLevel level) {
    switch (level) {
        case RecordLevel::Patient:
            return PatientKey(ValueOf(record, DCM_PatientName), ValueOf(record, DCM_PatientID));
        case RecordLevel::Study:
            return ValueOf(record, DCM_StudyInstanceUID);
        case RecordLevel::Series:
            return ValueOf(record, DCM_SeriesInstanceUID);
        case RecordLevel::Image: {
            const std::string uid = ValueOf(record, DCM_SOPInstanceUID);
            return uid.empty() ? ValueOf(record, DCM_ReferencedSOPInstanceUIDInFile) : uid;
        }
        default:
            return std::string();
    }
}

// Our copy of a record and everything below it; false when the toolkit cannot encode one, or
// one refers to a multi-referenced record.
bool CopyRecords(DcmDirectoryRecord& from, DirectoryRecord& to) {
    for (unsigned long i = 0; i < from.cardSub(); ++i) {
        DcmDirectoryRecord& child = *from.getSub(i);
        if (child.tagExists(DCM_RETIRED_MRDRDirectoryRecordOffset)) return false;
        auto copy = std::make_unique<DirectoryRecord>();
        copy->level = LevelOf(child);
        copy->key = KeyOf(child, copy->level);
        Uint16 inUse = 0;
        if (child.findAndGetUint16(DCM_RecordInUseFlag, inUse).good()) copy->inUse = inUse;
        std::optional<std::string> elements = EncodeElementsBetween(
            child, DCM_OffsetOfReferencedLowerLevelDirectoryEntity, kEndOfTags);
        if (!elements) return false;
        copy->elements = std::move(*elements);
        if (!CopyRecords(child, *copy)) return false;
        to.children.push_back(std::move(copy));
    }
    return true;
}

// The meta information as the toolkit writes it for a DICOMDIR, and the data set's own
// elements around the root's offsets and the records.
bool CopyFrame(DcmDicomDir& dir, DicomDirContents& contents) {
    DcmFileFormat& file = dir.getDirFileFormat();
    // Only what is missing or stale is filled in: made anew, the meta information would name
    // the toolkit's private class (a DICOMDIR's data set names no class), and viewers that
    // check the class would not open the medium; the DICOMDIR also keeps its instance UID.
    file.getMetaInfo()->putAndInsertString(DCM_MediaStorageSOPClassUID,
                                           UID_MediaStorageDirectoryStorage);
    file.validateMetaInfo(EXS_LittleEndianExplicit, EWM_fileformat);
    DcmDataset& data = *file.getDataset();
    std::optional<std::string> meta = EncodeMetaHeader(*file.getMetaInfo());
    std::optional<std::string> before = EncodeElementsBetween(
        data, kStartOfTags, DCM_OffsetOfTheFirstDirectoryRecordOfTheRootDirectoryEntity);
    std::optional<std::string> between =
        EncodeElementsBetween(data, DCM_OffsetOfTheLastDirectoryRecordOfTheRootDirectoryEntity,
                              DCM_DirectoryRecordSequence);
    std::optional<std::string> after =
        EncodeElementsBetween(data, DCM_DirectoryRecordSequence, kEndOfTags);
    if (!meta || !before || !between || !after) return false;
    contents.metaHeader = std::move(*meta);
    contents.beforeRootOffsets = std::move(*before);
    contents.beforeRecords = std::move(*between);
    contents.afterRecords = std::move(*after);
    return true;
}

// Records no offset leads to are out of every viewer's reach; the toolkit leaves them in its
// record sequence, and they are not written back.
void ReportUnreachableRecords(DcmDicomDir& dir) {
    DcmSequenceOfItems* unreachable = nullptr;
    if (dir.getDirFileFormat()
            .getDataset()
            ->findAndGetSequence(DCM_DirectoryRecordSequence, unreachable)
            .good() &&
        unreachable && unreachable->card() > 0)
        DirWriteWarning("records no offset leads to are left out: " +
                        std::to_string(unreachable->card()));
}

}  // namespace

int ReadDicomDir(const fs::path& path, DicomDirContents& contents) {
    if (!IsAbsentOrDicomFile(path)) return ResultCode(EC_InvalidDICOMDIR);
    DcmDicomDir dir(OFFilename(path.c_str()));
    if (dir.error().bad()) return ResultCode(dir.error());
    DicomDirContents read;
    if (dir.getMRDRSequence().card() > 0 || !CopyRecords(dir.getRootRecord(), read.root) ||
        !CopyFrame(dir, read))
        return ResultCode(EC_InvalidDICOMDIR);
    ReportUnreachableRecords(dir);
    contents = std::move(read);
    return 0;
}

}  // namespace mirabel
