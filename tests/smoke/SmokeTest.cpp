// Starts the real bvxscan.exe from a folder of its own with definition bases
// beside it, checks that its window comes up loaded and in its start state,
// and closes it by its title bar, answering the close question.
#include "TempDir.h"
#include "Eventually.h"
#include "WindowDriver.h"

#include "resource.h"

#include <brenvald/DefinitionTable.h>
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
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

// The program installed in a folder of its own, started, its window found.
class ScannerWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Install(folder_);
        if (HasFatalFailure())
            return;
        app_ = std::make_unique<AppProcess>(folder_.file("bvxscan.exe"));
        ASSERT_TRUE(app_->started());
        window_ = WaitTopWindow(app_->id(), "Brenvald", "TMainForm");
        ASSERT_NE(window_, nullptr) << "no window captioned Brenvald";
    }

    HWND Control(int controlId) const { return FindControl(window_, controlId); }
    bool PageShown(int pageId) const { return IsWindowVisible(Control(pageId)) != FALSE; }

    // The state the test expects, waited for: the window changes when the
    // program gets round to it.
    testing::AssertionResult OnlyPageShown(int pageId) const {
        return Becomes(
            [&] {
                std::vector<int> shown;
                for (int page : {IDC_TABSHEET1, IDC_TABSHEET2, IDC_TABSHEET3, IDC_TABSHEET4, IDC_TABSHEET5})
                    if (PageShown(page))
                        shown.push_back(page);
                return shown;
            },
            std::vector<int>{pageId});
    }
    testing::AssertionResult TextIs(int controlId, const std::string &expected) const {
        return Becomes([&] { return GetText(Control(controlId)); }, expected);
    }
    testing::AssertionResult EnabledIs(int controlId, bool expected) const {
        return Becomes([&] { return Enabled(Control(controlId)); }, expected);
    }

    // Closes by the title bar's close box, answering No.
    void CloseAnsweringNo() {
        PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
        ModalBox question = WaitBox(app_->id(), "Confirm");
        ASSERT_NE(question.window, nullptr) << "no close question";
        EXPECT_NE(question.text.find("Do you want to detect and clean more spyware?"),
                  std::string::npos);
        ASSERT_TRUE(PressBoxButton(question, "&No"));
        ASSERT_TRUE(app_->WaitExit());
        DWORD exitCode = 1;
        GetExitCodeProcess(app_->handle(), &exitCode);
        EXPECT_EQ(exitCode, 0u);
    }

    HWND OpenAbout() {
        EXPECT_TRUE(Click(Control(IDC_BITBTN2)));
        return WaitTopWindow(app_->id(), "About", nullptr);
    }

    void CloseAbout(HWND about) {
        ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }));
    }

    TempDir folder_;
    std::unique_ptr<AppProcess> app_;
    HWND window_ = nullptr;
};

} // namespace

TEST_F(ScannerWindowTest, StartsWithItsBasesShowsItsWindowAndClosesOnNo) {
    RECT client;
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right, 534);
    EXPECT_EQ(client.bottom, 334);
    const LONG style = GetWindowLongA(window_, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    // Both good bases are logged, the corrupt one and the other extension not;
    // an empty line follows the bases.
    RemoteListView log(app_->handle(), Control(IDC_LOGLIST));
    ASSERT_TRUE(log.valid());
    // The two bases in the order the search finds them, then an empty line.
    EXPECT_TRUE(Becomes(
        [&] {
            std::vector<std::string> lines = log.Texts();
            if (lines.size() >= 2)
                std::sort(lines.begin(), lines.begin() + 2);
            return lines;
        },
        std::vector<std::string>{"Spyware Definitions Base SECOND.BVX loaded",
                                 "Spyware Definitions Base Smoke.bvx loaded", ""}));

    // Start state: the drive page, Scan on, Pause and Stop off.
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    RemoteListView drives(app_->handle(), Control(IDC_DRIVELIST));
    EXPECT_TRUE(Becomes([&] { return drives.Find("D:\\") >= 0; }, true));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN3, true));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN4, false));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN5, false));
    EXPECT_TRUE(TextIs(IDC_LABEL4, "Ready"));
    EXPECT_TRUE(TextIs(IDC_LABEL11, "0"));
    EXPECT_TRUE(TextIs(IDC_LABEL13, "0"));

    CloseAnsweringNo();
}

