#pragma once
// The register of every label ever given to a removable archive medium: table Labels (column
// Label) in "remlabels.mdb" in the current directory. The program never creates the file.
#include <string>

namespace mirabel {

inline constexpr const char* kLabelDatabaseFile = "remlabels.mdb";

// 1 when at least one row of Labels holds exactly this label; 0 when none does, and on any
// failure (which the connection layer logs). A label with quotes is looked up as written.
int LabelExists(const std::string& label);

// Registers the label; 1 once the row was started, 0 when the database or table could not be
// opened. Never throws.
[[nodiscard]] int AddLabel(const std::string& label);

// 'text' as a quoted SQL literal: quotes inside are doubled.
std::string QuotedSqlText(const std::string& text);

}  // namespace mirabel
