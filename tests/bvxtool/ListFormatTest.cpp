#include "DefinitionList.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace bvxtool;

namespace {

const std::string kFingerprint = "900150983cd24fb0d6963f7d28e17f72:3";

// The message a one-line list gives, "" when it is accepted.
std::string ErrorOf(const std::string &text) {
    try {
        ParseDefinitionList(text, "bad.list");
        return "";
    } catch (const ListError &error) {
        return error.what();
    }
}

} // namespace

TEST(ListFormat, ReadsEachKindHeadersCommentsAndBlankLines) {
    std::string text = "# a comment\r\n"
                       "#header1 First header\n"
                       "\n"
                       "#header2 \n"
                       "0\tFinger\t" + kFingerprint + "\t0\r\n"
                       "1\tPattern\t4D 5A 90 00\n"
                       "   \n"
                       "2\tOffset\t77-90-144-0\t-12\n";
    DefinitionList list = ParseDefinitionList(text, "ok.list");
    EXPECT_EQ(list.header1, "First header");
    EXPECT_EQ(list.header2, "");
    ASSERT_EQ(list.definitions.size(), 3u);
    EXPECT_EQ(list.definitions[0].kind, '0');
    EXPECT_EQ(list.definitions[0].signature, kFingerprint);
    EXPECT_EQ(list.definitions[0].offset, "0");
    EXPECT_EQ(list.definitions[1].name, "Pattern");
    EXPECT_EQ(list.definitions[1].offset, "0"); // three fields: offset 0
    EXPECT_EQ(list.definitions[2].offset, "-12");
}

TEST(ListFormat, RejectsEachBadLineFormWithFileLineAndReason) {
    const std::string name100(100, 'n');
    const struct {
        std::string line;
        std::string message;
    } cases[] = {
        {"0\tName", "expected 4 tab-separated fields (kind, name, signature, offset), found 2"},
        {"0\tN\t" + kFingerprint + "\t0\textra", "found 5"},
        {"3\tN\tabc\t0", "kind must be 0, 1 or 2, not \"3\""},
        {"00\tN\t" + kFingerprint + "\t0", "kind must be 0, 1 or 2, not \"00\""},
        {"0\t\t" + kFingerprint + "\t0", "name is empty"},
        {"0\t" + name100 + "x\t" + kFingerprint + "\t0", "name is longer than 100 characters (101)"},
        {"1\tN\t" + std::string(201, 'a') + "\t0", "signature is longer than 200 characters (201)"},
        {"0\tN\t900150983CD24FB0D6963F7D28E17F72:3\t0", "upper-case hex digits"},
        {"0\tN\t900150983cd24fb0d6963f7d28e17f7:3\t0", "kind 0 signature is not a fingerprint"},
        {"0\tN\t900150983cd24fb0d6963f7d28e17f72:03\t0", "kind 0 signature is not a fingerprint"},
        {"0\tN\t900150983cd24fb0d6963f7d28e17f72:4294967296\t0", "not a fingerprint"},
        {"0\tN\t900150983cd24fb0d6963f7d28e17f72\t0", "not a fingerprint"},
        {"1\tN\t4D ?? 5A\t0", "only hex digits and blanks, not '?'"},
        {"1\tN\t4D*5A\t0", "not '*'"},
        {"1\tN\t0x4D5A\t0", "not 'x'"},
        {"1\tN\t   \t0", "kind 1 signature holds no hex digits"},
        {"1\tN\t\t0", "kind 1 signature holds no hex digits"},
        {"1\tN\t4D5A9\t0", "odd number of hex digits"},
        {"2\tN\t77-90-144-0", "kind 2 needs an offset"},
        {"2\tN\t77-90-144\t0", "kind 2 signature must be four byte values"},
        {"2\tN\t77-90-144-0-1\t0", "kind 2 signature must be four byte values"},
        {"2\tN\t077-90-144-0\t0", "kind 2 signature must be four byte values"},
        {"2\tN\t77-90-256-0\t0", "kind 2 signature must be four byte values"},
        {"2\tN\t77-90-144-0 \t0", "kind 2 signature must be four byte values"},
        {"2\tN\t77--144-0\t0", "kind 2 signature must be four byte values"},
        {"2\tN\t77-90-144-0\t$10", "offset must be a decimal integer that fits 32 bits, not \"$10\""},
        {"2\tN\t77-90-144-0\t2147483648", "offset must be a decimal integer"},
        {"2\tN\t77-90-144-0\t", "offset must be a decimal integer"},
        {"0\tN\t" + kFingerprint + "\t 1", "offset must be a decimal integer"},
        {"#header1 " + std::string(101, 'h'), "header text is longer than 100 characters (101)"},
        // A line ends at its line feed; a CR inside would reach the base.
        {"#header1 a\rb", "header text holds a line break"},
        {"#header2 a\r\r", "header text holds a line break"},
        {"#header2 \r\r", "header text holds a line break"},
    };
    for (const auto &c : cases) {
        // The bad line is line 3, after a good line and a comment.
        std::string text = "1\tGood\t41\n# comment\n" + c.line + "\n";
        std::string message = ErrorOf(text);
        EXPECT_EQ(message.rfind("bad.list:3: ", 0), 0u) << c.line << " -> " << message;
        EXPECT_NE(message.find(c.message), std::string::npos) << c.line << " -> " << message;
    }
}

