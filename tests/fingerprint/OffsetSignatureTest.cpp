// FindVirSignat: the four bytes at an offset compared as decimal text.
#include <brenvald/Kernel.h>

#include "OffsetSignature.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <random>

using testsupport::TempDir;

TEST(OffsetSignature, TextIsDecimalBytesJoinedByDashes) {
    const unsigned char mz[4] = {0x4D, 0x5A, 0x90, 0x00};
    const unsigned char high[4] = {255, 10, 7, 100};
    EXPECT_EQ(kernel::OffsetSignatureText(mz), "77-90-144-0");
    EXPECT_EQ(kernel::OffsetSignatureText(high), "255-10-7-100");
}

// The text is read back exactly as it is written: every four bytes round
// trip, and a text parses only when it is the written form of its bytes.
TEST(OffsetSignature, TextParsesBackOnlyInItsWrittenForm) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 5000; ++round) {
        unsigned char bytes[4];
        for (unsigned char &b : bytes)
            b = static_cast<unsigned char>(round < 256 ? round : byte(random));
        unsigned char parsed[4] = {1, 1, 1, 1};
        const std::string text = kernel::OffsetSignatureText(bytes);
        ASSERT_TRUE(kernel::ParseOffsetSignatureText(text, parsed)) << text;
        EXPECT_EQ(std::memcmp(parsed, bytes, 4), 0) << text;
    }
    const std::string alphabet = "0123456789--+ x";
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1), length(0, 16);
    int accepted = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string text(length(random), ' ');
        for (char &c : text)
            c = alphabet[pick(random)];
        unsigned char parsed[4];
        if (kernel::ParseOffsetSignatureText(text, parsed)) {
            ++accepted;
            EXPECT_EQ(kernel::OffsetSignatureText(parsed), text);
        }
    }
    EXPECT_GT(accepted, 0); // the draw does reach written forms
    for (const char *text : {"256-0-0-0", "0-0-0", "0-0-0-0-0", "00-0-0-0", "1--2-3", "-1-2-3-4",
                             "1-2-3-4-", "+1-2-3-4", "1-2-3-1000", ""}) {
        unsigned char parsed[4];
        EXPECT_FALSE(kernel::ParseOffsetSignatureText(text, parsed)) << '"' << text << '"';
    }
}

TEST(OffsetSignature, MatchesOnFiles) {
    TempDir dir;
    const std::string header = dir.file("header.bin");
    const std::string three = dir.file("three.bin");
    testsupport::WriteFile(header, std::string("\x4D\x5A\x90\x00\x03\x00\x00\x00", 8));
    testsupport::WriteFile(three, "\x01\x02\x03");
    struct Case {
        const char *signature;
        int offset;
        const std::string &path;
        int expected;
    } cases[] = {
        {"77-90-144-0", 0, header, 1},
        {"90-144-0-3", 1, header, 1},
        {"77-90-144-0", 1, header, 0},
        {"77-90-144-0", -1, header, 1},     // negative: the first four bytes
        {"77-90-144-0", -100000, header, 1},
        {"0-3-0-0", 3, header, 1},          // the file ends within the four
        {"0-0-0-0", 8, header, 1},          // at the end
        {"0-0-0-0", 100000, header, 1},     // far past it
        {"1-2-3-0", 0, three, 1},
        {"1-2-3", 0, three, 0},
        {"077-90-144-0", 0, header, 0},
        {"77-90-144-0 ", 0, header, 0},
        {" 77-90-144-0", 0, header, 0},
        {"", 0, header, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FindVirSignat(c.signature, c.offset, c.path.c_str()), c.expected)
            << '"' << c.signature << "\" at " << c.offset;
    EXPECT_EQ(FindVirSignat(nullptr, 0, header.c_str()), 0);
}

TEST(OffsetSignature, UnopenableFilesNeverMatch) {
    TempDir dir;
    const std::string path = dir.file("held.bin");
    testsupport::WriteFile(path, std::string(4, '\0'));
    EXPECT_EQ(FindVirSignat("0-0-0-0", 0, dir.file("missing.bin").c_str()), 0);
    EXPECT_EQ(FindVirSignat("0-0-0-0", 0, dir.path().c_str()), 0);
    EXPECT_EQ(FindVirSignat("0-0-0-0", 0, nullptr), 0);
    // Held open elsewhere, even by a reader that shares everything.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindVirSignat("0-0-0-0", 0, path.c_str()), 0);
    CloseHandle(held);
    EXPECT_EQ(FindVirSignat("0-0-0-0", 0, path.c_str()), 1);
}
