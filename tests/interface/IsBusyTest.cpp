// isBusy: 1 only for a file that nobody has open and that could be changed.
#include <brenvald/Kernel.h>

#include "TempDir.h"

#include <gtest/gtest.h>
#include <windows.h>

using testsupport::TempDir;

namespace {

FILETIME WriteTime(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

} // namespace

TEST(IsBusy, FreeFileIsOneAndUntouched) {
    TempDir dir;
    std::string path = dir.file("free.bin");
    testsupport::WriteFile(path, "content");
    FILETIME before = WriteTime(path);
    Sleep(20);
    EXPECT_EQ(isBusy(path.c_str()), 1);
    EXPECT_EQ(testsupport::ReadFile(path), "content");
    FILETIME after = WriteTime(path);
    EXPECT_EQ(CompareFileTime(&before, &after), 0);
}

TEST(IsBusy, MissingFolderAndNullAreZero) {
    TempDir dir;
    EXPECT_EQ(isBusy(dir.file("missing.bin").c_str()), 0);
    EXPECT_EQ(isBusy(dir.path().c_str()), 0);
    EXPECT_EQ(isBusy(nullptr), 0);
}

TEST(IsBusy, FileOpenElsewhereIsZeroInAnyMode) {
    TempDir dir;
    std::string path = dir.file("held.bin");
    testsupport::WriteFile(path, "x");
    const DWORD shares[] = {0, FILE_SHARE_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE};
    for (DWORD share : shares) {
        HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(isBusy(path.c_str()), 0) << "share mode " << share;
        CloseHandle(held);
    }
    EXPECT_EQ(isBusy(path.c_str()), 1);
}
