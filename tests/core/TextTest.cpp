#include "core/Text.h"

#include <gtest/gtest.h>

#include <climits>

#include "core/TextFile.h"
#include "fixtures/TempDir.h"

namespace mirabel {

namespace {

TEST(Text, LeadingIntegerReadsLikeAtoiAndStopsAtTheLimits) {
    const struct {
        const char* text;
        long long expected;
    } cases[] = {
        {"42", 42},
        {"  -7x", -7},
        {"+5", 5},
        {"\t\n\v\f\r 12", 12},
        {"07", 7},
        {"x3", 0},
        {"", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"0x1F", 0},
        {"9223372036854775807", LLONG_MAX},
        {"9223372036854775808", LLONG_MAX},
        {"-9223372036854775808", LLONG_MIN},
        {"-99999999999999999999", LLONG_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(LeadingInteger(c.text), c.expected) << c.text;

    EXPECT_EQ(LeadingIntegerWithin("3000000000", INT_MIN, INT_MAX), INT_MAX);
    EXPECT_EQ(LeadingIntegerWithin("-99999999999999999999", -100, 100), -100);
    EXPECT_EQ(LeadingIntegerWithin("55", -100, 100), 55);
}

TEST(Text, CaseFoldingTouchesOnlyAsciiLetters) {
    // Bytes beyond ASCII (here Latin-1 e acute and E acute) and the neighbours of the letter
    // ranges keep their values, whatever the locale.
    EXPECT_EQ(ToAsciiUpper("az\xe9@[`{"), "AZ\xe9@[`{");
    EXPECT_EQ(ToAsciiLower("AZ\xc9@[`{"), "az\xc9@[`{");
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"EXAM_ID", "exam_id", true},
        {"Media Type", "MEDIA TYPE", true},
        {"Exam", "Exams", false},
        {"\xe9", "\xc9", false},
        {"@", "`", false},
        {"", "", true},
    };
    for (const auto& c : cases) EXPECT_EQ(EqualIgnoringCase(c.a, c.b), c.equal) << c.a;
}

TEST(Text, FirstLineEndsAtTheFirstLineFeedWithoutItsLineEnd) {
    const struct {
        const char* text;
        const char* line;
    } cases[] = {
        {"abc\r\ndef", "abc"}, {"abc\ndef\n", "abc"}, {"abc", "abc"}, {"abc\r", "abc"},
        {"a\rb\n", "a\rb"},    {"\r\nabc", ""},       {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FirstLine(c.text), c.line) << c.text;
}

TEST(TextFile, AMissingFileHasNoFirstLineAnEmptyOneHasAnEmptyLine) {
    TempDir dir;
    WriteFileBytes(dir / "label.txt", "DVD0042\r\nsecond");
    WriteFileBytes(dir / "empty.txt", "");
    EXPECT_EQ(ReadFirstLine(dir / "label.txt"), "DVD0042");
    EXPECT_EQ(ReadFirstLine(dir / "empty.txt"), "");
    EXPECT_EQ(ReadFirstLine(dir / "missing.txt"), std::nullopt);
}

}  // namespace

}  // namespace mirabel
