#include <charconv>
#include <cstdio>
#include <map>

#include "db/Variant.h"

namespace mirabel {

namespace {

// Names of the types that have no text form of their own, and (for array and by-reference
// values) of every base type.
const std::map<std::uint16_t, const char*>& TypeNames() {
    static const std::map<std::uint16_t, const char*> names = {
        {0, "VT_EMPTY"},
        {1, "VT_NULL"},
        {2, "VT_I2"},
        {3, "VT_I4"},
        {4, "VT_R4"},
        {5, "VT_R8"},
        {6, "VT_CY"},
        {7, "VT_DATE"},
        {8, "VT_BSTR"},
        {9, "VT_DISPATCH"},
        {10, "VT_ERROR"},
        {11, "VT_BOOL"},
        {12, "VT_VARIANT"},
        {13, "VT_UNKNOWN"},
        {16, "VT_I1"},
        {17, "VT_UI1"},
        {18, "VT_UI2"},
        {19, "VT_UI4"},
        {20, "VT_I8"},
        {21, "VT_UI8"},
        {22, "VT_INT"},
        {23, "VT_UINT"},
        {24, "VT_VOID"},
        {25, "VT_HRESULT"},
        {26, "VT_PTR"},
        {27, "VT_SAFEARRAY"},
        {28, "VT_CARRAY"},
        {29, "VT_USERDEFINED"},
        {30, "VT_LPSTR"},
        {31, "VT_LPWSTR"},
        {64, "VT_FILETIME"},
        {65, "VT_BLOB"},
        {66, "VT_STREAM"},
        {67, "VT_STORAGE"},
        {68, "VT_STREAMED_OBJECT"},
        {69, "VT_STORED_OBJECT"},
        {70, "VT_BLOB_OBJECT"},
        {71, "VT_CF"},
        {72, "VT_CLSID"},
    };
    return names;
}

// "%d" without the format machinery: ids are read half a million at a time.
std::string DecimalText(long long value) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

template <typename... Args>
std::string Printf(const char* format, Args... args) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

// Fixed point with the trailing zeros of the fraction dropped: 12.5000 -> "12.5", 3.0 -> "3".
std::string ScaledToText(bool negative, std::uint64_t mantissa, int scale) {
    std::string digits = std::to_string(mantissa);
    if (scale > 0) {
        if (static_cast<int>(digits.size()) <= scale)
            digits.insert(0, static_cast<std::size_t>(scale) - digits.size() + 1, '0');
        digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
        while (digits.back() == '0') digits.pop_back();
        if (digits.back() == '.') digits.pop_back();
    }
    return (negative && digits != "0" ? "-" : "") + digits;
}

std::string CurrencyToText(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                             : static_cast<std::uint64_t>(tenThousandths);
    return ScaledToText(negative, magnitude, 4);
}

std::string FlaggedTypeToText(std::uint16_t type) {
    std::string text = "Fish";
    if (type & VT_ARRAY) text = "Array of ";
    if (type & VT_BYREF) text += "Pointer to ";
    const std::uint16_t base = type & ~(VT_ARRAY | VT_BYREF);
    if (base <= 72) {
        const auto name = TypeNames().find(base);
        if (name != TypeNames().end()) text += name->second;
    }
    return text;
}

}  // namespace

namespace {

// Writes a number with exactly `width` digits (the selection formats half a million dates).
char* PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
    return out + width;
}

}  // namespace

std::string FormatVariantDate(const DateTime& d) {
    std::string text;
    FormatVariantDate(d, text);
    return text;
}

void FormatVariantDate(const DateTime& d, std::string& text) {
    if (d.year < 0 || d.year > 9999) {
        text = Printf("%02d/%02d/%04d %02d:%02d", d.month, d.day, d.year, d.hour, d.minute);
        return;
    }
    char digits[16];  // "MM/DD/YYYY HH:MM"
    char* out = PutDigits(digits, d.month, 2);
    *out++ = '/';
    out = PutDigits(out, d.day, 2);
    *out++ = '/';
    out = PutDigits(out, d.year, 4);
    if (d.hour != 0 || d.minute != 0) {  // at midnight the date only
        *out++ = ' ';
        out = PutDigits(out, d.hour, 2);
        *out++ = ':';
        out = PutDigits(out, d.minute, 2);
    }
    text.assign(digits, out);
}

