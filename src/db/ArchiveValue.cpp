#include "db/ArchiveValue.h"

#include <algorithm>

namespace mirabel {

namespace {

// The value without its outer blanks, as every engine trims it.
std::string Trimmed(const std::string& column) {
    return "LTRIM(RTRIM(" + column + "))";
}

}  // namespace

bool IsArchiveValue(std::string_view value) {
    return std::any_of(value.begin(), value.end(), [](char c) { return c != ' '; });
}

// Access knows no NULLIF; the other engines take it, and on Oracle, where a trimmed blank value
// is NULL and every comparison with '' is unknown, it is the one form that holds.
std::string ArchivedCondition(DatabaseKind kind, const std::string& column) {
    if (kind == DatabaseKind::Jet) return "(" + Trimmed(column) + " <> '')";
    return "(NULLIF(" + Trimmed(column) + ", '') IS NOT NULL)";
}

std::string NotArchivedCondition(DatabaseKind kind, const std::string& column) {
    if (kind == DatabaseKind::Jet)
        return "((" + column + " Is Null) OR (" + Trimmed(column) + " = ''))";
    return "(NULLIF(" + Trimmed(column) + ", '') IS NULL)";
}

}  // namespace mirabel
