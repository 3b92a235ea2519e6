#pragma once
// How a study shows in the result and write lists: a value per column, or one line in fixed
// columns.
#include <cstddef>
#include <string>
#include <vector>

#include "selection/SearchResult.h"

namespace mirabel {

// The columns of the result list; the write list adds the size of each study's folder.
inline constexpr const char* kResultColumnTitles[] = {"Last Name", "First Name", "MRN",
                                                      "Exam Date", "Type",       "Archived"};
inline constexpr const char* kSizeColumnTitle = "Size (MB)";

// The study's value for each column: the names, MRN, exam date, exam type, "Y" or "N" for
// archived or not and, withSize, its size in megabytes ("-" when it was not measured).
std::vector<std::string> ResultColumns(const SearchResult& result, bool withSize);

// "Last, First" in 23 characters, then two blanks and the MRN up to column 38, the exam date
// up to column 57, the exam type up to column 70, and " Y" or " N" for archived or not.
std::string ResultLine(const SearchResult& result);

// The text cut to `width` characters, or filled up to them with blanks. A character is one
// UTF-8 sequence, so a name is never cut in the middle of a letter.
std::string FitToWidth(const std::string& text, std::size_t width);

}  // namespace mirabel
