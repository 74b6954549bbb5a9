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

TEST(QuarantineIndexText, StoredNamesMustNameAPlainFileInTheFolder) {
    EXPECT_EQ(StoredNameFor(907), "INFECTED(907).Vir");
    for (const char *name : {"INFECTED(0).Vir", "INFECTED(121120).Vir", "infected(5).vir", "a",
                             ".hidden", "a.b.c", "a b", "CONSOLE", "COM10", "LPT", "nul_x",
                             "Files.ini.bak", "con-1.vir"})
        EXPECT_TRUE(IsStoredFileName(name)) << name;
    const char *const refused[] = {
        // Empty, paths and separators.
        "", "..\\x.dll", "C:\\Windows\\x.dll", "a/b", "C:x", "x.vir:stream", "sub\\",
        // Only dots and blanks: each resolves to the folder itself or its parent.
        ".", "..", "...", ".. ", ". ", " ..", " ", "  .  ",
        // A trailing dot or blank is dropped by the system.
        "INFECTED(1).Vir.", "INFECTED(1).Vir ", "a. . ",
        // Wildcards and control characters.
        "INFECTED(*).Vir", "INFECTED(?).Vir", "a\"b", "a<b", "a>b", "a|b", "a\tb", "a\nb",
        // Devices, in any case, with an extension or blanks before it.
        "CON", "con", "PRN", "AUX", "NUL", "nul.txt", "NUL .Vir", "COM1", "com9.vir", "LPT1",
        "lpt9", "COM0", "CONIN$", "conout$", "CLOCK$", "COM\xB9", "LPT\xB2.x",
        // The index and its temporary file.
        "Files.ini", "FILES.INI", "files.ini.tmp"};
    for (const char *name : refused)
        EXPECT_FALSE(IsStoredFileName(name)) << "\"" << name << "\"";
    EXPECT_TRUE(SameFileName("infected(5).vir", "INFECTED(5).Vir"));
    EXPECT_FALSE(SameFileName("INFECTED(5).Vir", "INFECTED(51).Vir"));
}