TEST(ListFormat, AcceptsTheLimitsExactly) {
    std::string text = "#header1 " + std::string(100, 'h') + "\n" +
                       "0\t" + std::string(100, 'n') + "\t" + kFingerprint + "\t0\n" +
                       "1\tN\t" + std::string(200, 'a') + "\t0\n" +
                       "2\tN\t0-0-0-0\t2147483647\n" +
                       "2\tN\t255-255-255-255\t-2147483648\n" +
                       "0\tN\t900150983cd24fb0d6963f7d28e17f72:-1073741824\t0\n";
    EXPECT_EQ(ErrorOf(text), "");
}

TEST(ListFormat, PassesOverAByteOrderMark) {
    DefinitionList list = ParseDefinitionList("\xEF\xBB\xBF# saved as UTF-8\n1\tP\t41\n", "b.list");
    ASSERT_EQ(list.definitions.size(), 1u);
    EXPECT_EQ(list.definitions[0].name, "P");
    // Anywhere else it is no comment.
    EXPECT_NE(ErrorOf("1\tP\t41\n\xEF\xBB\xBF# late\n"), "");
}

TEST(ListFormat, RejectsAHeaderSetTwice) {
    EXPECT_EQ(ErrorOf("#header2 a\n#header2 b\n"), "bad.list:2: header2 is set twice");
}

TEST(ListFormat, DecimalFormsAreThoseTheEngineWrites) {
    for (const char *good : {"0", "7", "-1", "2147483647", "-2147483648"})
        EXPECT_TRUE(IsDecimalInt32(good)) << good;
    for (const char *bad : {"", "-", "-0", "+1", "01", " 1", "1 ", "2147483648",
                            "-2147483649", "99999999999", "1e3", "0x10"})
        EXPECT_FALSE(IsDecimalInt32(bad)) << bad;
}

TEST(ListFormat, FormattedListReadsBackTheSame) {
    DefinitionList list;
    list.header1 = " spaced header ";
    list.header2 = "second\theader";
    list.definitions = {{'0', "A name with spaces", kFingerprint, "0"},
                        {'1', "Pattern", "4d 5A", "0"},
                        {'2', "Offset", "1-2-3-0", "4096"}};
    std::string text = FormatDefinitionList(list);
    EXPECT_NE(text.find("# count 3\n"), std::string::npos);
    DefinitionList again = ParseDefinitionList(text, "again.list");
    EXPECT_EQ(again.header1, list.header1);
    EXPECT_EQ(again.header2, list.header2);
    ASSERT_EQ(again.definitions.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(again.definitions[i].kind, list.definitions[i].kind);
        EXPECT_EQ(again.definitions[i].name, list.definitions[i].name);
        EXPECT_EQ(again.definitions[i].signature, list.definitions[i].signature);
        EXPECT_EQ(again.definitions[i].offset, list.definitions[i].offset);
    }
}

TEST(ListFormat, FindsExactRepeatsWithTheLineOfTheFirst) {
    const struct {
        std::string text;
        std::vector<std::pair<size_t, size_t>> repeats; // {line, first line}
    } cases[] = {
        {"1\tA\t50\t0\n1\tA\t50\t0\n", {{2, 1}}},
        // An offset left out is "0"; a CR at the end is no part of a field.
        {"1\tA\t50\n# c\n1\tA\t50\t0\r\n", {{3, 1}}},
        // Any field that differs makes another definition.
        {"1\tA\t50\t0\n1\tA\t50\t1\n1\tB\t50\t0\n1\tA\t51\t0\n2\tA\t1-2-3-4\t0\n"
         "2\tA\t1-2-3-4\t4\n",
         {}},
        // Case counts: the engine compares patterns and names as written.
        {"1\tA\t4d\t0\n1\tA\t4D\t0\n1\ta\t4d\t0\n", {}},
        // Several repeats, each named after the first line, in line order.
        {"2\tX\t1-2-3-4\t8\n1\tA\t50\t0\n2\tX\t1-2-3-4\t8\n1\tA\t50\t0\n2\tX\t1-2-3-4\t8\n",
         {{3, 1}, {4, 2}, {5, 1}}},
    };
    for (const auto &c : cases) {
        const DefinitionList list = ParseDefinitionList(c.text, "r.list");
        std::vector<std::pair<size_t, size_t>> repeats;
        for (const DuplicateDefinition &duplicate : list.duplicates)
            repeats.emplace_back(duplicate.line, duplicate.firstLine);
        EXPECT_EQ(repeats, c.repeats) << c.text;
    }
    // Repeats stay in the list: a base keeps every line.
    EXPECT_EQ(ParseDefinitionList(cases[0].text, "r.list").definitions.size(), 2u);
}
