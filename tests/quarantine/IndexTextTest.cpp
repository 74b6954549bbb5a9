#include "Latin1CodePage.h"
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

TEST(QuarantineIndexText, ControlCharactersOfALineBecomeBlanks) {
    const std::pair<std::string, std::string> cases[] = {
        {"Spy.Agent", "Spy.Agent"},
        {"", ""},
        {"a\r\nb", "a  b"},
        {"a\nb\rc", "a b c"},
        {std::string("nul\0end", 7), "nul end"},
        {"\x1F\x7F", "  "},
        {"Caf\xC3\xA9 \xD0\x96", "Caf\xC3\xA9 \xD0\x96"}, // UTF-8 stays whole
    };
    for (const auto &[text, line] : cases)
        EXPECT_EQ(IndexLineText(text), line) << text;
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

// The index file's two forms: the code page's bytes when it spells every
// line, else the UTF-8 text after a byte-order mark.
TEST(QuarantineIndexText, WritesAnsiWhenEveryLineIsSpelledElseUtf8WithItsMark) {
    const qtest::TLatin1CodePage latin1;
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        std::string text;  // UTF-8, as the store holds it
        std::string bytes; // the file
    } cases[] = {
        {"", ""},
        {"C:\\Tools\\spy.exe\r\nINFECTED(907).Vir\r\n\r\n14:37 06.12.26\r\n",
         "C:\\Tools\\spy.exe\r\nINFECTED(907).Vir\r\n\r\n14:37 06.12.26\r\n"},
        // Spelled in the code page: its own bytes, no mark.
        {u8"C:\\Caf\u00e9\\x.exe\r\n", "C:\\Caf\xE9\\x.exe\r\n"},
        // One line the code page cannot spell puts the whole index in UTF-8,
        // the lines it could spell included.
        {u8"C:\\Caf\u00e9\r\nD:\\\u0442\u0440\u043e\u044f\u043d.exe\r\n",
         bom + u8"C:\\Caf\u00e9\r\nD:\\\u0442\u0440\u043e\u044f\u043d.exe\r\n"},
        {u8"C:\\\U0001F608.exe\r\n", bom + u8"C:\\\U0001F608.exe\r\n"},
        // Bytes that would read back as the mark: written in UTF-8 instead.
        {u8"\u00ef\u00bb\u00bfC:\\x\r\n", bom + u8"\u00ef\u00bb\u00bfC:\\x\r\n"},
        // Not UTF-8 (a damaged UTF-8 index): kept byte for byte.
        {"C:\\\xFF\xC3\r\n", bom + "C:\\\xFF\xC3\r\n"},
        // Line ends stay as they are.
        {"a\nb\rc", "a\nb\rc"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(EncodeIndexText(c.text, latin1), c.bytes) << c.text;
        EXPECT_EQ(DecodeIndexText(c.bytes, latin1), c.text) << c.text;
    }
}

TEST(QuarantineIndexText, ReadsAnIndexWithoutTheMarkInTheCodePage) {
    const qtest::TLatin1CodePage latin1;
    struct Case {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"C:\\Caf\xE9\\x.exe\r\nINFECTED(1).Vir\r\n", u8"C:\\Caf\u00e9\\x.exe\r\nINFECTED(1).Vir\r\n"},
        {"\xE9\n\r\xE8", u8"\u00e9\n\r\u00e8"},
        // Only a whole mark at the very start counts.
        {"\xEF\xBB", u8"\u00ef\u00bb"},
        {"x\r\n\xEF\xBB\xBF", u8"x\r\n\u00ef\u00bb\u00bf"},
        // The mark alone is an empty index.
        {"\xEF\xBB\xBF", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeIndexText(c.bytes, latin1), c.text) << c.bytes;
}
