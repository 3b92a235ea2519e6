#include "dicomdir/ImageHeader.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmdata/dcmetinf.h"

#include <algorithm>
#include <array>
#include <vector>

#include "dicomdir/DirWriteLog.h"
#include "dicomdir/ElementEncoding.h"
#include "dicomdir/RecordIndex.h"
#include "dicomdir/RecordValue.h"

namespace mirabel {

namespace {

constexpr Uint32 kLongestValueRead = 4096;

// Every element of a record after the record's own offsets and in-use flag.
const DcmTagKey kAfterRecordLinks = DCM_OffsetOfReferencedLowerLevelDirectoryEntity;
const DcmTagKey kEndOfTags(0xFFFF, 0xFFFF);

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

// Elements a viewer expects in each record besides the keys and the character set. They are
// copied from the image; an absent one is written empty rather than left out.
const std::vector<DcmTagKey>& DescriptiveTags(RecordLevel level) {
    static const std::vector<DcmTagKey> patient{};
    static const std::vector<DcmTagKey> study{DCM_StudyDate, DCM_StudyTime, DCM_StudyDescription,
                                              DCM_StudyID, DCM_AccessionNumber};
    static const std::vector<DcmTagKey> series{DCM_Modality, DCM_SeriesNumber};
    static const std::vector<DcmTagKey> image{DCM_InstanceNumber};
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
    std::string file;
    DcmFileFormat format;
    // The image's Specific Character Set, by which its names are judged and which its records
    // carry; empty when it has none (or none valid).
    std::string charset;
    // The key values of the image's records, by level (PATIENT to IMAGE), resolved once so
    // that what DirWrite.log says about them is said once.
    std::array<std::vector<std::string>, 4> keys;

    DcmDataset& Data() { return *format.getDataset(); }
    DcmMetaInfo& Meta() { return *format.getMetaInfo(); }

    void Resolve() {
        const RecordValue set =
            ReadRecordValue(Data(), DCM_SpecificCharacterSet, std::string(), "1-n");
        if (set.state == RecordValue::State::Invalid)
            Replaced(DCM_SpecificCharacterSet, set.text, "left out");
        if (set.state == RecordValue::State::Valid) charset = set.text;
        for (RecordLevel level :
             {RecordLevel::Patient, RecordLevel::Study, RecordLevel::Series, RecordLevel::Image})
            for (const KeyElement& key : KeyElements(level))
                KeysOf(level).push_back(ResolveKey(key));
    }

    std::vector<std::string>& KeysOf(RecordLevel level) { return keys[static_cast<int>(level)]; }

    void Replaced(const DcmTagKey& tag, const std::string& found, const std::string& instead) {
        DirWriteWarning(file + ": " + ElementName(tag) + " " + found +
                        " is not valid for its VR, " + instead);
    }

    // The image's own value, when valid for the record; an invalid one is reported as `instead`.
    std::optional<std::string> Usable(DcmItem& item, const DcmTagKey& tag, const char* instead) {
        const RecordValue value = ReadRecordValue(item, tag, charset);
        if (value.state == RecordValue::State::Invalid) Replaced(tag, value.text, instead);
        if (value.state != RecordValue::State::Valid) return std::nullopt;
        return value.text;
    }

    // A key as the image has it; one the image lacks, or holds in a form invalid for the
    // record, is a placeholder.
    std::string ResolveKey(const KeyElement& key) {
        const RecordValue own = ReadRecordValue(Data(), key.tag, charset);
        if (key.tag == DCM_SOPInstanceUID) return ResolveImageKey(own);
        if (own.state == RecordValue::State::Valid) return own.text;
        if (own.state == RecordValue::State::Invalid)
            Replaced(key.tag, own.text, std::string("written as ") + key.placeholder);
        return key.placeholder;
    }

    // The SOP Instance UID is also in the meta header, which stands in for a data set without
    // a usable one.
    std::string ResolveImageKey(const RecordValue& own) {
        const bool valid = own.state == RecordValue::State::Valid;
        if (valid && !own.text.empty()) return own.text;
        const RecordValue meta =
            ReadRecordValue(Meta(), DCM_MediaStorageSOPInstanceUID, std::string());
        const bool fromMeta = meta.state == RecordValue::State::Valid && !meta.text.empty();
        const std::string instead = fromMeta ? meta.text
                                    : valid  ? own.text
                                             : std::string(kPlaceholderImageUid);
        if (own.state == RecordValue::State::Invalid)
            Replaced(DCM_SOPInstanceUID, own.text, "written as " + instead);
        else if (fromMeta)
            DirWriteInfo(file + ": " + ElementName(DCM_SOPInstanceUID) +
                         " taken from the meta header: " + instead);
        return instead;
    }

    std::optional<std::string> MetaOrDataValue(const DcmTagKey& metaTag, const DcmTagKey& tag) {
        std::optional<std::string> value = Usable(Meta(), metaTag, "left out");
        if (!value || value->empty()) value = Usable(Data(), tag, "left out");
        if (!value || value->empty()) return std::nullopt;
        return value;
    }

    // Where the image itself lies and what it is, for viewers that check before opening it.
    void ReferenceFile(DcmItem& record, const std::string& fileId) {
        std::string dicomId = fileId;
        std::replace(dicomId.begin(), dicomId.end(), '/', '\\');
        record.putAndInsertOFStringArray(DCM_ReferencedFileID, dicomId.c_str());
        if (const auto sopClass = MetaOrDataValue(DCM_MediaStorageSOPClassUID, DCM_SOPClassUID))
            record.putAndInsertString(DCM_ReferencedSOPClassUIDInFile, sopClass->c_str());
        record.putAndInsertString(DCM_ReferencedSOPInstanceUIDInFile,
                                  KeysOf(RecordLevel::Image)[0].c_str());
        const std::optional<std::string> syntax = Usable(Meta(), DCM_TransferSyntaxUID, "left out");
        if (syntax && !syntax->empty())
            record.putAndInsertString(DCM_ReferencedTransferSyntaxUIDInFile, syntax->c_str());
    }
};

ImageHeader::ImageHeader(const std::string& file) : parsed_(std::make_unique<Parsed>()) {
    // Some writers put a data set in implicit VR behind a meta header that says explicit VR;
    // the toolkit reads such an element again as implicit VR when its VR makes no sense,
    // instead of losing the rest of the data set.
    dcmAcceptUnexpectedImplicitEncoding.set(OFTrue);
    parsed_->file = file;
    const OFCondition read = parsed_->format.loadFile(OFFilename(file.c_str()), EXS_Unknown,
                                                      EGL_noChange, kLongestValueRead);
    if (read.bad())
        DirWriteWarning("read only partly, placeholders for what is missing: " + file + " (" +
                        read.text() + ")");
    parsed_->Resolve();
}

ImageHeader::~ImageHeader() = default;

std::string ImageHeader::Key(RecordLevel level) {
    const std::vector<std::string>& keys = parsed_->KeysOf(level);
    if (level == RecordLevel::Patient) return PatientKey(keys[0], keys[1]);
    return keys[0];
}

std::optional<DirectoryRecord> ImageHeader::NewRecord(RecordLevel level,
                                                      const std::string& fileId) {
    DcmItem record;
    record.putAndInsertString(DCM_DirectoryRecordType, RecordTypeName(level));
    const std::vector<KeyElement> keys = KeyElements(level);
    for (std::size_t i = 0; i < keys.size(); ++i)
        record.putAndInsertString(keys[i].tag, parsed_->KeysOf(level)[i].c_str());
    if (!parsed_->charset.empty())
        record.putAndInsertString(DCM_SpecificCharacterSet, parsed_->charset.c_str());
    for (const DcmTagKey& tag : DescriptiveTags(level)) {
        const std::optional<std::string> value =
            parsed_->Usable(parsed_->Data(), tag, "written empty");
        record.putAndInsertString(tag, value.value_or(std::string()).c_str());
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
