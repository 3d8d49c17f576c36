// Host arrays: creation, reading back, ownership and the lent flag.

#include <gtest/gtest.h>

#include "olan_test_support.hpp"

namespace olan_test {
namespace {

TEST(HostArrays, StringsKeepUtf16CodeUnitsIncludingSurrogatePairs) {
    const std::u16string text = u"Gr\u00fc\u00dfe \u6a21\u578b \U0001F600";
    Value utf16 = str(text);
    EXPECT_EQ(zvGetClassCode(utf16.get()), zvCodeChar);
    EXPECT_EQ(zvGetElementCount(utf16.get()), text.size());
    EXPECT_EQ(zvGetDimensions(utf16.get())[0], 1u);
    EXPECT_EQ(zvGetString_UTF16(utf16.get()), text);
    EXPECT_EQ(std::u16string(zvGetChars(utf16.get()), zvGetElementCount(utf16.get())), text);

    // The UTF-8 form converts to the same code units and back.
    Value utf8(
        zvCreateString_UTF8("Gr\xc3\xbc\xc3\x9f"
                            "e \xe6\xa8\xa1\xe5\x9e\x8b \xf0\x9f\x98\x80"));
    EXPECT_EQ(zvGetString_UTF16(utf8.get()), text);
    EXPECT_EQ(zvGetString_UTF8(utf16.get()), zvGetString_UTF8(utf8.get()));

    Value empty = str(u"");
    EXPECT_EQ(zvGetElementCount(empty.get()), 0u);
    EXPECT_TRUE(zvIsEmpty(empty.get()));
    EXPECT_EQ(zvGetString_UTF16(empty.get()), u"");

    // Any code units are kept, but only well-formed text has a UTF-8 form: the rest is refused
    // as the host's error, never passed off as some other text.
    Value const stray = str(std::u16string{u'a', char16_t(0xDC00)});
    EXPECT_EQ(zvGetElementCount(stray.get()), 2u);
    EXPECT_HOST_ERROR(zvGetString_UTF8(stray.get()), olan::errors::IllFormedText);
    EXPECT_HOST_ERROR(Value(zvCreateString_UTF8("a\xff")), olan::errors::IllFormedText);
}

TEST(HostArrays, ElementCountIsTheProductOfAllDimensions) {
    const std::size_t dims[] = {2, 3, 4};
    Value cube(zvCreateDoubleArray(3, dims));
    EXPECT_EQ(zvGetDimensionCount(cube.get()), 3);
    EXPECT_EQ(zvGetElementCount(cube.get()), 24u);
    zvSetDouble(cube.get(), 23, 1.5);
    EXPECT_EQ(zvGetDouble(cube.get(), 23), 1.5);
    EXPECT_HOST_ERROR(zvGetDouble(cube.get(), 24), olan::errors::IndexOutOfRange);

    Value row(zvCreateCellArray(2, {1, 0}));
    EXPECT_EQ(zvGetElementCount(row.get()), 0u);
    EXPECT_EQ(zvGetDimensions(row.get())[0], 1u);
    EXPECT_HOST_ERROR(zvCreateCellArray(2, {1, 2, 3}), olan::errors::InvalidDimensions);
    EXPECT_HOST_ERROR(zvCreateDoubleArray(1, dims), olan::errors::InvalidDimensions);
    Value nothing(zvCreateEmpty());
    EXPECT_TRUE(zvIsEmpty(nothing.get()));
}

TEST(HostArrays, ScalarsReadBackAndRefuseTheWrongClass) {
    Value yes(zvCreateLogical(true));
    Value no(zvCreateLogical(false));
    EXPECT_EQ(zvGetClassCode(yes.get()), zvCodeLogical);
    EXPECT_TRUE(zvGetLogical(yes.get(), 0));
    EXPECT_FALSE(zvGetLogical(no.get(), 0));
    Value number(zvCreateDouble(-0.25));
    EXPECT_EQ(zvGetDouble(number.get(), 0), -0.25);
    EXPECT_HOST_ERROR(zvGetLogical(number.get(), 0), olan::errors::WrongClass);
    EXPECT_HOST_ERROR(zvGetString_UTF16(number.get()), olan::errors::WrongClass);
    EXPECT_HOST_ERROR(zvGetCell(number.get(), 0), olan::errors::WrongClass);

    // Value assignment makes a logical only from a real bool.
    Value slot;
    slot = true;
    EXPECT_EQ(zvGetClassCode(slot.get()), zvCodeLogical);
    slot = 3.0;
    EXPECT_EQ(zvGetDouble(slot.get(), 0), 3.0);
}

TEST(HostArrays, CellsOwnWhatIsStoredAndReplaceIt) {
    Value cells(zvCreateCellArray(2, {1, 3}));
    EXPECT_EQ(zvGetCell(cells.get(), 0), nullptr);
    zvSetCell(cells.get(), 0, zvCreateString_UTF16(u"\u00e9t\u00e9"));
    zvSetCell(cells.get(), 1, zvCreateDouble(1));
    zvSetCell(cells.get(), 1, zvCreateDouble(2));  // the first double is destroyed
    EXPECT_EQ(zvGetString_UTF16(zvGetCell(cells.get(), 0)), u"\u00e9t\u00e9");
    EXPECT_EQ(zvGetDouble(zvGetCell(cells.get(), 1), 0), 2.0);
    EXPECT_EQ(zvGetCell(cells.get(), 2), nullptr);

    // Ownership passes even when the store is refused (no leak under the sanitizer).
    EXPECT_HOST_ERROR(zvSetCell(cells.get(), 3, zvCreateDouble(0)), olan::errors::IndexOutOfRange);
    // An array cannot hold itself; the refusal leaves it intact.
    EXPECT_HOST_ERROR(zvSetCell(cells.get(), 0, cells.get()), olan::errors::WrongClass);
    EXPECT_EQ(zvGetString_UTF16(zvGetCell(cells.get(), 0)), u"\u00e9t\u00e9");
}

TEST(HostArrays, StructsKeepFieldsInOrderPerElement) {
    Value s(zvCreateStruct({"Key", "Value"}));
    EXPECT_EQ((zvGetClassCode(s.get()) & ~zvFlagLent), zvCodeStruct);
    EXPECT_EQ(zvGetElementCount(s.get()), 1u);
    EXPECT_EQ(zvGetFieldCount(s.get()), 2);
    EXPECT_EQ(zvGetFieldName(s.get(), 1), "Value");
    EXPECT_EQ(zvGetField(s.get(), 0, "Key"), nullptr);
    zvSetField(s.get(), 0, "Key", zvCreateString_UTF8("k"));
    zvSetField(s.get(), 0, "Extra", zvCreateLogical(true));  // adds the field
    EXPECT_EQ(zvGetFieldCount(s.get()), 3);
    EXPECT_EQ(zvFindField(s.get(), "Extra"), 2);
    EXPECT_EQ(zvFindField(s.get(), "Missing"), -1);
    EXPECT_EQ(zvGetString_UTF8(zvGetField(s.get(), 0, "Key")), "k");
    EXPECT_EQ(zvGetField(s.get(), 0, "Missing"), nullptr);

    const std::size_t dims[] = {1, 2};
    Value pair(zvCreateStructArray(2, dims, {"A"}));
    zvSetField(pair.get(), 1, "A", zvCreateDouble(7));
    EXPECT_EQ(zvGetField(pair.get(), 0, "A"), nullptr);
    EXPECT_EQ(zvGetDouble(zvGetField(pair.get(), 1, "A"), 0), 7.0);
    EXPECT_EQ(zvAddField(pair.get(), "B"), 1);
    EXPECT_EQ(zvGetField(pair.get(), 1, "B"), nullptr);
}

TEST(HostArrays, DuplicatesAreDeep) {
    Value s(zvCreateStruct({"List"}));
    zvSetField(s.get(), 0, "List", zvCreateCellArray(2, {1, 1}));
    zvSetCell(const_cast<zvArray*>(zvGetField(s.get(), 0, "List")), 0, zvCreateString_UTF8("x"));
    Value copy = s.duplicate();
    zvSetCell(const_cast<zvArray*>(zvGetField(s.get(), 0, "List")), 0, zvCreateString_UTF8("y"));
    EXPECT_EQ(zvGetString_UTF8(zvGetCell(zvGetField(copy.get(), 0, "List"), 0)), "x");
    EXPECT_EQ(zvGetString_UTF8(zvGetCell(zvGetField(s.get(), 0, "List"), 0)), "y");
}

TEST(HostArrays, TextOfHostValuesForSignaturesStringTypes) {
    using olan::factory::extractString;
    using Vector = olan::factory::Marshaler<olan::factory::UnicodeStringVectorPolicy>;
    using Scalar = olan::factory::Marshaler<olan::factory::UnicodeStringPolicy>;

    Value text = str(u"a/b\u00e9");
    EXPECT_EQ(Scalar::FromM(text.get()), u"a/b\u00e9");
    Value nothing(zvCreateEmpty());
    EXPECT_EQ(extractString(nothing.get()), u"");
    Value number(zvCreateDouble(1));
    EXPECT_HOST_ERROR(extractString(number.get()), olan::errors::StringExpected);

    const std::vector<std::u16string> names{u"Motor/Generator", u"", u"\u6a21\u578b"};
    Value list(Vector::ToM(names));
    EXPECT_EQ(zvGetDimensions(list.get())[0], 1u);
    EXPECT_EQ(zvGetElementCount(list.get()), 3u);
    EXPECT_EQ(Vector::FromM(list.get()), names);
    Value gaps(zvCreateCellArray(2, {1, 2}));
    zvSetCell(gaps.get(), 1, zvCreateString_UTF8("x"));
    EXPECT_EQ(Vector::FromM(gaps.get()), (std::vector<std::u16string>{u"", u"x"}));
    EXPECT_EQ(Vector::FromM(text.get()), std::vector<std::u16string>{u"a/b\u00e9"});
    EXPECT_TRUE(Vector::FromM(nothing.get()).empty());
    zvSetCell(gaps.get(), 0, zvCreateDouble(2));
    EXPECT_HOST_ERROR(Vector::FromM(gaps.get()), olan::errors::StringExpected);
}

}  // namespace
}  // namespace olan_test
