#include "db/DialectTranslation.h"

#include <gtest/gtest.h>

namespace mirabel {

namespace {

struct TranslationCase {
    const char* in;
    const char* oracle;
    const char* other;  // Access and SQL Server
};

const TranslationCase kCases[] = {
    // Nothing to translate: unchanged everywhere, the star of SELECT * included.
    {"SELECT * FROM Labels", "SELECT * FROM Labels", "SELECT * FROM Labels"},
    {"SELECT EXAM.[Media Type] FROM EXAM", "SELECT EXAM.Media_Type FROM EXAM",
     "SELECT EXAM.[Media Type] FROM EXAM"},
    {"SELECT [EXAM].[ARCHIVE PATH] FROM EXAM", "SELECT EXAM.ARCHIVE_PATH FROM EXAM",
     "SELECT [EXAM].[ARCHIVE PATH] FROM EXAM"},
    {"SELECT [2D] FROM EXAM", "SELECT \"2D\" FROM EXAM", "SELECT [2D] FROM EXAM"},
    {"SELECT [Lock],[lock],[LOCK],[Table],[type],[tYpe] FROM T",
     "SELECT LOCK_,LOCK_,LOCK_,TABLE_,TYPE_,tYpe FROM T",
     "SELECT [Lock],[lock],[LOCK],[Table],[type],[tYpe] FROM T"},
    {"WHERE (EXAM.EXAM_DATE < #03/07/2004 14:05#)",
     "WHERE (EXAM.EXAM_DATE < TO_DATE('03/07/2004 14:05', 'MM/DD/YYYY HH24:MI'))",
     "WHERE (EXAM.EXAM_DATE < #03/07/2004 14:05#)"},
    // Two literals, and one without a time: the mask always carries the time.
    {"D > #01/02/2003# AND D < #03/07/2004 10:00#",
     "D > TO_DATE('01/02/2003', 'MM/DD/YYYY HH24:MI') AND D < TO_DATE('03/07/2004 10:00', "
     "'MM/DD/YYYY HH24:MI')",
     "D > #01/02/2003# AND D < #03/07/2004 10:00#"},
    // A lone number sign stays; a '[' without ']' stops the bracket step only.
    {"WHERE NAME = 'A#1' AND X LIKE 'Smi*'", "WHERE NAME = 'A#1' AND X LIKE 'Smi%'",
     "WHERE NAME = 'A#1' AND X LIKE 'Smi%'"},
    {"WHERE N = '[x' AND D < #01/02/2003# AND L = 'AB*'",
     "WHERE N = '[x' AND D < TO_DATE('01/02/2003', 'MM/DD/YYYY HH24:MI') AND L = 'AB%'",
     "WHERE N = '[x' AND D < #01/02/2003# AND L = 'AB%'"},
    // A ']' before the first '[' stops the bracket step at once.
    {"a] [b c]", "a] [b c]", "a] [b c]"},
};

TEST(TranslateStatement, OracleAndOtherKinds) {
    for (const auto& c : kCases) {
        EXPECT_EQ(TranslateStatement(c.in, true), c.oracle) << c.in;
        EXPECT_EQ(TranslateStatement(c.in, false), c.other) << c.in;
    }
}

TEST(TranslateStatement, BracketPairsAreTakenFromTheStartEachTime) {
    // The first '[' pairs with the first ']' of the whole text, blanks inside become '_'.
    EXPECT_EQ(TranslateStatement("[a b] x [c d] [e]", true), "a_b x c_d e");
    // "[a [b c]" pairs first, leaving "a_[b_c d]", whose brackets pair next.
    EXPECT_EQ(TranslateStatement("[a [b c] d]", true), "a_b_c_d");
}

TEST(QuoteDateLiterals, EveryNumberSignBecomesAQuote) {
    EXPECT_EQ(QuoteDateLiterals("D < #03/07/2004 10:00# AND N = 'A#'"),
              "D < '03/07/2004 10:00' AND N = 'A''");
}

TEST(TranslateFieldName, OracleNaming) {
    EXPECT_EQ(TranslateFieldName("Media Type"), "MEDIA_TYPE");
    EXPECT_EQ(TranslateFieldName("Transfer Date"), "TRANSFER_DATE");
    EXPECT_EQ(TranslateFieldName("Label"), "LABEL");
    EXPECT_EQ(TranslateFieldName("table"), "TABLE_");
    EXPECT_EQ(TranslateFieldName("Type"), "TYPE_");
    EXPECT_EQ(TranslateFieldName("lock"), "LOCK_");
    EXPECT_EQ(TranslateFieldName("TYPES"), "TYPES");
}

}  // namespace

}  // namespace mirabel
