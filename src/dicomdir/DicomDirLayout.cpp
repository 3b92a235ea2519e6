#include "dicomdir/DicomDirLayout.h"

#include <cstdint>
#include <limits>

namespace mirabel {

namespace {

constexpr std::uint16_t kDirectoryGroup = 0x0004;
constexpr std::uint16_t kFirstRootRecordOffset = 0x1200;
constexpr std::uint16_t kLastRootRecordOffset = 0x1202;
constexpr std::uint16_t kRecordSequence = 0x1220;
constexpr std::uint16_t kNextRecordOffset = 0x1400;
constexpr std::uint16_t kInUseFlag = 0x1410;
constexpr std::uint16_t kLowerLevelOffset = 0x1420;
constexpr std::uint16_t kItemGroup = 0xFFFE;
constexpr std::uint16_t kItem = 0xE000;
constexpr std::uint16_t kItemEnd = 0xE00D;
constexpr std::uint16_t kSequenceEnd = 0xE0DD;
constexpr std::uint32_t kUndefinedLength = 0xFFFFFFFF;

// Sizes of the fixed parts, in bytes.
constexpr std::uint64_t kOffsetElement = 12;   // tag, "UL", 2-byte length, value
constexpr std::uint64_t kInUseElement = 10;    // tag, "US", 2-byte length, value
constexpr std::uint64_t kSequenceHeader = 12;  // tag, "SQ", 2 reserved, 4-byte length
constexpr std::uint64_t kItemMarker = 8;       // tag and 4-byte length
constexpr std::uint64_t kRecordOverhead =
    2 * kItemMarker + 2 * kOffsetElement + kInUseElement;  // item start and end, fixed elements

void Append16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void Append32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendTag(std::string& out, std::uint16_t group, std::uint16_t element) {
    Append16(out, group);
    Append16(out, element);
}

void AppendOffset(std::string& out, std::uint16_t element, std::uint32_t offset) {
    AppendTag(out, kDirectoryGroup, element);
    out += "UL";
    Append16(out, 4);
    Append32(out, offset);
}

std::uint64_t RecordBytes(const DirectoryRecord& record) {
    return kRecordOverhead + record.elements.size();
}

// The bytes of a record and of every record below it.
std::uint64_t SubtreeBytes(const DirectoryRecord& record) {
    std::uint64_t bytes = RecordBytes(record);
    for (const auto& child : record.children) bytes += SubtreeBytes(*child);
    return bytes;
}

// Lays out the children of one record from `offset` on, each followed by its own subtree.
void AppendEntity(std::string& out, const DirectoryRecord& parent, std::uint64_t offset) {
    for (std::size_t i = 0; i < parent.children.size(); ++i) {
        const DirectoryRecord& record = *parent.children[i];
        const std::uint64_t next = offset + SubtreeBytes(record);
        const std::uint64_t lower = record.children.empty() ? 0 : offset + RecordBytes(record);
        AppendTag(out, kItemGroup, kItem);
        Append32(out, kUndefinedLength);
        AppendOffset(out, kNextRecordOffset,
                     i + 1 < parent.children.size() ? static_cast<std::uint32_t>(next) : 0);
        AppendTag(out, kDirectoryGroup, kInUseFlag);
        out += "US";
        Append16(out, 2);
        Append16(out, record.inUse);
        AppendOffset(out, kLowerLevelOffset, static_cast<std::uint32_t>(lower));
        out += record.elements;
        AppendTag(out, kItemGroup, kItemEnd);
        Append32(out, 0);
        AppendEntity(out, record, offset + RecordBytes(record));
        offset = next;
    }
}

}  // namespace

std::optional<std::string> EncodeDicomDir(const DicomDirContents& contents) {
    const std::uint64_t firstRecord = contents.metaHeader.size() +
                                      contents.beforeRootOffsets.size() + 2 * kOffsetElement +
                                      contents.beforeRecords.size() + kSequenceHeader;
    const std::uint64_t recordBytes = SubtreeBytes(contents.root) - RecordBytes(contents.root);
    if (firstRecord + recordBytes > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;

    const auto& top = contents.root.children;
    std::uint64_t lastTop = firstRecord;
    for (std::size_t i = 0; i + 1 < top.size(); ++i) lastTop += SubtreeBytes(*top[i]);

    std::string out;
    out.reserve(firstRecord + recordBytes + kItemMarker + contents.afterRecords.size());
    out += contents.metaHeader;
    out += contents.beforeRootOffsets;
    AppendOffset(out, kFirstRootRecordOffset,
                 top.empty() ? 0 : static_cast<std::uint32_t>(firstRecord));
    AppendOffset(out, kLastRootRecordOffset, top.empty() ? 0 : static_cast<std::uint32_t>(lastTop));
    out += contents.beforeRecords;
    AppendTag(out, kDirectoryGroup, kRecordSequence);
    out += "SQ";
    Append16(out, 0);
    Append32(out, kUndefinedLength);
    AppendEntity(out, contents.root, firstRecord);
    AppendTag(out, kItemGroup, kSequenceEnd);
    Append32(out, 0);
    out += contents.afterRecords;
    return out;
}

}  // namespace mirabel
