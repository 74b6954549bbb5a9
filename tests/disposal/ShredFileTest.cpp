// Shredding and deleting real files.
#include "FileDisposal.h"
#include "TempDir.h"
#include "UnixSide.h"

#include <brenvald/Kernel.h>

#include <gtest/gtest.h>
#include <windows.h>

using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// The file's content seen through a second name: after the shred the first
// name is gone, the content stays reachable through the hard link.
std::string ShredAndReadThroughLink(const TempDir &dir, const std::string &content) {
    const std::string path = dir.file("victim.bin");
    const std::string link = dir.file("witness.bin");
    WriteFile(path, content);
    if (!CreateHardLinkA(link.c_str(), path.c_str(), nullptr))
        return "<no hard link>";
    EXPECT_TRUE(kernel::ShredFile(path));
    EXPECT_FALSE(FileExists(path));
    return ReadFile(link);
}

TEST(ShredFile, OverwritesEveryByteThenDeletes) {
    TempDir dir;
    std::string content(10000, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7);
    EXPECT_EQ(ShredAndReadThroughLink(dir, content), std::string(10000, '*'));
}

TEST(ShredFile, ExactlyOneBlock) {
    TempDir dir;
    EXPECT_EQ(ShredAndReadThroughLink(dir, std::string(4096, 'x')), std::string(4096, '*'));
}

TEST(ShredFile, EmptyFileIsDeleted) {
    TempDir dir;
    WriteFile(dir.file("empty"), "");
    EXPECT_EQ(ShredFile(dir.file("empty").c_str()), 1);
    EXPECT_FALSE(FileExists(dir.file("empty")));
}

TEST(ShredFile, MissingPathSucceedsAndChangesNothing) {
    TempDir dir;
    WriteFile(dir.file("other"), "keep");
    EXPECT_EQ(ShredFile(dir.file("missing").c_str()), 1);
    EXPECT_EQ(ShredFile(nullptr), 1);
    EXPECT_EQ(ReadFile(dir.file("other")), "keep");
}

TEST(ShredFile, ReadOnlyFileIsLeftAsItWas) {
    TempDir dir;
    const std::string path = dir.file("readonly.txt");
    WriteFile(path, "precious");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        testsupport::ImmutableFile immutable(path);
        ASSERT_TRUE(immutable.active()) << "cannot make the file unwritable";
        EXPECT_EQ(ShredFile(path.c_str()), 0);
        EXPECT_EQ(ReadFile(path), "precious");
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(path), "precious");
}

TEST(ShredFile, FileOpenElsewhereIsLeftAsItWas) {
    TempDir dir;
    const std::string path = dir.file("in-use.txt");
    WriteFile(path, "busy");
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ShredFile(path.c_str()), 0);
    CloseHandle(other);
    EXPECT_EQ(ReadFile(path), "busy");
}

TEST(DeleteInfected, DeletesAndReportsTheOutcome) {
    TempDir dir;
    WriteFile(dir.file("a.exe"), "MZ");
    EXPECT_EQ(DeleteInfected(dir.file("a.exe").c_str()), 1);
    EXPECT_FALSE(FileExists(dir.file("a.exe")));
    EXPECT_EQ(DeleteInfected(dir.file("a.exe").c_str()), 0);
    EXPECT_EQ(DeleteInfected(nullptr), 0);
}

} // namespace
