#include "dicomdir/RecordValue.h"

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcelem.h"

#include <optional>

namespace mirabel {

namespace {

// No record element comes near this (a person name in three character sets is the longest);
// a longer value is not even loaded.
constexpr Uint32 kLongestRecordValue = 1024;
constexpr std::size_t kLongestShownValue = 80;

// The element's value as text: a string VR as the toolkit reads it, bytes (UN, OB) as the
// characters they hold, without their padding. nullopt for any other VR.
std::optional<std::string> TextOf(DcmElement& element) {
    if (element.isaString()) {
        OFString value;
        if (element.getOFStringArray(value).bad()) return std::nullopt;
        return std::string(value.c_str(), value.length());
    }
    if (element.ident() != EVR_UN && element.ident() != EVR_OB) return std::nullopt;
    if (element.getLength() == 0) return std::string();
    Uint8* bytes = nullptr;
    if (element.getUint8Array(bytes).bad() || !bytes) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(bytes), element.getLength());
    while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) text.pop_back();
    return text;
}

// What the file holds, as a log line may show it (bytes as the toolkit prints them, "31\2e").
std::string Shown(DcmElement& element) {
    if (element.getLength() > kLongestRecordValue)
        return std::to_string(element.getLength()) + " bytes";
    OFString value;
    element.getOFStringArray(value);
    std::string shown(value.c_str(), value.length());
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    if (shown.size() > kLongestShownValue) shown = shown.substr(0, kLongestShownValue) + "...";
    return '"' + shown + '"';
}

// The text as an element of the tag's own VR holds it, when it is valid there. The element lies
// in an item with the image's character set, which the toolkit's check of names looks up.
std::optional<std::string> ValidValue(const DcmTagKey& tag, const std::string& text,
                                      const std::string& charset, const char* vm) {
    DcmItem probe;
    if (!charset.empty()) probe.putAndInsertString(DCM_SpecificCharacterSet, charset.c_str());
    DcmElement* element = nullptr;
    OFString value;
    if (probe.putAndInsertString(DcmTag(tag), text.c_str(), static_cast<Uint32>(text.size()))
            .bad() ||
        probe.findAndGetElement(tag, element).bad() || element->checkValue(vm).bad() ||
        element->getOFStringArray(value).bad())
        return std::nullopt;
    return std::string(value.c_str(), value.length());
}

}  // namespace

RecordValue ReadRecordValue(DcmItem& item, const DcmTagKey& tag, const std::string& charset,
                            const char* vm) {
    DcmElement* element = nullptr;
    if (item.findAndGetElement(tag, element).bad() || !element) return {};
    const RecordValue invalid{RecordValue::State::Invalid, Shown(*element)};
    if (element->getLength() > kLongestRecordValue) return invalid;
    const std::optional<std::string> text = TextOf(*element);
    if (!text) return invalid;

    const std::optional<std::string> valid = ValidValue(tag, *text, charset, vm);
    if (!valid) return invalid;
    return {RecordValue::State::Valid, *valid};
}

std::string ElementName(const DcmTagKey& tag) {
    return std::string(tag.toString().c_str()) + " " + DcmTag(tag).getTagName();
}

}  // namespace mirabel
