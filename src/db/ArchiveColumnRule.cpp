#include "db/ArchiveColumnRule.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "db/DialectTranslation.h"

namespace mirabel {

namespace {

// The EXAM columns the selection, the deletion and the table data for another image server
// read, or the archive run writes besides the archive column.
constexpr std::array kSystemColumns = {
    "EXAM_ID",     "PAT_ID",     "IMAGE_PATH", "EXAM_DATE",  "READER",     "PRELIM",
    "OLD_CVS",     "Media Type", "EXAM_TYPE",  "EXAM_LOC",   "BP_SYS",     "BP_DIA",
    "HR",          "VIDEO_TAPE", "HEIGHT",     "WEIGHT",     "REFER_DOC",  "ORDER_DOC",
    "SONOGRAPHER", "ADMIT_DIAG", "PROCEDURES", "ADMIT_CODE", "DOC_TO_READ"};

bool IsSystemColumn(const std::string& column) {
    const std::string wanted = TranslateFieldName(column);
    return std::any_of(kSystemColumns.begin(), kSystemColumns.end(),
                       [&](const char* own) { return TranslateFieldName(own) == wanted; });
}

// A bracket ends the quoted name early in every statement that names the column; a control
// character has no place in a column name.
bool BreaksStatements(const std::string& column) {
    return std::any_of(column.begin(), column.end(), [](unsigned char c) {
        return c == '[' || c == ']' || std::iscntrl(c) != 0;
    });
}

}  // namespace

std::optional<std::string> ArchiveColumnRefusal(const std::string& column) {
    if (column.empty()) return "No archive column is set: no study is selected for archiving";
    if (BreaksStatements(column))
        return "The archive column name cannot be used in a statement: no study is selected for "
               "archiving";
    if (IsSystemColumn(column))
        return "The archive column " + column +
               " is a column the system itself uses: no study is selected for archiving";
    return std::nullopt;
}

std::string ArchiveColumnOfMethod(bool replicate, const std::string& storedField) {
    return replicate ? storedField : kArchiveMethodColumn;
}

}  // namespace mirabel
