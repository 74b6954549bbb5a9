// How pattern texts become the bytes that are searched for.
#include "SignatureSearch.h"

#include <gtest/gtest.h>

using kernel::HexPattern;
using kernel::PatternKind;

TEST(HexPatternText, DigitsPairUpAndEverythingElseIsDropped) {
    const std::pair<std::string, std::string> cases[] = {
        {"4D 5A 90 00", std::string("\x4D\x5A\x90\x00", 4)},
        {"4d5a9000", std::string("\x4D\x5A\x90\x00", 4)},
        {"4D-5A-90-00", std::string("\x4D\x5A\x90\x00", 4)},
        {"4d5A9000", std::string("\x4D\x5A\x90\x00", 4)},
        {"aBcD", "\xAB\xCD"},
        {"4D??5A", "\x4D\x5A"},
        {"4D5A9", "\x4D\x5A"},           // an odd last digit is dropped
        {"0x4D5A", "\x04\xD5"},          // the x goes, the 0 stays a digit
        {"4D,\r\n5A\tGZgz", "\x4D\x5A"},
        {std::string("4D\0" "5A", 5), "\x4D"}, // the text ends at a zero byte
        {"Virus", ""},
        {"7", ""},
        {"", ""},
    };
    for (const auto &[text, bytes] : cases) {
        kernel::SearchPattern pattern = HexPattern(text);
        EXPECT_EQ(pattern.First(), bytes) << '"' << text << '"';
        EXPECT_EQ(pattern.Second(), bytes) << '"' << text << '"';
    }
}

TEST(HexPatternText, LongPatternsKeepEveryByte) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "A5";
    EXPECT_EQ(HexPattern(text).First(), std::string(3000, '\xA5'));
}

TEST(TextPatterns, ExactKeepsBytesCaseBlindTakesEitherForm) {
    kernel::SearchPattern exact = kernel::ExactTextPattern(std::string("aB\0c", 4));
    ASSERT_EQ(exact.Size(), 4u);
    EXPECT_TRUE(exact.Matches(1, 'B'));
    EXPECT_FALSE(exact.Matches(1, 'b'));
    EXPECT_TRUE(exact.Matches(2, 0));

    kernel::SearchPattern blind = kernel::CaseBlindPattern("ABC", "abc");
    for (unsigned char byte : {'b', 'B'})
        EXPECT_TRUE(blind.Matches(1, byte));
    EXPECT_FALSE(blind.Matches(1, 'c'));
}

TEST(TextPatterns, MadeWithTheCodePageForms) {
    kernel::SearchPattern blind = kernel::MakeSearchPattern("aBc1", PatternKind::CaseBlindText);
    EXPECT_EQ(blind.First(), "ABC1");
    EXPECT_EQ(blind.Second(), "abc1");
    kernel::SearchPattern exact = kernel::MakeSearchPattern("aBc1", PatternKind::ExactText);
    EXPECT_EQ(exact.First(), "aBc1");
    EXPECT_EQ(exact.Second(), "aBc1");
    EXPECT_EQ(kernel::MakeSearchPattern("4d5a", PatternKind::Hex).First(), "\x4D\x5A");
    EXPECT_TRUE(kernel::MakeSearchPattern("abc", static_cast<PatternKind>(4)).Empty());
}
