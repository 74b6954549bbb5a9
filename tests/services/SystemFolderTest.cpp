// Shell and system folder paths, and the policy flags, read from the test
// process's own user registry.
#include "KernelErrors.h"
#include "RegistryFixture.h"
#include "SystemServices.h"

#include <brenvald/Kernel.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

const char *const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char *const kExplorerPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char *const kSystemPolicies = "Software\\Policies\\Microsoft\\Windows\\System";

bool EndsWithOneBackslash(const std::string &path) {
    return path.size() >= 2 && path.back() == '\\' && path[path.size() - 2] != '\\';
}

// The text of the exception that leaves the export, or "<none>".
template <typename Call> std::string RaisedText(Call call) {
    try {
        call();
    } catch (const std::exception &error) {
        return error.what();
    }
    return "<none>";
}

TEST(ClosingBackslash, AddedOnlyWhenMissing) {
    EXPECT_EQ(kernel::WithClosingBackslash(""), "\\");
    EXPECT_EQ(kernel::WithClosingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(kernel::WithClosingBackslash("C:\\Windows"), "C:\\Windows\\");
    EXPECT_EQ(kernel::WithClosingBackslash("C:\\odd\\\\"), "C:\\odd\\\\");
}

TEST(SystemPath, WindowsAndSystemDirectoriesEndWithOneBackslash) {
    char windows[MAX_PATH];
    char system[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string windowsPath = GetSystemPath(5);
    EXPECT_EQ(windowsPath, kernel::WithClosingBackslash(windows));
    EXPECT_TRUE(EndsWithOneBackslash(windowsPath)) << windowsPath;
    const std::string systemPath = GetSystemPath(6);
    EXPECT_EQ(systemPath, kernel::WithClosingBackslash(system));
    EXPECT_TRUE(EndsWithOneBackslash(systemPath)) << systemPath;
}

TEST(SystemPath, OtherKindsGiveNoText) {
    for (unsigned char kind : {7, 8, 100, 255})
        EXPECT_EQ(GetSystemPath(kind), nullptr) << int(kind);
}

TEST(SystemPath, EachShellFolderKindReadsItsOwnValue) {
    const char *names[] = {"Desktop", "Start Menu", "Programs", "Startup", "Personal"};
    std::vector<std::unique_ptr<RegistryValueGuard>> guards;
    for (const char *name : names) {
        guards.push_back(std::make_unique<RegistryValueGuard>(kShellFolders, name));
        guards.back()->SetText(std::string("C:\\Folders\\") + name);
    }
    for (unsigned char kind = 0; kind < 5; ++kind)
        EXPECT_STREQ(GetSystemPath(kind), (std::string("C:\\Folders\\") + names[kind] + "\\").c_str());
}

TEST(SystemPath, ValueEndingWithBackslashComesBackUnchanged) {
    RegistryValueGuard personal(kShellFolders, "Personal");
    personal.SetText("D:\\");
    EXPECT_STREQ(GetSystemPath(4), "D:\\");
}

TEST(SystemPath, ExpandableValueIsNotExpanded) {
    RegistryValueGuard desktop(kShellFolders, "Desktop");
    desktop.SetText("%USERPROFILE%\\Desktop", REG_EXPAND_SZ);
    EXPECT_STREQ(GetSystemPath(0), "%USERPROFILE%\\Desktop\\");
}

TEST(SystemPath, MissingValueGivesABackslash) {
    RegistryValueGuard startup(kShellFolders, "Startup");
    startup.Remove();
    EXPECT_STREQ(GetSystemPath(3), "\\");
}

// A long path is returned whole rather than cut into a path that names
// nothing.
TEST(SystemPath, LongValueIsKeptWhole) {
    RegistryValueGuard programs(kShellFolders, "Programs");
    const std::string longPath = "C:\\" + std::string(300, 'p');
    programs.SetText(longPath);
    EXPECT_EQ(std::string(GetSystemPath(2)), longPath + "\\");
}

TEST(SystemPath, ValueOfAnotherTypeRaisesARegistryError) {
    RegistryValueGuard programs(kShellFolders, "Programs");
    programs.SetNumber(1);
    EXPECT_EQ(RaisedText([] { GetSystemPath(2); }), "Invalid data type for 'Programs'");
    EXPECT_THROW(kernel::SystemFolderPath(2), kernel::ERegistryException);
}

TEST(RegOptions, NoSetFoldersAllowsUnlessNonZero) {
    RegistryValueGuard noSetFolders(kExplorerPolicies, "NoSetFolders");
    noSetFolders.Remove();
    EXPECT_EQ(GetRegOptions(2), 1);
    noSetFolders.SetNumber(0);
    EXPECT_EQ(GetRegOptions(2), 1);
    noSetFolders.SetNumber(1);
    EXPECT_EQ(GetRegOptions(2), 0);
    noSetFolders.SetNumber(0xFFFFFFFF);
    EXPECT_EQ(GetRegOptions(2), 0);
}

TEST(RegOptions, DisableCmdIsOptionThree) {
    RegistryValueGuard disableCmd(kSystemPolicies, "DisableCMD");
    RegistryValueGuard noSetFolders(kExplorerPolicies, "NoSetFolders");
    noSetFolders.SetNumber(1);
    disableCmd.Remove();
    EXPECT_EQ(GetRegOptions(3), 1);
    disableCmd.SetNumber(2);
    EXPECT_EQ(GetRegOptions(3), 0);
}

TEST(RegOptions, OptionsNamingNoPolicyAllow) {
    RegistryValueGuard noSetFolders(kExplorerPolicies, "NoSetFolders");
    RegistryValueGuard disableCmd(kSystemPolicies, "DisableCMD");
    noSetFolders.SetNumber(1);
    disableCmd.SetNumber(1);
    for (unsigned char option : {0, 1, 4, 255})
        EXPECT_EQ(GetRegOptions(option), 1) << int(option);
}

TEST(RegOptions, ValueThatIsNoNumberRaisesARegistryError) {
    RegistryValueGuard noSetFolders(kExplorerPolicies, "NoSetFolders");
    noSetFolders.SetBinary({1, 0, 0, 0});
    EXPECT_EQ(RaisedText([] { GetRegOptions(2); }), "Invalid data type for 'NoSetFolders'");
    noSetFolders.SetText("1");
    EXPECT_EQ(RaisedText([] { GetRegOptions(2); }), "Invalid data type for 'NoSetFolders'");
    noSetFolders.SetBinary({1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(RaisedText([] { GetRegOptions(2); }), "Failed to get data for 'NoSetFolders'");
}

} // namespace
