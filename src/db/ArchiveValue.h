#pragma once
// When a study counts as archived. Its archive column must hold a value with something besides
// blanks in it: other programs beside the image system write '' or blanks where they mean "not
// archived", and Oracle stores '' as NULL anyway. So an empty or blank value is no archive, for
// the archive selection and its count, the manual search and the deletion candidates alike.
#include <string>
#include <string_view>

#include "core/ArchiverConfig.h"

namespace mirabel {

// True when the value, as read from the archive column, records an archive.
bool IsArchiveValue(std::string_view value);

// The condition, in the Access dialect, that the column (a reference such as
// "EXAM.[ARCHIVE_PATH]") records an archive, or that it does not. The database kind picks a
// form that holds on that engine, where '' may be NULL or blanks may be padding.
std::string ArchivedCondition(DatabaseKind kind, const std::string& column);
std::string NotArchivedCondition(DatabaseKind kind, const std::string& column);

}  // namespace mirabel
