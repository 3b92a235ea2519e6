#pragma once
// A study's files as the catalog keeps them in one text column: a line a file, its fields
// ended by "/" but the last. A name listed in cv.dir never holds a "/" (a name in a sub-folder is
// neither archived nor removed), so the fields cannot run into each other.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirabel {

// One line: the fields joined by "/", ended by a line break.
std::string FileLine(const std::vector<std::string>& fields);

// Each line split into its fields; nullopt for a line that does not have exactly `count`.
std::vector<std::optional<std::vector<std::string>>> FileLineFields(const std::string& text,
                                                                    std::size_t count);

// A size field read back; 0 for anything but digits.
std::uint64_t SizeField(const std::string& field);

}  // namespace mirabel
