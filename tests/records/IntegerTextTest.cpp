// The integer rules of counted texts, row by row.
#include "IntegerText.h"

#include "TableAppend.h"
#include "KernelErrors.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using brenvald::ParseInteger;

namespace {

struct Row {
    const char *text;
    std::optional<int32_t> expected;
};

const Row kValid[] = {
    {"0", 0},
    {"7", 7},
    {"000123", 123},
    {"   42", 42},
    {"+5", 5},
    {"-1", -1},
    {"  -17", -17},
    {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"$1F", 31},
    {"$ff", 255},
    {"x10", 16},
    {"X10", 16},
    {"0x7FFFFFFF", 2147483647},
    {"0Xabc", 0xabc},
    {"-$10", -16},
    {"+0x10", 16},
    {"-0x80000000", INT32_MIN},
};

const char *const kInvalid[] = {
    "",            // empty
    "    ",        // all blanks
    "abc",         // no digits
    "12a",         // something after the digits
    "12 ",         // a trailing blank is something too
    "1 2",         // a blank between digits
    "-",           // sign alone
    "+-1",         // two signs
    "- 1",         // blank after the sign
    "$",           // prefix without digits
    "0x",          // prefix without digits
    "$G",          // not a hexadecimal digit
    "2147483648",  // one above the largest
    "-2147483649", // one below the smallest
    "$80000000",   // fits 32 bits unsigned, not signed
    "0xFFFFFFFF",  // likewise
    "99999999999999999999", // far too large, must not wrap around
    "1.5",
    "\t1",         // a tab is no blank
    "00x1",        // no prefix here, and 'x' is no decimal digit
};

} // namespace

TEST(IntegerText, ValidTextsGiveTheirValue) {
    for (const Row &row : kValid)
        EXPECT_EQ(ParseInteger(row.text), row.expected) << '"' << row.text << '"';
}

TEST(IntegerText, InvalidTextsGiveNothing) {
    for (const char *text : kInvalid)
        EXPECT_EQ(ParseInteger(text), std::nullopt) << '"' << text << '"';
}

TEST(IntegerText, OnlyTheGivenCharactersCount) {
    // A counted text is a view into a larger field: what follows is not read.
    std::string field = "12345";
    EXPECT_EQ(ParseInteger(std::string_view(field).substr(0, 2)), 12);
    EXPECT_EQ(ParseInteger(std::string_view("7\0", 2)), std::nullopt);
}

TEST(IntegerText, StrToIntNamesTheOffendingText) {
    EXPECT_EQ(brenvald::StrToInt(" $20"), 32);
    for (const char *text : {"abc", "", "12 "}) {
        try {
            brenvald::StrToInt(text);
            ADD_FAILURE() << "no error for \"" << text << '"';
        } catch (const kernel::EConvertError &error) {
            EXPECT_EQ(std::string(error.what()),
                      "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}
