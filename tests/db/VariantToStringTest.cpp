#include <gtest/gtest.h>

#include "db/Variant.h"

namespace mirabel {

namespace {

Variant Typed(std::uint16_t type) {
    return Variant::Of(type);
}

TEST(VariantToString, ValuesWithATextOfTheirOwn) {
    EXPECT_EQ(VariantToString(Variant::Null()), "NULL");
    EXPECT_EQ(VariantToString(Typed(VT_EMPTY)), "NULL");
    EXPECT_EQ(VariantToString(Variant::Integer(VT_I2, -12)), "-12");
    EXPECT_EQ(VariantToString(Variant::Integer(VT_I4, 1234567)), "1234567");
    EXPECT_EQ(VariantToString(Variant::Real(1.5)), "1.500000e+00");
    Variant single = Variant::Real(71.5);
    single.type = VT_R4;
    EXPECT_EQ(VariantToString(single), "7.150000e+01");
    EXPECT_EQ(VariantToString(Variant::Integer(VT_CY, 123400)), "12.34");
    EXPECT_EQ(VariantToString(Variant::Integer(VT_CY, -50000)), "-5");
    EXPECT_EQ(VariantToString(Variant::Text("O'Brien")), "O'Brien");
    EXPECT_EQ(VariantToString(Variant::Bool(true)), "-1");
    EXPECT_EQ(VariantToString(Variant::Bool(false)), "0");
    EXPECT_EQ(VariantToString(Variant::Integer(VT_UI1, 10)), "0x0A");
}

TEST(VariantToString, DatesDropAMidnightTime) {
    EXPECT_EQ(VariantToString(Variant::Date({2004, 3, 7, 14, 5, 59})), "03/07/2004 14:05");
    EXPECT_EQ(VariantToString(Variant::Date({2004, 3, 7, 0, 0, 0})), "03/07/2004");
    // Seconds do not count: 00:00:30 is still shown as the bare date.
    EXPECT_EQ(VariantToString(Variant::Date({2004, 3, 7, 0, 0, 30})), "03/07/2004");
}

TEST(VariantToString, DecimalsReadAsTheirDigits) {
    Variant id = Typed(VT_DECIMAL);
    id.decimal = {1234, 0, false};
    EXPECT_EQ(VariantToString(id), "1234");
    id.decimal = {705, 1, true};
    EXPECT_EQ(VariantToString(id), "-70.5");
    id.decimal = {5, 3, false};
    EXPECT_EQ(VariantToString(id), "0.005");
    id.decimal = {12345678901234ULL, 0, false};
    EXPECT_EQ(VariantToString(id), "12345678901234");
}

TEST(VariantToString, TypesWithoutTextReadAsTheirName) {
    EXPECT_EQ(VariantToString(Typed(9)), "VT_DISPATCH");
    EXPECT_EQ(VariantToString(Typed(16)), "VT_I1");
    EXPECT_EQ(VariantToString(Typed(VT_I8)), "VT_I8");
    EXPECT_EQ(VariantToString(Typed(31)), "VT_LPWSTR");
    EXPECT_EQ(VariantToString(Typed(64)), "VT_FILETIME");
    EXPECT_EQ(VariantToString(Typed(72)), "VT_CLSID");
    EXPECT_EQ(VariantToString(Typed(15)), "Fish");
    EXPECT_EQ(VariantToString(Typed(32)), "Fish");
    EXPECT_EQ(VariantToString(Typed(73)), "Fish");
}

TEST(VariantToString, ArrayAndReferenceForms) {
    EXPECT_EQ(VariantToString(Typed(VT_ARRAY | VT_UI1)), "Array of VT_UI1");
    // "Pointer to " is appended to the text so far, which without the array flag is "Fish".
    EXPECT_EQ(VariantToString(Typed(VT_BYREF | VT_BSTR)), "FishPointer to VT_BSTR");
    EXPECT_EQ(VariantToString(Typed(VT_ARRAY | VT_BYREF | VT_I4)), "Array of Pointer to VT_I4");
    EXPECT_EQ(VariantToString(Typed(VT_ARRAY | VT_EMPTY)), "Array of VT_EMPTY");
    EXPECT_EQ(VariantToString(Typed(VT_ARRAY | 72)), "Array of VT_CLSID");
    // A base type beyond the table of names gets no name.
    EXPECT_EQ(VariantToString(Typed(VT_ARRAY | 100)), "Array of ");
    EXPECT_EQ(VariantToString(Typed(VT_BYREF | VT_DECIMAL)), "FishPointer to ");
    EXPECT_EQ(VariantToString(Typed(0x1000 | VT_I4)), "Fish");
}

TEST(ParseDateTime, AcceptsIsoAndAccessForms) {
    DateTime d;
    ASSERT_TRUE(ParseDateTime("2004-03-07 14:05:09", d));
    EXPECT_EQ(d, (DateTime{2004, 3, 7, 14, 5, 9}));
    ASSERT_TRUE(ParseDateTime("2004-03-07T14:05:09.250", d));
    EXPECT_EQ(d, (DateTime{2004, 3, 7, 14, 5, 9}));
    ASSERT_TRUE(ParseDateTime("3/7/2004 9:05", d));
    EXPECT_EQ(d, (DateTime{2004, 3, 7, 9, 5, 0}));
    ASSERT_TRUE(ParseDateTime("2004-03-07", d));
    EXPECT_EQ(FormatIsoDateTime(d), "2004-03-07 00:00:00");
    EXPECT_FALSE(ParseDateTime("Dr. Hale", d));
    EXPECT_FALSE(ParseDateTime("2004-13-07", d));
    EXPECT_FALSE(ParseDateTime("2004-03-07 14:05 extra", d));
}

}  // namespace

}  // namespace mirabel
