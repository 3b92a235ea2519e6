#include "selection/ArchiveSearch.h"

#include "db/ArchiveValue.h"
#include "db/DatabaseError.h"
#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"
#include "db/ImageDatabase.h"
#include "db/MediaTypeColumn.h"
#include "selection/SearchValues.h"

namespace mirabel {

namespace {

// The order in which GetRows hands over the values of each row.
enum SearchField {
    kLastName,
    kFirstName,
    kMrn,
    kExamDate,
    kExamType,
    kArchiveValue,
    kImagePath,
    kExamId,
    kPatientId,
    kFieldCount
};

std::vector<std::string> SearchFields(const std::string& archiveColumn) {
    // The statement names the archive column in brackets, which the Oracle translation turns
    // into the server's spelling; the value must be read under that same spelling.
    const std::string column = g_bOracleSyntax ? TranslateFieldName(archiveColumn) : archiveColumn;
    return {"NAME_L", "NAME_F",     "IUH_ID",  "EXAM_DATE", "EXAM_TYPE",
            column,   "IMAGE_PATH", "EXAM_ID", "PAT_ID"};
}

std::vector<std::string> SearchConditions(const SearchForm& form, const std::string& column,
                                          DatabaseKind kind) {
    std::vector<std::string> conditions = {"[PATIENT].PAT_ID = [EXAM].PAT_ID"};
    auto likePrefix = [&](const char* field, const std::string& typed) {
        if (!typed.empty())
            conditions.push_back(std::string(field) + " Like '" + LikePrefixText(typed) + "*'");
    };
    likePrefix("[PATIENT].[NAME_F]", form.m_strFirstName);
    likePrefix("[PATIENT].[NAME_L]", form.m_strLastName);
    likePrefix("[PATIENT].[IUH_ID]", form.m_strMrn);
    if (!form.m_strDateFrom.empty())
        conditions.push_back("[EXAM].[EXAM_DATE] >= #" + form.m_strDateFrom + "#");
    if (!form.m_strDateTo.empty())
        conditions.push_back("[EXAM].[EXAM_DATE] <= #" + form.m_strDateTo + " 23:59#");
    if (form.m_bNonArchivedOnly)
        conditions.push_back(NotArchivedCondition(kind, "[EXAM].[" + column + "]"));
    if (!form.mediaType.empty())
        conditions.push_back("[EXAM].[" + MediaTypeColumn(kind) + "] = '" +
                             LikePrefixText(form.mediaType) + "'");
    conditions.push_back("EXAM.OLD_CVS <> 1");
    return conditions;
}

std::string JoinConditions(const std::vector<std::string>& conditions) {
    std::string joined = conditions.size() > 1 ? "(" : "";
    for (std::size_t i = 0; i < conditions.size(); ++i)
        joined += (i ? " AND (" : "(") + conditions[i] + ")";
    if (conditions.size() > 1) joined += ")";
    return joined;
}

std::vector<SearchResult> ResultsFromRows(std::vector<std::string>& values) {
    std::vector<SearchResult> results;
    results.reserve(values.size() / kFieldCount);
    for (std::size_t row = 0; row + kFieldCount <= values.size(); row += kFieldCount) {
        std::string* v = &values[row];
        SearchResult& result = results.emplace_back();
        result.m_strFirstName = std::move(v[kFirstName]);
        result.m_strLastName = std::move(v[kLastName]);
        result.m_strMrn = std::move(v[kMrn]);
        result.m_strExamDate = std::move(v[kExamDate]);
        result.m_strArchiveValue = std::move(v[kArchiveValue]);
        result.m_strImagePath = std::move(v[kImagePath]);
        result.m_strExamId = std::move(v[kExamId]);
        result.m_strExamType = std::move(v[kExamType]);
        result.m_strPatientId = std::move(v[kPatientId]);
    }
    return results;
}

}  // namespace

SearchOutcome CheckSearchDates(SearchForm& form) {
    std::optional<std::string> from, to;
    if (!form.m_strDateFrom.empty() && !(from = SearchDate(form.m_strDateFrom)))
        return SearchOutcome::DateFromNotADate;
    if (!form.m_strDateTo.empty() && !(to = SearchDate(form.m_strDateTo)))
        return SearchOutcome::DateToNotADate;
    if (from) form.m_strDateFrom = *from;
    if (to) form.m_strDateTo = *to;
    return SearchOutcome::Searched;
}

std::string BuildArchiveSearchStatement(const SearchForm& form, const std::string& archiveColumn,
                                        DatabaseKind kind) {
    return "SELECT [PATIENT].[NAME_L], [PATIENT].[IUH_ID] , [PATIENT].[NAME_F], "
           "[EXAM].[EXAM_DATE], [EXAM].[EXAM_TYPE], [EXAM].[" +
           archiveColumn +
           "], [EXAM].[IMAGE_PATH] , [EXAM].[EXAM_ID] , [PATIENT].[PAT_ID] FROM EXAM, PATIENT "
           "WHERE " +
           JoinConditions(SearchConditions(form, archiveColumn, kind)) +
           " ORDER BY EXAM.EXAM_DATE DESC";
}

std::optional<std::vector<SearchResult>> ReadSearchResults(const ArchiverConfig& config,
                                                           const std::string& statement,
                                                           std::string& failure) {
    HandleScope handles;
    ImageStatement opened;
    try {
        opened = OpenImageStatement(handles, config, statement);
    } catch (const DatabaseError& error) {
        failure = error.Reason();
        return std::nullopt;
    }
    std::vector<std::string> values;
    // Not checked: a read that fails halfway keeps the rows read before it.
    GetRows(opened.rs, SearchFields(config.m_strDbField), values, kMaxSearchResults);
    CloseImageStatement(handles, opened);
    return ResultsFromRows(values);
}

}  // namespace mirabel
