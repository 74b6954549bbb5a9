// The paths a user points the scanner at: the hand-over message between two
// instances, read as hostile input, and the drive list rows they become.
#include "PointedPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace scanner;
using Paths = std::vector<std::wstring>;

namespace {

// The message body as bytes, little-endian UTF-16 as it travels.
std::string Bytes(const std::wstring &units) {
    std::string bytes;
    for (wchar_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

Paths Decoded(const std::string &bytes) { return DecodePointedPaths(bytes.data(), bytes.size()); }

} // namespace

TEST(PointedPaths, AHandOverCarriesEveryPathWholeAndInOrder) {
    const Paths paths = {L"D:\\Downloads\\setup.exe", L"C:\\Users\\\x0416\x0435\\", L"\\\\server\\share\\x",
                         std::wstring(kMaxPointedPathLength, L'a')};
    EXPECT_EQ(Decoded(Bytes(EncodePointedPaths(paths))), paths);
    // Empty paths, and paths beyond the limits, are not sent.
    const Paths withEmpty = {L"", L"C:\\a", std::wstring(kMaxPointedPathLength + 1, L'b'), L""};
    EXPECT_EQ(Decoded(Bytes(EncodePointedPaths(withEmpty))), Paths{L"C:\\a"});
    EXPECT_EQ(EncodePointedPaths(Paths(kMaxPointedPaths + 5, L"x")).size(), 2 * kMaxPointedPaths);
}

TEST(PointedPaths, AMessageThatIsNoHandOverIsRefusedWhole) {
    const std::string good = Bytes(std::wstring(L"C:\\a\0D:\\b\0", 10));
    ASSERT_EQ(Decoded(good), (Paths{L"C:\\a", L"D:\\b"}));
    const std::string bodies[] = {
        "",                                           // nothing
        good.substr(0, good.size() - 1),              // odd size
        good.substr(0, good.size() - 2),              // no closing zero
        Bytes(std::wstring(L"C:\\a\0\0D:\\b\0", 11)), // an empty path
        Bytes(std::wstring(L"\0", 1)),                // only an empty path
        Bytes(std::wstring(kMaxPointedPathLength + 1, L'a') + L'\0'),
    };
    for (const std::string &body : bodies)
        EXPECT_TRUE(Decoded(body).empty()) << body.size() << " bytes";
    std::wstring tooMany;
    for (std::size_t i = 0; i <= kMaxPointedPaths; ++i)
        tooMany += std::wstring(L"x") + L'\0';
    EXPECT_TRUE(Decoded(Bytes(tooMany)).empty());
    EXPECT_TRUE(DecodePointedPaths(nullptr, 4).empty());
    // Memory that is not aligned to two bytes reads the same.
    const std::string shifted = "?" + good;
    EXPECT_EQ(DecodePointedPaths(shifted.data() + 1, good.size()), (Paths{L"C:\\a", L"D:\\b"}));
}

TEST(PointedPaths, OnlyPlacesOnDrivesAndSharesArePointedAt) {
    const std::pair<std::wstring, bool> cases[] = {
        {L"D:\\Downloads\\setup.exe", true},
        {L"c:\\", true},
        {L"\\\\server\\share\\x.exe", true},
        {L"\\\\?\\D:\\long\\path", true},
        {L"\\\\?\\UNC\\server\\share", true},
        {L"\\\\.\\CON", false},
        {L"\\\\.\\pipe\\name", false},
        {L"\\\\.\\PhysicalDrive0", false},
        {L"\\\\?\\GLOBALROOT\\Device\\x", false},
        {L"\\\\\\x", false},
        {L"D:", false},
        {L"D:relative", false},
        {L"relative\\x", false},
        {L"", false},
    };
    for (const auto &[path, pointable] : cases)
        EXPECT_EQ(IsPointablePath(path), pointable) << std::string(path.begin(), path.end());
}

TEST(PointedPaths, RowsWalkFoldersWithOneBackslashAndCheckFiles) {
    struct Case {
        std::wstring path;
        bool isFolder;
        std::wstring root;
    };
    const Case cases[] = {
        {L"D:\\Downloads", true, L"D:\\Downloads\\"},
        {L"D:\\Downloads\\\\", true, L"D:\\Downloads\\"},
        {L"D:\\", true, L"D:\\"},
        {L"D:\\Downloads\\setup.exe", false, L"D:\\Downloads\\setup.exe"},
        {L"D:\\notes.txt", false, L"D:\\notes.txt"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PointedScanRoot(c.path, c.isFolder), c.root);
}

TEST(PointedPaths, APlaceAlreadyListedIsNotAddedAgain) {
    const Paths existing = {L"C:\\", L"D:\\Samples\\"};
    const Paths pointed = {L"d:\\SAMPLES\\", L"D:\\x.exe", L"d:\\X.EXE", L"E:\\\x00C4\\", L"E:\\\x00E4\\", L""};
    // ASCII letters compare without case; other letters are left as they are.
    EXPECT_EQ(NewPointedRoots(existing, pointed), (Paths{L"D:\\x.exe", L"E:\\\x00C4\\", L"E:\\\x00E4\\"}));
    EXPECT_TRUE(SamePointedRoot(L"C:\\A", L"c:\\a"));
    EXPECT_FALSE(SamePointedRoot(L"C:\\A", L"C:\\A\\"));
}

TEST(PointedPaths, EachUserHasALockOfTheirOwn) {
    EXPECT_EQ(InstanceLockName(L"S-1-5-21-1-2-3-1000"), L"Local\\Brenvald.Scanner.S-1-5-21-1-2-3-1000");
    EXPECT_NE(InstanceLockName(L"S-1-5-21-1-2-3-1000"), InstanceLockName(L"S-1-5-21-1-2-3-1001"));
}
