// The search on real files and the two hex signature exports.
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include "SignatureSearchFile.h"
#include "SparseFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

using brenvald::StringValue;
using kernel::PatternKind;
using kernel::SearchFile;
using testsupport::TempDir;

namespace {

int FindHex(const std::string &path, const std::string &pattern, int start = 0) {
    StringValue pathValue(path);
    StringValue patternValue(pattern);
    return FindHEXSignature(pathValue.get(), patternValue.get(), start);
}

int FindHexAnywhere(const std::string &path, const std::string &pattern) {
    StringValue pathValue(path);
    StringValue patternValue(pattern);
    return FindHEXSignatureAI(pathValue.get(), patternValue.get());
}

HANDLE Hold(const std::string &path, DWORD access, DWORD share) {
    return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

} // namespace

TEST(SearchFile, ChunkBordersAtEveryPosition) {
    TempDir dir;
    const std::string path = dir.file("border.bin");
    for (size_t border : {size_t(8192), kernel::kSearchReadSize}) {
        for (size_t length : {2u, 5u, 16u}) {
            const std::string pattern = std::string("PATTERNBYTES1234").substr(0, length);
            for (size_t at = border - length + 1; at < border; ++at) {
                std::string data(border + 100, '\0');
                data.replace(at, length, pattern);
                testsupport::WriteFile(path, data);
                EXPECT_EQ(SearchFile(path, pattern, 0, PatternKind::ExactText),
                          static_cast<int64_t>(at))
                    << "length " << length << " at " << at;
            }
        }
    }
}

TEST(SearchFile, EndOfFileAndStartOffsets) {
    TempDir dir;
    const std::string path = dir.file("offsets.bin");
    std::string data(20000, '.');
    data.replace(10, 3, "ABC");
    data.replace(15000, 3, "ABC");
    data.replace(19998, 2, "XY");
    testsupport::WriteFile(path, data);
    const std::pair<int64_t, int64_t> starts[] = {
        {0, 10}, {9, 10}, {10, 10}, {11, 15000}, {15000, 15000}, {15001, -1},
        {19999, -1}, {20000, -1}, {1 << 30, -1}, {-1, 10}, {-(1LL << 40), 10},
    };
    for (const auto &[start, expected] : starts)
        EXPECT_EQ(SearchFile(path, "ABC", start, PatternKind::ExactText), expected) << start;
    EXPECT_EQ(SearchFile(path, "..XY", 0, PatternKind::ExactText), 19996);
    EXPECT_EQ(SearchFile(path, "ABC", 0, PatternKind::ExactText), 10);
    testsupport::WriteFile(path, data.substr(0, 19999));
    EXPECT_EQ(SearchFile(path, "..XY", 0, PatternKind::ExactText), -1);
}

TEST(SearchFile, FilesThatAreNotSearched) {
    TempDir dir;
    testsupport::WriteFile(dir.file("empty.bin"), "");
    testsupport::WriteFile(dir.file("abc.bin"), "abc");
    const std::string folder = dir.path().substr(0, dir.path().size() - 1);
    for (const std::string &path : {dir.file("empty.bin"), dir.file("missing.bin"), folder,
                                    dir.path(), std::string()})
        EXPECT_EQ(SearchFile(path, "a", 0, PatternKind::ExactText), -1) << path;
    EXPECT_EQ(SearchFile(dir.file("abc.bin"), "", 0, PatternKind::ExactText), -1);
    EXPECT_EQ(SearchFile(dir.file("abc.bin"), "a", 0, static_cast<PatternKind>(0)), -1);
    EXPECT_EQ(SearchFile(dir.file("abc.bin"), "a", 0, PatternKind::ExactText), 0);
}

TEST(SearchFile, TextKinds) {
    TempDir dir;
    const std::string upper = dir.file("upper.txt");
    const std::string mixed = dir.file("mixed.txt");
    testsupport::WriteFile(upper, "some ABC here");
    testsupport::WriteFile(mixed, "some aBc here");
    EXPECT_EQ(SearchFile(upper, "abc", 0, PatternKind::CaseBlindText), 5);
    EXPECT_EQ(SearchFile(mixed, "abc", 0, PatternKind::CaseBlindText), 5);
    EXPECT_EQ(SearchFile(mixed, "ABC", 0, PatternKind::CaseBlindText), 5);
    EXPECT_EQ(SearchFile(upper, "abc", 0, PatternKind::ExactText), -1);
    EXPECT_EQ(SearchFile(upper, "ABC", 0, PatternKind::ExactText), 5);
    EXPECT_EQ(SearchFile(upper, "414243", 0, PatternKind::Hex), 5);
    EXPECT_EQ(SearchFile(upper, "616263", 0, PatternKind::Hex), -1);
}

TEST(SearchFile, HeldOpenByAWriterOrAReader) {
    TempDir dir;
    const std::string path = dir.file("held.bin");
    testsupport::WriteFile(path, "....ABC");
    HANDLE writer = Hold(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SearchFile(path, "ABC", 0, PatternKind::ExactText), -1);
    CloseHandle(writer);
    // A reader that shares reading does not stop the search, which then runs
    // to the real end of the file.
    HANDLE reader = Hold(path, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SearchFile(path, "ABC", 0, PatternKind::ExactText), 4);
    CloseHandle(reader);
}

TEST(HexSignatureExports, PatternTexts) {
    TempDir dir;
    const std::string path = dir.file("sample.bin");
    testsupport::WriteFile(path, std::string("\x01\x02\x4D\x5A\x90\x00\x04\xD5\xFF", 9));
    struct Case {
        const char *pattern;
        int expected;
    } cases[] = {
        {"4D5A9000", 1}, {"4d 5a 90 00", 1}, {"4D-5a-90-00", 1}, {"4D5A9", 1},
        {"4D5A91", 0},   {"0x4D5A", 1},      {"0x4D5A90", 0},    {"Virus", 0},
        {"", 0},         {"d5ff", 1},        {"D5FF00", 0},      {"0102", 1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FindHex(path, c.pattern), c.expected) << c.pattern;
        EXPECT_EQ(FindHexAnywhere(path, c.pattern), c.expected) << c.pattern;
    }
    EXPECT_EQ(FindHex(path, "4D5A", 2), 1);
    EXPECT_EQ(FindHex(path, "4D5A", 3), 0);
    EXPECT_EQ(FindHex(path, "0102", -7), 1);
    EXPECT_EQ(FindHex(path, "0102", 100), 0);
}

TEST(HexSignatureExports, UnreadableFilesAndNullArguments) {
    TempDir dir;
    testsupport::WriteFile(dir.file("empty.bin"), "");
    EXPECT_EQ(FindHex(dir.file("empty.bin"), "00"), 0);
    EXPECT_EQ(FindHex(dir.file("missing.bin"), "00"), 0);
    EXPECT_EQ(FindHex(dir.path(), "00"), 0);
    StringValue pattern("00");
    EXPECT_EQ(FindHEXSignature(nullptr, pattern.get(), 0), 0);
    EXPECT_EQ(FindHEXSignatureAI(nullptr, pattern.get()), 0);
    testsupport::WriteFile(dir.file("zero.bin"), std::string(1, '\0'));
    StringValue path(dir.file("zero.bin"));
    EXPECT_EQ(FindHEXSignature(path.get(), nullptr, 0), 0);
    EXPECT_EQ(FindHEXSignature(path.get(), pattern.get(), 0), 1);
}

TEST(HexSignatureExports, PatternOfThreeThousandBytes) {
    TempDir dir;
    const std::string path = dir.file("long.bin");
    std::string data(20000, '\0');
    std::string hexText;
    for (size_t k = 0; k < 3000; ++k) {
        data[9000 + k] = static_cast<char>(k * 7 + 1);
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(data[9000 + k]));
        hexText += digits;
    }
    testsupport::WriteFile(path, data);
    EXPECT_EQ(FindHex(path, hexText), 1);
    EXPECT_EQ(FindHex(path, hexText, 9001), 0);
    hexText[5000] = hexText[5000] == '0' ? '1' : '0';
    EXPECT_EQ(FindHex(path, hexText), 0);
}

