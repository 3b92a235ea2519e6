#pragma once
// What the operator types into the search form, made fit for the search statement.
#include <optional>
#include <string>

namespace mirabel {

// A typed name or MRN as the text of a LIKE prefix between single quotes. Quotes are doubled,
// so that O'Brien is found and no typed text can end the quoted value early. '#', '[' and ']'
// become '_' (any one character): the dialect translation rewrites them as date-literal and
// name delimiters wherever they stand, which would tear the statement apart.
std::string LikePrefixText(const std::string& typed);

// A typed exam date, M/D/YYYY with blanks around it allowed, as MM/DD/YYYY; nullopt when it is
// not a day of the calendar. The statement places it between number signs unquoted, so only
// a real date may reach it.
std::optional<std::string> SearchDate(const std::string& typed);

}  // namespace mirabel
