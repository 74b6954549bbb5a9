// Starts the real bvxscan.exe from a folder of its own with definition bases
// beside it, checks that its window comes up loaded and in its start state,
// and closes it by its title bar, answering the close question.
#include "TempDir.h"
#include "WindowDriver.h"

#include "resource.h"

#include <brenvald/DefinitionTable.h>
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace e2e;
using testsupport::MakeDir;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::string ProgramFolderOfThisTest() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The plain content of a base with one kind "0" definition.
std::string PlainBase(const std::string &name) {
    std::string content(brenvald::kHeaderSize + brenvald::kRecordSize, '\0');
    auto *bytes = reinterpret_cast<uint8_t *>(&content[0]);
    brenvald::WriteCountedText(bytes + brenvald::kHeaderText1Offset, brenvald::kHeaderTextCapacity, "Smoke");
    brenvald::WriteCountedText(bytes + brenvald::kHeaderText2Offset, brenvald::kHeaderTextCapacity, "test base");
    brenvald::WriteCountedText(bytes + brenvald::kRecordCountOffset, brenvald::kRecordCountCapacity, "1");
    uint8_t *record = bytes + brenvald::kHeaderSize;
    brenvald::WriteCountedText(record + brenvald::kNameOffset, brenvald::kNameCapacity, name);
    brenvald::WriteCountedText(record + brenvald::kSignatureOffset, brenvald::kSignatureCapacity,
                               "0123456789abcdef0123456789abcdef:10");
    brenvald::WriteCountedText(record + brenvald::kBaseKindOffset, 1, "0");
    brenvald::WriteCountedText(record + brenvald::kBaseOffsetOffset, brenvald::kOffsetCapacity, "0");
    return content;
}

void PackBaseFile(const std::string &plainPath, const std::string &basePath) {
    brenvald::StringValue source(plainPath);
    brenvald::StringValue target(basePath);
    PackBase(source.get(), target.get());
}

// The program as a user installs it: its files side by side, and bases in
// Bases\ and a subfolder of it, one of them corrupt.
void Install(const TempDir &folder) {
    const std::string bin = ProgramFolderOfThisTest();
    for (const char *file : {"bvxscan.exe", "Kernel.dll", "libgcc_s_dw2-1.dll", "libstdc++-6.dll",
                             "libwinpthread-1.dll", "ver.ini"})
        ASSERT_TRUE(CopyFileA((bin + file).c_str(), folder.file(file).c_str(), FALSE)) << file;
    MakeDir(folder.file("Bases"));
    MakeDir(folder.file("Bases\\More"));
    WriteFile(folder.file("plain.txt"), PlainBase("Smoke.One"));
    PackBaseFile(folder.file("plain.txt"), folder.file("Bases\\Smoke.bvx"));
    PackBaseFile(folder.file("plain.txt"), folder.file("Bases\\More\\SECOND.BVX"));
    WriteFile(folder.file("Bases\\broken.bvx"), "not a container at all");
    WriteFile(folder.file("Bases\\ignored.bvx.bak"), PlainBase("Never.Loaded"));
}

bool Enabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

} // namespace

TEST(ScannerSmokeTest, StartsWithItsBasesShowsItsWindowAndClosesOnAnyAnswer) {
    TempDir folder;
    Install(folder);
    AppProcess app(folder.file("bvxscan.exe"));
    ASSERT_TRUE(app.started());
    HWND window = WaitTopWindow(app.id(), "Brenvald", "TMainForm");
    ASSERT_NE(window, nullptr) << "no window captioned Brenvald";

    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 534);
    EXPECT_EQ(client.bottom, 334);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    // Both good bases are logged, the corrupt one and the other extension not;
    // an empty line follows the bases.
    RemoteListView log(app.handle(), FindControl(window, IDC_LOGLIST));
    ASSERT_TRUE(log.valid());
    const std::vector<std::string> lines = log.Texts();
    ASSERT_EQ(lines.size(), 3u);
    std::vector<std::string> loaded(lines.begin(), lines.begin() + 2);
    std::sort(loaded.begin(), loaded.end());
    EXPECT_EQ(loaded[0], "Spyware Definitions Base SECOND.BVX loaded");
    EXPECT_EQ(loaded[1], "Spyware Definitions Base Smoke.bvx loaded");
    EXPECT_EQ(lines[2], "");

    // Start state: the drive page, Scan on, Pause and Stop off.
    EXPECT_TRUE(IsWindowVisible(FindControl(window, IDC_TABSHEET1)));
    EXPECT_FALSE(IsWindowVisible(FindControl(window, IDC_TABSHEET4)));
    RemoteListView drives(app.handle(), FindControl(window, IDC_DRIVELIST));
    EXPECT_GE(drives.Count(), 1);
    EXPECT_TRUE(Enabled(FindControl(window, IDC_BITBTN3)));
    EXPECT_FALSE(Enabled(FindControl(window, IDC_BITBTN4)));
    EXPECT_FALSE(Enabled(FindControl(window, IDC_BITBTN5)));
    EXPECT_EQ(GetText(FindControl(window, IDC_LABEL4)), "Ready");

    // The title bar's close box asks; No still closes.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ModalBox question = WaitBox(app.id(), "Confirm");
    ASSERT_NE(question.window, nullptr) << "no close question";
    EXPECT_NE(question.text.find("Do you want to detect and clean more spyware?"), std::string::npos);
    ASSERT_TRUE(PressBoxButton(question, "&No"));
    EXPECT_TRUE(app.WaitExit());
}