TEST(SearchFile, CaseBlindLettersOfTheWesternCodePage) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "ANSI code page " << GetACP();
    TempDir dir;
    const std::string path = dir.file("accents.txt");
    testsupport::WriteFile(path, "caf\xC9 na\xEFve");
    EXPECT_EQ(SearchFile(path, "caf\xE9", 0, PatternKind::CaseBlindText), 0);
    EXPECT_EQ(SearchFile(path, "NA\xCFVE", 0, PatternKind::CaseBlindText), 5);
    EXPECT_EQ(SearchFile(path, "caf\xE9", 0, PatternKind::ExactText), -1);
}

TEST(HexSignatureExports, ReferenceCountsAreKept) {
    TempDir dir;
    testsupport::WriteFile(dir.file("a.bin"), "\x41");
    StringValue path(dir.file("a.bin"));
    StringValue pattern("41");
    StringValue constantPattern("42", true);
    EXPECT_EQ(FindHEXSignature(path.get(), pattern.get(), 0), 1);
    EXPECT_EQ(FindHEXSignatureAI(path.get(), constantPattern.get()), 0);
    EXPECT_EQ(path.refCount(), 1);
    EXPECT_EQ(pattern.refCount(), 1);
    EXPECT_EQ(constantPattern.refCount(), -1);
}

TEST(HexSignatureExports, PatternBeyondFourGibIsFound) {
    TempDir dir;
    const std::string path = dir.file("five.gib");
    const uint64_t mark = (4ull << 30) + 12345;
    testsupport::WriteSparseFile(path, 5ull << 30, {{mark, "\x42\x52\x45\x4E\x56"}});
    EXPECT_EQ(FindHex(path, "42 52 45 4E 56"), 1);
    EXPECT_EQ(SearchFile(path, "BRENV", 0, PatternKind::ExactText), static_cast<int64_t>(mark));
    EXPECT_EQ(SearchFile(path, "BRENV", mark + 1, PatternKind::ExactText), -1);
}
