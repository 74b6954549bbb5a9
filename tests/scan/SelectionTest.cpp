// Which files a scan checks, and the drive list's content.
#include "DriveList.h"
#include "FileSelection.h"
#include "ScanRun.h"

#include <gtest/gtest.h>

#include <cstring>

using scanner::IsFileSelected;

namespace {

struct SelectionCase {
    const char *Folder;
    const char *Name;
    bool Selected;
};

const SelectionCase SelectionCases[] = {
    // Quarantine and recycle folders, any letter case, anywhere in the path.
    {"C:\\Quarantine\\", "notes.exe", false},
    {"C:\\RECYCLER\\S-1-5\\", "readme.txt", false},
    {"C:\\a\\myquarantx\\b\\", "spy.exe", false},
    {"D:\\$Recycle.Bin\\", "virus.dll", false},
    {"C:\\Quaran\\", "setup.exe", true},
    // The seven name fragments, whatever the extension and letter case.
    {"C:\\x\\", "antispy.ini", true},
    {"C:\\x\\", "TROJAN.txt", true},
    {"C:\\x\\", "worms", true},
    {"C:\\x\\", "virtual.txt", true},
    {"C:\\x\\", "sniffer.log", true},
    {"C:\\x\\", "KeyLogger", true},
    {"C:\\x\\", "backdoor.dat", true},
    {"C:\\x\\", "back.door", false},
    {"C:\\x\\", "report.txt", false},
    // Extensions: the part from the last dot, any letter case.
    {"C:\\x\\", "SETUP.EXE", true},
    {"C:\\x\\", "lib.Dll", true},
    {"C:\\x\\", "command.com", true},
    {"C:\\x\\", "exe", false},
    {"C:\\x\\", "archive.exe.txt", false},
    {"C:\\x\\", "a.b.exe", true},
    {"C:\\x\\", ".exe", true},
    {"C:\\x\\", "file.exe ", false},
    // A fragment in the folder does not select a file.
    {"C:\\spyware\\", "readme.txt", false},
};

TEST(FileSelection, FollowsFolderNameAndExtensionRules) {
    for (const SelectionCase &test : SelectionCases)
        EXPECT_EQ(IsFileSelected(test.Folder, test.Name), test.Selected)
            << test.Folder << test.Name;
}

unsigned FakeDriveType(const char *root) {
    switch (root[0]) {
    case 'A': return 2; // removable
    case 'C': return 3; // fixed
    case 'D': return 5; // CD
    case 'N': return 4; // network
    case 'R': return 6; // RAM disk
    default: return 1;  // no root folder
    }
}

TEST(DriveList, SplitsDriveStringsAndPicksImagesByType) {
    const char strings[] = "A:\\\0C:\\\0D:\\\0N:\\\0R:\\\0Z:\\\0";
    const auto items = scanner::SplitDriveStrings(strings, sizeof strings - 1, FakeDriveType);
    const std::pair<const char *, int> expected[] = {{"A:\\", 2}, {"C:\\", 3}, {"D:\\", 1},
                                                     {"N:\\", 0}, {"R:\\", 3}, {"Z:\\", 0}};
    ASSERT_EQ(items.size(), std::size(expected));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].Caption, expected[i].first);
        EXPECT_EQ(items[i].ImageIndex, expected[i].second) << expected[i].first;
    }
    EXPECT_TRUE(scanner::SplitDriveStrings(strings, 0, FakeDriveType).empty());
}

TEST(DriveList, ListsThisMachinesDrivesAsRoots) {
    const auto items = scanner::FillDriveList();
    ASSERT_FALSE(items.empty());
    bool hasC = false;
    for (const auto &item : items) {
        ASSERT_EQ(item.Caption.size(), 3u);
        EXPECT_EQ(item.Caption.substr(1), ":\\");
        hasC = hasC || item.Caption == "C:\\";
    }
    EXPECT_TRUE(hasC);
}

TEST(CounterText, RoundsMegabytesHalfToEven) {
    const std::pair<double, const char *> cases[] = {
        {0.0, "0"}, {0.4999, "0"}, {0.5, "0"}, {1.5, "2"}, {2.5, "2"},
        {3.5, "4"}, {2.5001, "3"}, {1048576.0, "1048576"}, {-0.5, "0"}, {-1.5, "-2"}};
    for (const auto &test : cases)
        EXPECT_EQ(scanner::MegabytesText(test.first), test.second) << test.first;
}

} // namespace
