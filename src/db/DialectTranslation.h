#pragma once
// Statements are written once in the Access dialect (bracketed names, #MM/DD/YYYY HH:MM# date
// literals, '*' as the trailing LIKE wildcard). These pure text rewrites adapt them to the
// database actually connected. They work on the whole text by plain search and replace and do
// not tell names from quoted values.
#include <string>

namespace mirabel {

// Every statement passes here before it is opened. With oracleSyntax the Oracle rewrites run
// (quoted [2D], reserved-word names, brackets removed with blanks turned into '_', date
// literals turned into TO_DATE calls); the wildcard rewrite ("*'" -> "%'") runs for every kind.
std::string TranslateStatement(std::string statement, bool oracleSyntax);

// The retry of a rejected statement: every '#' becomes a single quote.
std::string QuoteDateLiterals(std::string statement);

// A field name under Oracle naming: blanks to '_', upper case, TABLE/TYPE/LOCK get a trailing '_'.
std::string TranslateFieldName(std::string fieldName);

// A name as a standard SQL quoted identifier: between double quotes, each inner one doubled.
std::string QuotedName(const std::string& name);

// Replaces every occurrence of `from` by `to`, scanning left to right over the original text.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to);

}  // namespace mirabel
