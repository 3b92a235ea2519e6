#include "core/Text.h"

#include <algorithm>
#include <climits>

namespace mirabel {

namespace {

bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string ToAsciiLower(std::string text) {
    std::ranges::transform(text, text.begin(), AsciiLower);
    return text;
}

std::string ToAsciiUpper(std::string text) {
    std::ranges::transform(text, text.begin(), AsciiUpper);
    return text;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

long long LeadingInteger(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsCSpace(text[pos])) ++pos;
    const bool negative = pos < text.size() && text[pos] == '-';
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) ++pos;
    // Accumulated on the negative side, which holds one more value than the positive one.
    long long value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        const int digit = text[pos] - '0';
        if (value < (LLONG_MIN + digit) / 10) return negative ? LLONG_MIN : LLONG_MAX;
        value = value * 10 - digit;
    }
    if (negative) return value;
    return value == LLONG_MIN ? LLONG_MAX : -value;
}

int LeadingIntegerWithin(std::string_view text, int min, int max) {
    return static_cast<int>(std::clamp<long long>(LeadingInteger(text), min, max));
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::ranges::all_of(text, IsDigit);
}

std::string AsSentence(std::string reason) {
    if (!reason.empty()) reason[0] = AsciiUpper(reason[0]);
    return reason + ".";
}

std::string_view FirstLine(std::string_view text) {
    std::string_view line = text.substr(0, text.find('\n'));
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

std::string Concat(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (std::string_view part : parts) size += part.size();
    std::string text;
    text.reserve(size);
    for (std::string_view part : parts) text += part;
    return text;
}

}  // namespace mirabel
