#include "archive/FtpFileNames.h"

#include <cstdio>
#include <sstream>

namespace mirabel {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence that starts at `at`, 0 when none does (a stray
// continuation byte, an overlong form, a surrogate, a code point above U+10FFFF, a cut-off end).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if (second < low || second > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(static_cast<unsigned char>(text[at + i]))) return 0;
    return length;
}

bool IsControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

std::string Hex(unsigned char byte) {
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

// The levels below the destination root and the file names, each as the server sees it.
std::vector<std::string> NamesSentToTheServer(const StudyTransferPlan& plan) {
    std::vector<std::string> names;
    std::istringstream levels(plan.destinationDir);
    for (std::string level; std::getline(levels, level, '/');)
        if (!level.empty()) names.push_back(level);
    for (const TransferItem& item : plan.files) names.push_back(item.source.filename().string());
    return names;
}

}  // namespace

bool IsPortableFtpName(std::string_view name) {
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = Utf8SequenceLength(name, at);
        if (length == 0) return false;
        const auto byte = static_cast<unsigned char>(name[at]);
        if (length == 1 && (IsControl(byte) || byte == '/' || byte == '\\')) return false;
        at += length;
    }
    return true;
}

std::optional<std::string> FirstUnportableFtpName(const StudyTransferPlan& plan) {
    for (const std::string& name : NamesSentToTheServer(plan))
        if (!IsPortableFtpName(name)) return name;
    return std::nullopt;
}

std::string VisibleName(std::string_view name) {
    std::string visible;
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = Utf8SequenceLength(name, at);
        const auto byte = static_cast<unsigned char>(name[at]);
        if (length == 0 || IsControl(byte)) {
            visible += Hex(byte);
            ++at;
        } else {
            visible.append(name.substr(at, length));
            at += length;
        }
    }
    return visible;
}

}  // namespace mirabel
