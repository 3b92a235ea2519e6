#include "db/DialectTranslation.h"

#include <algorithm>

#include "core/Text.h"

namespace mirabel {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

namespace {

// Oracle wants reserved words and names starting with a digit spelled differently.
void RenameOracleReservedNames(std::string& text) {
    ReplaceAll(text, "[2D]", "[\"2D\"]");
    for (const char* word : {"LOCK", "TABLE", "TYPE"}) {
        const std::string upper = word;
        const std::string lower = ToAsciiLower(upper);
        const std::string capital = upper.substr(0, 1) + lower.substr(1);
        for (const std::string& spelling : {upper, capital, lower})
            ReplaceAll(text, "[" + spelling + "]", upper + "_");
    }
}

// [Media Type] -> Media_Type, innermost-first is not needed: the first '[' and the first ']'
// of the whole text are paired each time, and the scan starts again from the beginning.
void RemoveBrackets(std::string& text) {
    for (;;) {
        const std::size_t open = text.find('[');
        const std::size_t close = text.find(']');
        if (open == std::string::npos || close == std::string::npos || open > close) return;
        std::string inner = text.substr(open + 1, close - open - 1);
        std::replace(inner.begin(), inner.end(), ' ', '_');
        text = text.substr(0, open) + inner + text.substr(close + 1);
    }
}

void ConvertDateLiteralsToToDate(std::string& text) {
    for (;;) {
        const std::size_t open = text.find('#');
        if (open == std::string::npos) return;
        const std::size_t close = text.find('#', open + 1);
        if (close == std::string::npos) return;
        text = text.substr(0, open) + "TO_DATE('" + text.substr(open + 1, close - open - 1) +
               "', 'MM/DD/YYYY HH24:MI')" + text.substr(close + 1);
    }
}

void ConvertTrailingWildcards(std::string& text) {
    for (std::size_t pos = text.find("*'"); pos != std::string::npos; pos = text.find("*'"))
        text[pos] = '%';
}

}  // namespace

std::string TranslateStatement(std::string statement, bool oracleSyntax) {
    if (oracleSyntax) {
        RenameOracleReservedNames(statement);
        RemoveBrackets(statement);
        ConvertDateLiteralsToToDate(statement);
    }
    ConvertTrailingWildcards(statement);
    return statement;
}

std::string QuoteDateLiterals(std::string statement) {
    std::replace(statement.begin(), statement.end(), '#', '\'');
    return statement;
}

std::string TranslateFieldName(std::string fieldName) {
    std::replace(fieldName.begin(), fieldName.end(), ' ', '_');
    fieldName = ToAsciiUpper(std::move(fieldName));
    if (fieldName == "TABLE" || fieldName == "TYPE" || fieldName == "LOCK") fieldName += '_';
    return fieldName;
}

std::string QuotedName(const std::string& name) {
    std::string quoted = name;
    ReplaceAll(quoted, "\"", "\"\"");
    return "\"" + quoted + "\"";
}

}  // namespace mirabel