TEST_F(ScannerWindowTest, PagesFollowTheirButtonsAndMenuItems) {
    ChooseMenu(window_, IDM_REPORT1);
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET2));
    ASSERT_TRUE(Click(Control(IDC_BITBTN15)));
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET3));
    ASSERT_TRUE(Click(Control(IDC_BITBTN6)));
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET2));
    ASSERT_TRUE(Click(Control(IDC_BITBTN12)));
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    ASSERT_TRUE(Click(Control(IDC_BITBTN8)));
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET5));
    ASSERT_TRUE(Click(Control(IDC_BITBTN13)));
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET1));

    // Update says the same every time and changes nothing.
    for (int round = 0; round < 2; ++round) {
        ChooseMenu(window_, IDM_UPDATE1);
        ModalBox box = WaitBox(app_->id(), "Information");
        ASSERT_NE(box.window, nullptr);
        EXPECT_NE(box.text.find("Spyware database is up to date. You do not need to update it now."),
                  std::string::npos);
        ASSERT_TRUE(PressBoxButton(box, "OK"));
    }
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    CloseAnsweringNo();
}

// ver.ini is read at every showing; without it the error is reported, the
// version line keeps its last text and the dialog opens all the same.
TEST_F(ScannerWindowTest, AboutReadsVerIniAtEveryShowingAndOpensWithoutIt) {
    WriteFile(folder_.file("ver.ini"), "2.5\r\nsecond line\r\n");
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    RECT client;
    GetClientRect(about, &client);
    EXPECT_EQ(client.right, 299);
    EXPECT_EQ(client.bottom, 209);
    EXPECT_TRUE(Becomes([&] { return GetText(FindControl(about, IDC_ABOUT_LABEL2)); }, std::string("Version 2.5")));
    EXPECT_EQ(GetText(FindControl(about, IDC_ABOUT_LABEL1)), "Brenvald");
    EXPECT_NE(GetText(FindControl(about, IDC_ABOUT_LABEL6)).find(".example"), std::string::npos);
    CloseAbout(about);

    ASSERT_TRUE(DeleteFileA(folder_.file("ver.ini").c_str()));
    ASSERT_TRUE(Click(Control(IDC_BITBTN2)));
    ModalBox error = WaitBox(app_->id(), "Brenvald");
    ASSERT_NE(error.window, nullptr) << "no error report for the missing ver.ini";
    EXPECT_NE(error.text.find("ver.ini"), std::string::npos);
    ASSERT_TRUE(PressBoxButton(error, "OK"));
    about = WaitTopWindow(app_->id(), "About", nullptr);
    ASSERT_NE(about, nullptr) << "the dialog did not open after the error";
    EXPECT_TRUE(Becomes([&] { return GetText(FindControl(about, IDC_ABOUT_LABEL2)); }, std::string("Version 2.5")));
    CloseAbout(about);
    CloseAnsweringNo();
}

// A close by the title bar during a paused scan ends the scan: the pause wait
// lets go, the walk unwinds, and only then does the program end, cleanly.
TEST_F(ScannerWindowTest, TitleBarCloseDuringAPausedScanEndsTheScanAndTheProgram) {
    const int fileCount = 3000;
    MakeDir("D:\\many");
    for (int index = 0; index < fileCount; ++index)
        WriteFile("D:\\many\\f" + std::to_string(index) + ".exe", "x");
    RemoteListView drives(app_->handle(), Control(IDC_DRIVELIST));
    const int drive = drives.Find("D:\\");
    ASSERT_GE(drive, 0);
    ASSERT_TRUE(drives.SetChecked(drive, true));

    ASSERT_TRUE(Click(Control(IDC_BITBTN3)));
    ModalBox start = WaitBox(app_->id(), "Information");
    ASSERT_NE(start.window, nullptr);
    ASSERT_TRUE(PressBoxButton(start, "OK"));
    ASSERT_TRUE(EnabledIs(IDC_BITBTN4, true));
    ASSERT_TRUE(Click(Control(IDC_BITBTN4)));
    ASSERT_TRUE(EnabledIs(IDC_BITBTN3, true));
    ASSERT_TRUE(Enabled(Control(IDC_BITBTN5))) << "the scan ended before it could be paused";
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET4));
    // The Pause handler enables Scan before the walk takes its next file, so
    // the count is final for the pause from here on.
    const std::string pausedCount = GetText(Control(IDC_LB_SCANNEDFILES));
    EXPECT_TRUE(HoldsFor([&] { return GetText(Control(IDC_LB_SCANNEDFILES)) == pausedCount; }, 300))
        << "the pause did not hold";
    EXPECT_LT(std::stoi(pausedCount), fileCount);

    CloseAnsweringNo();
}
