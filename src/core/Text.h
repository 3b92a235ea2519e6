#pragma once
// The text rules the whole program shares. Text is single-byte: case folding touches only the
// ASCII letters A to Z, whatever the locale, so names compare the same on every machine and
// bytes beyond ASCII keep their values.
#include <initializer_list>
#include <string>
#include <string_view>

namespace mirabel {

char AsciiLower(char c);
char AsciiUpper(char c);
std::string ToAsciiLower(std::string text);
std::string ToAsciiUpper(std::string text);
// Equal when the texts differ at most in the case of ASCII letters.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// The leading integer of a text, read like C's atoi: leading white space, an optional sign,
// then the decimal digits up to the first other character ("07" is 7, " -5x" is -5, "x" and
// "" are 0). A number beyond the type's range stops at its limit instead of overflowing.
long long LeadingInteger(std::string_view text);
// The same, held within [min, max].
int LeadingIntegerWithin(std::string_view text, int min, int max);

// True when the text is not empty and every character is one of 0 to 9 (no sign, no blank).
bool AllDigits(std::string_view text);

// A reason as a message box says it: "another run is in progress in this directory" becomes
// "Another run is in progress in this directory.".
std::string AsSentence(std::string reason);

// The text up to its first line feed, without the line end (LF or CR LF); the whole text when
// it holds no line feed (a CR at its very end is dropped as well).
std::string_view FirstLine(std::string_view text);

// The parts one after the other, in one allocation (texts and the views records hand out).
std::string Concat(std::initializer_list<std::string_view> parts);

}  // namespace mirabel
