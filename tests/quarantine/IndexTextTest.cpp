#include "QuarantineIndex.h"

#include <gtest/gtest.h>

using namespace scanner;
using Lines = std::vector<std::string>;

TEST(QuarantineIndexText, AcceptsEveryLineEnding) {
    struct Case {
        std::string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n\r\n", {"", ""}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SplitIndexLines(c.text), c.lines) << c.text;
    EXPECT_EQ(JoinIndexLines({"C:\\x.exe", "", "t"}), "C:\\x.exe\r\n\r\nt\r\n");
}

TEST(QuarantineIndexText, TimeStampUsesTwoDigitFieldsAndTheLocaleSeparator) {
    EXPECT_EQ(FormatQuarantineTime({2027, 2, 3, 9, 5}, ":"), "09:05 03.02.27");
    EXPECT_EQ(FormatQuarantineTime({2026, 12, 6, 14, 37}, "."), "14.37 06.12.26");
    EXPECT_EQ(FormatQuarantineTime({2000, 1, 1, 0, 0}, ":"), "00:00 01.01.00");
}

TEST(QuarantineIndexText, NewRecordGoesBeforeStrayLines) {
    Lines lines = {"p1", "s1", "", "t1", "stray1", "stray2"};
    InsertRecord(lines, {"p2", "s2", "d2", "t2"});
    EXPECT_EQ(lines, (Lines{"p1", "s1", "", "t1", "p2", "s2", "d2", "t2", "stray1", "stray2"}));
    EXPECT_EQ(CompleteRecordCount(lines), 2u);
    EraseRecord(lines, 0);
    EXPECT_EQ(lines, (Lines{"p2", "s2", "d2", "t2", "stray1", "stray2"}));
}

TEST(QuarantineIndexText, StoredNamesMustStayInsideTheFolder) {
    EXPECT_EQ(StoredNameFor(907), "INFECTED(907).Vir");
    EXPECT_TRUE(IsBareFileName("INFECTED(0).Vir"));
    for (const char *name : {"", ".", "..", "..\\x.dll", "C:\\Windows\\x.dll", "a/b", "C:x"})
        EXPECT_FALSE(IsBareFileName(name)) << name;
    EXPECT_TRUE(SameFileName("infected(5).vir", "INFECTED(5).Vir"));
    EXPECT_FALSE(SameFileName("INFECTED(5).Vir", "INFECTED(51).Vir"));
}
