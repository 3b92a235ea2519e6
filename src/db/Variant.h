#pragma once
// A database value as the connection layer hands it on: a 16-bit type code (the numbering of
// the Windows VARIANT types, which the image system's tools and logs use) and the value.
// Engines map their own column types onto these codes; VariantToString turns them into text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirabel {

enum VariantType : std::uint16_t {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_BOOL = 11,
    VT_DECIMAL = 14,
    VT_UI1 = 17,
    VT_I8 = 20,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

struct DateTime {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// An exact decimal: value = (negative ? -1 : 1) * mantissa / 10^scale.
struct Decimal {
    std::uint64_t mantissa = 0;
    int scale = 0;
    bool negative = false;
};

struct Variant {
    std::uint16_t type = VT_EMPTY;
    std::int64_t integer = 0;  // VT_I2, VT_I4, VT_I8, VT_BOOL (0 / -1), VT_UI1, VT_CY (x 10000)
    double real = 0;           // VT_R4, VT_R8
    std::string text;          // VT_BSTR
    DateTime date;             // VT_DATE
    Decimal decimal;           // VT_DECIMAL
    std::vector<unsigned char> bytes;  // VT_ARRAY | VT_UI1

    static Variant Null() { return Of(VT_NULL); }
    static Variant Integer(std::uint16_t type, std::int64_t value) {
        Variant v = Of(type);
        v.integer = value;
        return v;
    }
    static Variant Real(double value) {
        Variant v = Of(VT_R8);
        v.real = value;
        return v;
    }
    static Variant Text(std::string value) {
        Variant v = Of(VT_BSTR);
        v.text = std::move(value);
        return v;
    }
    static Variant Date(DateTime value) {
        Variant v = Of(VT_DATE);
        v.date = value;
        return v;
    }
    static Variant Bool(bool value) { return Integer(VT_BOOL, value ? -1 : 0); }
    static Variant Of(std::uint16_t type) {
        Variant v;
        v.type = type;
        return v;
    }
};

// The one rule by which a database value becomes text:
//   empty/null "NULL"; VT_I2 "%hd"; VT_I4 "%d"; VT_R4/VT_R8 "%e"; VT_CY plain decimal;
//   VT_DATE "%m/%d/%Y %H:%M", cut to the date at exactly midnight; VT_BSTR the text;
//   VT_BOOL "-1"/"0"; VT_DECIMAL its decimal digits; VT_UI1 "0x%02hX"; other known types
//   their name ("VT_I8", ...); unknown types "Fish". A type with the array flag reads
//   "Array of ", the by-reference flag appends "Pointer to " (to "Fish" when it stands alone),
//   then the base type's name follows (bytes: "Array of VT_UI1").
std::string VariantToString(const Variant& value);
// The same, taking over the text of a string value instead of copying it.
std::string VariantToString(Variant&& value);

// "%m/%d/%Y %H:%M" with the midnight rule above; also used for date literals in statements.
std::string FormatVariantDate(const DateTime& date);
// The same, written into `text`.
void FormatVariantDate(const DateTime& date, std::string& text);

// Parses "YYYY-MM-DD[ HH:MM[:SS[.fff]]]" (ISO, also with 'T') or "MM/DD/YYYY[ HH:MM[:SS]]".
// False when the text is neither.
[[nodiscard]] bool ParseDateTime(std::string_view text, DateTime& date);

// "YYYY-MM-DD HH:MM:SS", the stored form of dates in the embedded database.
std::string FormatIsoDateTime(const DateTime& date);

}  // namespace mirabel
