#pragma once
// A DICOMDIR held in memory as the writer needs it: the tree of directory records, each with
// its elements already encoded, so that writing the DICOMDIR back is laying out bytes and
// filling in the offsets that link the records.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mirabel {

// The record types the writer finds and creates; records of any other type (made by other
// tools) are kept as they are.
enum class RecordLevel { Patient, Study, Series, Image, Other };

struct DirectoryRecord {
    RecordLevel level = RecordLevel::Other;
    // The values the record is found by (see RecordIndex); empty for other types.
    std::string key;
    // 0xFFFF for a record in use, 0 for one another tool marked inactive.
    std::uint16_t inUse = 0xFFFF;
    // Every element after the two offsets (from the record type on), encoded as written.
    std::string elements;
    std::vector<std::unique_ptr<DirectoryRecord>> children;
};

struct DicomDirContents {
    // Preamble, "DICM" and the file meta information, as written.
    std::string metaHeader;
    // Encoded elements of the data set around the offsets of the root's first and last record
    // (the file-set id before them, the consistency flag between them and the records) and
    // any after the record sequence.
    std::string beforeRootOffsets;
    std::string beforeRecords;
    std::string afterRecords;
    // Its children are the records of the root directory entity.
    DirectoryRecord root;
};

}  // namespace mirabel
