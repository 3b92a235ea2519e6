#pragma once
// An image's value as a directory record may hold it: text valid for the record element's VR.
// Files from other systems carry values the toolkit could read only as bytes (VR UN, as some
// converters write every element, or a data set in another encoding than its meta header
// says), and values that break their VR (dates in the old ACR-NEMA form, letters in UIDs).
// Viewers choke on such values in a DICOMDIR, so a record never takes them as they are.
#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcitem.h"

#include <string>

namespace mirabel {

struct RecordValue {
    enum class State { Absent, Valid, Invalid };
    State state = State::Absent;
    // Valid: the value to write. Invalid: what the file holds, printable, for DirWrite.log.
    std::string text;
};

// The value of `tag` in `item` itself (not in its sequences), judged by the rules of the tag's
// own VR and the value multiplicity `vm` ("1", "1-n"). Bytes read as UN are taken as the text
// they spell. `charset` is the image's Specific Character Set: names in other sets than ASCII
// and Latin-1 are not judged character by character.
RecordValue ReadRecordValue(DcmItem& item, const DcmTagKey& tag, const std::string& charset,
                            const char* vm = "1");

// The element as a log line names it: "(0020,000d) StudyInstanceUID".
std::string ElementName(const DcmTagKey& tag);

}  // namespace mirabel
