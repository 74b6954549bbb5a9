// Counting program files below folders.
#include "HeuristicsFile.h"
#include "TempDir.h"
#include "UnixSide.h"

#include <brenvald/Kernel.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

using testsupport::MakeDir;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

void FillFiveFiles(const std::string &folder) {
    for (const char *name : {"a.EXE", "b.dll", "c.Com", "d.txt", "e"})
        WriteFile(folder + name, "x");
}

TEST(FileCount, CountKeepsRunningFromCallToCall) {
    TempDir dir;
    FillFiveFiles(dir.path());
    kernel::ProgramFileCounter counter;
    EXPECT_EQ(counter.CountBelow(dir.path()), 3);
    EXPECT_EQ(counter.CountBelow(dir.path()), 6);
}

TEST(FileCount, ExportKeepsTheLibrarysCount) {
    TempDir dir;
    FillFiveFiles(dir.path());
    const int first = FileMaxPercent(dir.path().c_str());
    EXPECT_GE(first, 3);
    EXPECT_EQ(FileMaxPercent(dir.path().c_str()), first + 3);
}

TEST(FileCount, FoldersAreDescendedIntoNotCounted) {
    TempDir dir;
    MakeDir(dir.file("x.exe"));
    MakeDir(dir.file("x.exe\\deeper"));
    WriteFile(dir.file("x.exe\\deeper\\tool.com"), "x");
    WriteFile(dir.file(".exe"), "x");
    kernel::ProgramFileCounter counter;
    EXPECT_EQ(counter.CountBelow(dir.path()), 2);
}

TEST(FileCount, MissingFolderLeavesTheCountAsItWas) {
    TempDir dir;
    FillFiveFiles(dir.path());
    kernel::ProgramFileCounter counter;
    counter.CountBelow(dir.path());
    EXPECT_EQ(counter.CountBelow(dir.file("missing\\")), 3);
}

TEST(FileCount, EmptyPathCountsTheCurrentFolder) {
    TempDir dir;
    FillFiveFiles(dir.path());
    MakeDir(dir.file("sub"));
    WriteFile(dir.file("sub\\more.dll"), "x");
    char previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    kernel::ProgramFileCounter counter;
    const int count = counter.CountBelow("");
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(count, 4);
}

// Links made from the Linux side, removed before the folder is.
class FolderLinks {
public:
    bool Make(const std::string &link, const std::string &target) {
        links_.push_back(link);
        return testsupport::MakeFolderLink(link, target);
    }
    ~FolderLinks() {
        for (const std::string &link : links_)
            testsupport::RemoveFolderLink(link);
    }

private:
    std::vector<std::string> links_;
};

TEST(FileCount, LinksBackIntoTheTreeDoNotLoop) {
    TempDir dir;
    FolderLinks links;
    WriteFile(dir.file("top.exe"), "x");
    MakeDir(dir.file("inner"));
    WriteFile(dir.file("inner\\lib.dll"), "x");
    ASSERT_TRUE(links.Make(dir.file("inner\\to-top"), dir.path()));
    ASSERT_TRUE(links.Make(dir.file("inner\\to-inner"), dir.file("inner")));
    kernel::ProgramFileCounter counter;
    EXPECT_EQ(counter.CountBelow(dir.path()), 2);
}

TEST(FileCount, LinkToAFolderOutsideIsFollowed) {
    TempDir dir;
    TempDir outside;
    FolderLinks links;
    WriteFile(outside.file("elsewhere.com"), "x");
    ASSERT_TRUE(links.Make(dir.file("out"), outside.path()));
    kernel::ProgramFileCounter counter;
    EXPECT_EQ(counter.CountBelow(dir.path()), 1);
}

} // namespace
