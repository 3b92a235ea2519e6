#pragma once
// The manual search of the image system's database: studies by name, MRN, exam date range and
// archive state, newest exam first, at most 5,000.
#include <optional>
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "selection/SearchResult.h"

namespace mirabel {

inline constexpr int kMaxSearchResults = 5000;

// The search form as the operator filled it in. Empty fields do not restrict the search.
struct SearchForm {
    std::string m_strFirstName{};  // prefix of NAME_F
    std::string m_strLastName{};   // prefix of NAME_L
    std::string m_strMrn{};        // prefix of IUH_ID
    std::string m_strDateFrom{};   // first exam day, MM/DD/YYYY
    std::string m_strDateTo{};     // last exam day, MM/DD/YYYY, up to 23:59
    bool m_bNonArchivedOnly = true;
    std::string mediaType{};  // only studies of this media type ("Archive": removed); any if empty
};

enum class SearchOutcome {
    Searched,              // the results were replaced (by nothing, when nothing was found)
    DatabaseFailed,        // the database could not be searched: the results are empty
    ConnectionIncomplete,  // the connection values are not all there: nothing was done
    DateFromNotADate,      // Date From holds text that is not a date: nothing was done
    DateToNotADate,        // likewise Date To
};

// Puts the form's dates into the form the statement needs; the outcome names the first date
// field that does not hold a date (the form is then unchanged), else Searched.
SearchOutcome CheckSearchDates(SearchForm& form);

// The search statement (Access dialect) for a form whose dates were checked, on a database of
// the given kind.
std::string BuildArchiveSearchStatement(const SearchForm& form, const std::string& archiveColumn,
                                        DatabaseKind kind);

// Runs the statement on the image system's database; up to kMaxSearchResults studies in the
// statement's order. nullopt when the database cannot be reached or refuses the statement:
// failure says why (the database layer has logged it).
std::optional<std::vector<SearchResult>> ReadSearchResults(const ArchiverConfig& config,
                                                           const std::string& statement,
                                                           std::string& failure);

}  // namespace mirabel