std::string FormatIsoDateTime(const DateTime& d) {
    return Printf("%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute,
                  d.second);
}

namespace {

// Reads minWidth to maxWidth decimal digits from text at pos.
bool ReadNumber(std::string_view text, std::size_t& pos, std::size_t minWidth, std::size_t maxWidth,
                int& value) {
    value = 0;
    std::size_t digits = 0;
    while (pos < text.size() && digits < maxWidth && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos++] - '0');
        ++digits;
    }
    return digits >= minWidth;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

bool ReadCalendarDate(std::string_view text, std::size_t& pos, DateTime& d) {
    if (text.size() >= 10 && text[4] == '-')  // ISO: YYYY-MM-DD
        return ReadNumber(text, pos, 4, 4, d.year) && Expect(text, pos, '-') &&
               ReadNumber(text, pos, 1, 2, d.month) && Expect(text, pos, '-') &&
               ReadNumber(text, pos, 1, 2, d.day);
    return ReadNumber(text, pos, 1, 2, d.month) && Expect(text, pos, '/') &&
           ReadNumber(text, pos, 1, 2, d.day) && Expect(text, pos, '/') &&
           ReadNumber(text, pos, 4, 4, d.year);
}

// " HH:MM[:SS[.fraction]]" or "THH:MM..."; nothing at all is midnight.
bool ReadTimeOfDay(std::string_view text, std::size_t& pos, DateTime& d) {
    d.hour = d.minute = d.second = 0;
    if (pos == text.size()) return true;
    if (text[pos] != ' ' && text[pos] != 'T') return false;
    ++pos;
    if (!(ReadNumber(text, pos, 1, 2, d.hour) && Expect(text, pos, ':') &&
          ReadNumber(text, pos, 2, 2, d.minute)))
        return false;
    if (pos < text.size() && text[pos] == ':' && !ReadNumber(text, ++pos, 2, 2, d.second))
        return false;
    if (pos < text.size() && text[pos] == '.') pos = text.find_first_not_of("0123456789", pos + 1);
    return pos == std::string::npos || pos == text.size();
}

}  // namespace

bool ParseDateTime(std::string_view text, DateTime& date) {
    DateTime parsed;
    std::size_t pos = 0;
    if (!ReadCalendarDate(text, pos, parsed) || !ReadTimeOfDay(text, pos, parsed)) return false;
    if (parsed.month < 1 || parsed.month > 12 || parsed.day < 1 || parsed.day > 31 ||
        parsed.hour > 23 || parsed.minute > 59 || parsed.second > 60)
        return false;
    date = parsed;
    return true;
}

std::string VariantToString(Variant&& value) {
    if (value.type == VT_BSTR) return std::move(value.text);
    return VariantToString(static_cast<const Variant&>(value));
}

std::string VariantToString(const Variant& value) {
    switch (value.type) {
        case VT_EMPTY:
        case VT_NULL:
            return "NULL";
        case VT_I2:
            return DecimalText(static_cast<short>(value.integer));
        case VT_I4:
            return DecimalText(static_cast<int>(value.integer));
        case VT_R4:
        case VT_R8:
            return Printf("%e", value.real);
        case VT_CY:
            return CurrencyToText(value.integer);
        case VT_DATE:
            return FormatVariantDate(value.date);
        case VT_BSTR:
            return value.text;
        case VT_BOOL:
            return Printf("%d", static_cast<int>(static_cast<short>(value.integer)));
        case VT_DECIMAL:
            return ScaledToText(value.decimal.negative, value.decimal.mantissa,
                                value.decimal.scale);
        case VT_UI1:
            return Printf("0x%02hX", static_cast<unsigned short>(value.integer & 0xFF));
        default:
            break;
    }
    if ((value.type & (VT_ARRAY | VT_BYREF)) == 0) {
        // Types with a text form of their own were handled above; the rest read as their name.
        const auto name = TypeNames().find(value.type);
        return name != TypeNames().end() ? name->second : "Fish";
    }
    return FlaggedTypeToText(value.type);
}

}  // namespace mirabel
