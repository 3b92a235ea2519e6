#pragma once
// Which EXAM column may hold the archive value. Every study whose column is empty is archived
// and later removed on the strength of that value, so the column must be one of its own: never
// a nameless one, never one the system itself reads or sends (overwriting IMAGE_PATH or Media
// Type would corrupt the image system's rows, and a column that is never null would hide every
// study from archiving).
#include <optional>
#include <string>

namespace mirabel {

// The column of the Archive method, whatever DBField holds.
inline constexpr const char* kArchiveMethodColumn = "ARCHIVE_PATH";

// Why the name cannot be the archive column (the error-log text); nullopt when it can. Names
// are compared ignoring case and with blanks read as '_', as an Oracle schema names them.
std::optional<std::string> ArchiveColumnRefusal(const std::string& column);

// The archive column of a method: under Archive always kArchiveMethodColumn, under Replicate
// the stored DBField.
std::string ArchiveColumnOfMethod(bool replicate, const std::string& storedField);

}  // namespace mirabel
