#include "dicomdir/ImageHeader.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmdata/dcmetinf.h"

#include <algorithm>
#include <vector>

#include "dicomdir/DirWriteLog.h"
#include "dicomdir/ElementEncoding.h"
#include "dicomdir/RecordIndex.h"

namespace mirabel {

namespace {

constexpr Uint32 kLongestValueRead = 4096;

// Every element of a record after the record's own offsets and in-use flag.
const DcmTagKey kAfterRecordLinks = DCM_OffsetOfReferencedLowerLevelDirectoryEntity;
const DcmTagKey kEndOfTags(0xFFFF, 0xFFFF);

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

const char* RecordTypeName(RecordLevel level) {
    switch (level) {
        case RecordLevel::Patient:
            return "PATIENT";
        case RecordLevel::Study:
            return "STUDY";
        case RecordLevel::Series:
            return "SERIES";
        default:
            return "IMAGE";
    }
}

// A key element of one level and the placeholder for an image without it.
struct KeyElement {
    DcmTagKey tag;
    const char* placeholder;
};

std::vector<KeyElement> KeyElements(RecordLevel level) {
    switch (level) {
        case RecordLevel::Patient:
            return {{DCM_PatientName, kPlaceholderPatientName},
                    {DCM_PatientID, kPlaceholderPatientId}};
        case RecordLevel::Study:
            return {{DCM_StudyInstanceUID, kPlaceholderStudyUid}};
        case RecordLevel::Series:
            return {{DCM_SeriesInstanceUID, kPlaceholderSeriesUid}};
        default:
            return {{DCM_SOPInstanceUID, kPlaceholderImageUid}};
    }
}

// Elements a viewer expects in each record besides the keys. They are copied from the image;
// an absent one is written empty rather than left out (the character set only when given).
const std::vector<DcmTagKey>& DescriptiveTags(RecordLevel level) {
    static const std::vector<DcmTagKey> patient{DCM_SpecificCharacterSet};
    static const std::vector<DcmTagKey> study{
        DCM_SpecificCharacterSet, DCM_StudyDate, DCM_StudyTime,
        DCM_StudyDescription,     DCM_StudyID,   DCM_AccessionNumber};
    static const std::vector<DcmTagKey> series{DCM_SpecificCharacterSet, DCM_Modality,
                                               DCM_SeriesNumber};
    static const std::vector<DcmTagKey> image{DCM_SpecificCharacterSet, DCM_InstanceNumber};
    switch (level) {
        case RecordLevel::Patient:
            return patient;
        case RecordLevel::Study:
            return study;
        case RecordLevel::Series:
            return series;
        default:
            return image;
    }
}

}  // namespace

struct ImageHeader::Parsed {
    DcmFileFormat file;

    DcmDataset& Data() { return *file.getDataset(); }

    std::string KeyValue(const KeyElement& key) {
        return PresentValue(Data(), key.tag).value_or(key.placeholder);
    }

    // Where the image itself lies and what it is, for viewers that check before opening it.
    void ReferenceFile(DcmItem& record, const std::string& fileId) {
        std::string dicomId = fileId;
        std::replace(dicomId.begin(), dicomId.end(), '/', '\\');
        record.putAndInsertOFStringArray(DCM_ReferencedFileID, dicomId.c_str());
        std::string sopClass = ValueOf(*file.getMetaInfo(), DCM_MediaStorageSOPClassUID);
        if (sopClass.empty()) sopClass = ValueOf(Data(), DCM_SOPClassUID);
        if (!sopClass.empty())
            record.putAndInsertString(DCM_ReferencedSOPClassUIDInFile, sopClass.c_str());
        record.putAndInsertString(DCM_ReferencedSOPInstanceUIDInFile,
                                  KeyValue(KeyElements(RecordLevel::Image)[0]).c_str());
        const std::string syntax = ValueOf(*file.getMetaInfo(), DCM_TransferSyntaxUID);
        if (!syntax.empty())
            record.putAndInsertString(DCM_ReferencedTransferSyntaxUIDInFile, syntax.c_str());
    }
};

ImageHeader::ImageHeader(const std::string& file) : parsed_(std::make_unique<Parsed>()) {
    const OFCondition read = parsed_->file.loadFile(OFFilename(file.c_str()), EXS_Unknown,
                                                    EGL_noChange, kLongestValueRead);
    if (read.bad())
        DirWriteWarning("read only partly, placeholders for what is missing: " + file + " (" +
                        read.text() + ")");
}

ImageHeader::~ImageHeader() = default;

std::string ImageHeader::Key(RecordLevel level) {
    const std::vector<KeyElement> keys = KeyElements(level);
    if (level == RecordLevel::Patient)
        return PatientKey(parsed_->KeyValue(keys[0]), parsed_->KeyValue(keys[1]));
    return parsed_->KeyValue(keys[0]);
}

std::optional<DirectoryRecord> ImageHeader::NewRecord(RecordLevel level,
                                                      const std::string& fileId) {
    DcmItem record;
    record.putAndInsertString(DCM_DirectoryRecordType, RecordTypeName(level));
    for (const KeyElement& key : KeyElements(level))
        record.putAndInsertString(key.tag, parsed_->KeyValue(key).c_str());
    for (const DcmTagKey& tag : DescriptiveTags(level)) {
        const std::string value = ValueOf(parsed_->Data(), tag);
        if (!value.empty() || tag != DCM_SpecificCharacterSet)
            record.putAndInsertString(tag, value.c_str());
    }
    if (level == RecordLevel::Image) parsed_->ReferenceFile(record, fileId);

    std::optional<std::string> elements =
        EncodeElementsBetween(record, kAfterRecordLinks, kEndOfTags);
    if (!elements) return std::nullopt;
    DirectoryRecord made;
    made.level = level;
    made.key = Key(level);
    made.elements = std::move(*elements);
    return made;
}

}  // namespace mirabel
