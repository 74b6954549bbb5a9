// Keeping files locked in the numbered slots of the library.
#include "TempDir.h"

#include <brenvald/Kernel.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>

using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// Whether anybody else could open the file now, with the most lenient
// sharing.
bool OpensElsewhere(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

class LockSlots : public ::testing::Test {
protected:
    void SetUp() override {
        first = dir.file("first.exe");
        second = dir.file("second.exe");
        WriteFile(first, "one");
        WriteFile(second, "two");
    }
    void TearDown() override {
        for (int slot : {1, 2, 5, 7, 8, 1024})
            AddCarantinFiles(nullptr, slot, 0);
    }

    TempDir dir;
    std::string first;
    std::string second;
};

TEST_F(LockSlots, LockedFileCannotBeOpenedUntilReleased) {
    EXPECT_EQ(AddCarantinFiles(first.c_str(), 5, 1), 1);
    EXPECT_FALSE(OpensElsewhere(first));
    EXPECT_EQ(AddCarantinFiles(nullptr, 5, 0), 1);
    EXPECT_TRUE(OpensElsewhere(first));
}

TEST_F(LockSlots, AnyFlagButOneReleases) {
    AddCarantinFiles(first.c_str(), 1024, 1);
    EXPECT_FALSE(OpensElsewhere(first));
    EXPECT_EQ(AddCarantinFiles(second.c_str(), 1024, 2), 1);
    EXPECT_TRUE(OpensElsewhere(first));
    EXPECT_TRUE(OpensElsewhere(second));
}

TEST_F(LockSlots, ReleasingAnUnusedSlotClosesNothing) {
    AddCarantinFiles(first.c_str(), 2, 1);
    EXPECT_EQ(AddCarantinFiles(nullptr, 1, 0), 1);
    EXPECT_FALSE(OpensElsewhere(first));
}

TEST_F(LockSlots, LockingAnOccupiedSlotClosesItsFileFirst) {
    AddCarantinFiles(first.c_str(), 7, 1);
    EXPECT_EQ(AddCarantinFiles(second.c_str(), 7, 1), 1);
    EXPECT_TRUE(OpensElsewhere(first));
    EXPECT_FALSE(OpensElsewhere(second));
    // The same file again into its own slot stays locked.
    AddCarantinFiles(second.c_str(), 7, 1);
    EXPECT_FALSE(OpensElsewhere(second));
    AddCarantinFiles(nullptr, 7, 0);
    EXPECT_TRUE(OpensElsewhere(second));
}

TEST_F(LockSlots, MissingFileEmptiesTheSlot) {
    AddCarantinFiles(first.c_str(), 8, 1);
    EXPECT_EQ(AddCarantinFiles(dir.file("missing").c_str(), 8, 1), 1);
    EXPECT_TRUE(OpensElsewhere(first));
}

TEST_F(LockSlots, SlotsOutsideTheTableAreRefused) {
    for (int slot : {0, -1, 1025, INT_MIN, INT_MAX}) {
        EXPECT_EQ(AddCarantinFiles(first.c_str(), slot, 1), 1) << slot;
        EXPECT_TRUE(OpensElsewhere(first)) << slot;
        EXPECT_EQ(AddCarantinFiles(nullptr, slot, 0), 1) << slot;
    }
}

} // namespace
