// Daily use of the real window: what was found and when it was put away,
// scanning what the user points at (the command line, a drop, a second
// start), Delete that asks first, and Restore to a picked folder.
#include "WindowFixture.h"
#include "TempDir.h"
#include "driver/Eventually.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <regex>

using namespace e2e;

namespace {

const char kDeletedMessage[] = "Selected infections were deleted.";
const char kRestoredMessage[] = "Selected infections were restored.";

class DailyUse : public WindowFixture {
protected:
    // The texts of one column of a list, top to bottom.
    Strings Column(int listId, int column) const {
        Strings texts;
        RemoteListView list = List(listId);
        for (int row = 0; row < list.Count(); ++row)
            texts.push_back(list.Text(row, column));
        return texts;
    }
    testing::AssertionResult ColumnIs(int listId, int column, const Strings &expected) const {
        return Becomes([&] { return Column(listId, column); }, expected);
    }
    int ColumnWidth(int listId, int column) const {
        return static_cast<int>(SendPlain(Control(listId), LVM_GETCOLUMNWIDTH, column, 0));
    }
    // The drive list's rows from the top, each with its tick.
    Strings DriveRows() const {
        Strings rows;
        RemoteListView list = List(IDC_DRIVELIST);
        for (int row = 0; row < list.Count(); ++row)
            rows.push_back((list.Checked(row) ? "[x] " : "[ ] ") + list.Text(row));
        return rows;
    }
    // The first rows of the drive list, as many as expected.
    testing::AssertionResult TopDriveRowsAre(const Strings &expected) const {
        return Becomes(
            [&] {
                Strings rows = DriveRows();
                rows.resize(std::min(rows.size(), expected.size()));
                return rows;
            },
            expected);
    }
    // The detection names of the sample files below a folder, by path.
    Strings DetectedBelow(const std::string &folder) const {
        Strings paths;
        for (const SampleFile &sample : drive_.files())
            if (!sample.detection.empty() && sample.path.compare(0, folder.size(), folder) == 0)
                paths.push_back(sample.path);
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    Strings SortedResults() const {
        Strings rows = List(IDC_LISTVIEW2).Texts();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // Answers the start message and the end message of a scan that the
    // program started itself; returns the end message.
    std::string AnswerScanBoxes() {
        ExclusiveOpen lock(drive_.LockedPath());
        Answer("Information", kStartMessage, "OK");
        ModalBox end = WaitBox(app_->id(), "Information");
        if (!end.window || !PressBoxButton(end, "OK"))
            return "no end message";
        return end.text;
    }
    // Restarts the program with these arguments; the one SetUp started ends.
    void RestartWith(const std::string &arguments) {
        app_.reset();
        app_ = std::make_unique<AppProcess>(AppFolder() + "bvxscan.exe", arguments);
        ASSERT_TRUE(app_->started());
        main_ = WaitTopWindow(app_->id(), "Brenvald", "!#32770");
        ASSERT_NE(main_, nullptr) << "no main window";
    }
    // The quarantine list's context menu, its item chosen with the keyboard.
    void ChooseQuarantineMenuItem(int downPresses) {
        HWND list = Control(IDC_LISTVIEW1);
        RECT frame{};
        GetWindowRect(list, &frame);
        PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                     MAKELPARAM(frame.left + 20, frame.top + 20));
        HWND menu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (menu = FindPopupMenu(app_->id())) != nullptr; }))
            << "no context menu";
        for (int press = 0; press < downPresses; ++press)
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    }

    // The blocks of simulated drops, in the program's memory until the test ends.
    std::vector<std::shared_ptr<RemoteBuffer>> drops_;
};

// The time a record was made, "hh:mm dd.mm.yy".
const std::regex kRecordTime("\\d\\d:\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d");

} // namespace

// The results row shows the definition's name beside the path; Fix &
// Continue records it as the description, an older record keeping its own
// (empty) one; the quarantine page shows path, name and time, not the stored
// name.
TEST_F(DailyUse, ResultsAndQuarantineShowWhatWasFoundAndWhen) {
    testsupport::MakeDir(QuarantineFolder());
    testsupport::WriteFile(QuarantineFolder() + "INFECTED(5).Vir", "an older file");
    const std::string older = "D:\\Older\\tool.exe\r\nINFECTED(5).Vir\r\n\r\n10:00 01.01.26\r\n";
    testsupport::WriteFile(QuarantineFolder() + "Files.ini", older);

    ScanDriveD();
    for (const SampleFile &sample : drive_.files()) {
        if (sample.detection.empty())
            continue;
        EXPECT_TRUE(Becomes(
            [&] {
                RemoteListView results = List(IDC_LISTVIEW2);
                const int row = results.Find(sample.path);
                return row < 0 ? std::string("no row") : results.Text(row, 1);
            },
            sample.detection))
            << sample.path;
    }
    EXPECT_GT(ColumnWidth(IDC_LISTVIEW2, 1), 0) << "the name column shows";

    const SampleFile &agent = drive_.file("spyagent.exe");
    FixAndContinue(agent.path, "&No");
    const std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");
    ASSERT_EQ(index.compare(0, older.size(), older), 0) << index;
    std::smatch record;
    ASSERT_TRUE(std::regex_match(index.begin() + static_cast<std::ptrdiff_t>(older.size()), index.end(),
                                 record,
                                 std::regex("(.*)\r\n(INFECTED\\(\\d+\\)\\.Vir)\r\n(.*)\r\n(.*)\r\n")))
        << index;
    EXPECT_EQ(record[1].str(), agent.path);
    EXPECT_EQ(record[3].str(), agent.detection);
    const std::string time = record[4].str();
    EXPECT_TRUE(std::regex_match(time, kRecordTime)) << time;

    OpenQuarantinePage();
    EXPECT_TRUE(ListIs(IDC_LISTVIEW1, Strings{"D:\\Older\\tool.exe", agent.path}));
    EXPECT_TRUE(ColumnIs(IDC_LISTVIEW1, 2, Strings{"", agent.detection}));
    EXPECT_TRUE(ColumnIs(IDC_LISTVIEW1, 3, Strings{"10:00 01.01.26", time}));
    EXPECT_EQ(ColumnWidth(IDC_LISTVIEW1, 1), 0) << "the stored name stays unseen";
    EXPECT_GT(ColumnWidth(IDC_LISTVIEW1, 2), 0);
    EXPECT_GT(ColumnWidth(IDC_LISTVIEW1, 3), 0);
}

// Delete asks first, saying how many files go for good; No keeps them all.
TEST_F(DailyUse, DeleteAsksHowManyFilesGoForGood) {
    ScanDriveD();
    const std::string agent = drive_.file("spyagent.exe").path;
    const std::string dropper = drive_.file("dropper.dll").path;
    Tick(IDC_LISTVIEW2, agent);
    FixAndContinue(dropper, "&No");
    OpenQuarantinePage();
    ASSERT_TRUE(CountIs(IDC_LISTVIEW1, 2));
    Tick(IDC_LISTVIEW1, agent);
    Tick(IDC_LISTVIEW1, dropper);
    const std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");

    ClickButton(IDC_BITBTN11);
    Answer("Confirm",
           "Delete the 2 selected files from Quarantine for good?\nDeleted files cannot be restored.",
           "&No");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 2));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), index);
    EXPECT_FALSE(WaitBox(app_->id(), "", 500).window) << "No shows nothing more";

    ClickButton(IDC_BITBTN11);
    Answer("Confirm",
           "Delete the 2 selected files from Quarantine for good?\nDeleted files cannot be restored.",
           "&Yes");
    Answer("Information", kDeletedMessage, "OK");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 0));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), "");
}

// "Restore to..." on the quarantine list's menu: the folder browser picks a
// folder (set here as a user would by choosing it), the file goes there under
// its own name and its record goes.
TEST_F(DailyUse, RestoreToPutsTheFileIntoThePickedFolder) {
    ScanDriveD();
    const SampleFile &agent = drive_.file("spyagent.exe");
    FixAndContinue(agent.path, "&No");
    OpenQuarantinePage();
    Tick(IDC_LISTVIEW1, agent.path);
    const std::string target = drive_.Root() + "Restored";
    testsupport::MakeDir(target);

    ChooseQuarantineMenuItem(2); // Copy, then Restore to...
    ModalBox browser = WaitBox(app_->id(), "");
    ASSERT_NE(browser.window, nullptr) << "no folder browser";
    EXPECT_NE(browser.text.find("Restore the selected files to this folder:"), std::string::npos)
        << browser.text;
    std::wstring wideTarget(target.begin(), target.end());
    RemoteBuffer path(app_->handle(), (wideTarget.size() + 1) * sizeof(wchar_t));
    ASSERT_TRUE(path.Write(wideTarget.c_str(), (wideTarget.size() + 1) * sizeof(wchar_t)));
    SendMessageTimeoutW(browser.window, BFFM_SETSELECTIONW, TRUE,
                        reinterpret_cast<LPARAM>(path.address()), SMTO_ABORTIFHUNG, kWaitMs, nullptr);
    ASSERT_TRUE(PressBoxButton(browser, "OK"));

    Answer("Warning", kRestoredMessage, "OK");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 0));
    EXPECT_EQ(testsupport::ReadFile(target + "\\spyagent.exe"), agent.content);
    EXPECT_FALSE(testsupport::FileExists(agent.path));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), "");
}

// bvxscan.exe PATH...: one ticked row per path at the top of the drive list,
// and the scan starts by itself once the bases are loaded. A named file is
// checked whatever its name (notes.txt is no program file); a folder is
// walked with the usual rules.
TEST_F(DailyUse, CommandLinePathsAreTickedAtTheTopAndScanned) {
    const SampleFile &notes = drive_.file("notes.txt");
    const std::string samples = drive_.Root() + "Samples";
    ASSERT_NO_FATAL_FAILURE(RestartWith("\"" + notes.path + "\" \"" + samples + "\""));

    const Strings detected = DetectedBelow(samples + "\\");
    const std::string end = AnswerScanBoxes();
    EXPECT_EQ(end, "Scan results: " + std::to_string(detected.size() + 1) + " infections found.");
    EXPECT_TRUE(TopDriveRowsAre({"[x] " + notes.path, "[x] " + samples + "\\"}));
    EXPECT_NE(List(IDC_DRIVELIST).Find("D:\\"), -1) << "the drives stay below";
    Strings expected = detected;
    expected.push_back(notes.path);
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(Becomes([&] { return SortedResults(); }, expected));
    EXPECT_TRUE(Becomes(
        [&] {
            RemoteListView results = List(IDC_LISTVIEW2);
            const int row = results.Find(notes.path);
            return row < 0 ? std::string("no row") : results.Text(row, 1);
        },
        std::string("E2E.Hex.Marker")));
}

// Files and folders dropped on the window are added ticked at the top, not
// scanned; a place already listed is ticked again, not listed twice.
TEST_F(DailyUse, DroppedFilesAreAddedTickedWithoutAScan) {
    const std::string notes = drive_.file("notes.txt").path;
    const std::string docs = drive_.Root() + "Docs";
    // A drop as the shell hands it over: a DROPFILES block with wide paths,
    // in the program's own memory.
    const auto drop = [&](const std::vector<std::string> &paths) {
        std::wstring names;
        for (const std::string &path : paths)
            names += std::wstring(path.begin(), path.end()) + L'\0';
        names += L'\0';
        DROPFILES header{};
        header.pFiles = sizeof header;
        header.fWide = TRUE;
        auto block = std::make_shared<RemoteBuffer>(app_->handle(), sizeof header + names.size() * sizeof(wchar_t));
        ASSERT_TRUE(block->Write(&header, sizeof header));
        ASSERT_TRUE(block->Write(names.data(), names.size() * sizeof(wchar_t), sizeof header));
        PostMessageA(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(block->address()), 0);
        drops_.push_back(block);
    };
    drop({notes, docs});
    EXPECT_TRUE(TopDriveRowsAre({"[x] " + notes, "[x] " + docs + "\\"}));
    List(IDC_DRIVELIST).SetChecked(0, false);
    drop({notes});
    EXPECT_TRUE(TopDriveRowsAre({"[x] " + notes, "[x] " + docs + "\\"}));
    const Strings rows = DriveRows();
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "[x] " + notes), 1) << "listed once";
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1)) << "no scan started";
    EXPECT_FALSE(WaitBox(app_->id(), "", 500).window) << "no scan started";
}

// A second start hands its paths to the running window and ends: one window,
// the path ticked at its top, and its scan under way.
TEST_F(DailyUse, ASecondStartHandsItsPathsToTheRunningWindow) {
    const SampleFile &notes = drive_.file("notes.txt");
    AppProcess second(AppFolder() + "bvxscan.exe", "\"" + notes.path + "\"");
    ASSERT_TRUE(second.started());
    ASSERT_TRUE(second.WaitExit()) << "the second start did not end";
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(second.handle(), &code);
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(AnswerScanBoxes(), "Scan results: 1 infections found.");
    EXPECT_TRUE(TopDriveRowsAre({"[x] " + notes.path}));
    EXPECT_TRUE(ListIs(IDC_LISTVIEW2, Strings{notes.path}));
    EXPECT_TRUE(app_->Running());
    int windows = 0;
    for (HWND window = FindWindowA("TMainForm", nullptr); window;
         window = FindWindowExA(nullptr, window, "TMainForm", nullptr))
        ++windows;
    EXPECT_EQ(windows, 1);
}

// About names the project's licence, with no placeholder text left.
TEST_F(DailyUse, AboutNamesTheLicence) {
    ClickButton(IDC_BITBTN2);
    HWND about = WaitTopWindow(app_->id(), "About", "#32770");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetText(FindControl(about, IDC_ABOUT_LABEL7)), "(C) 2026 The Brenvald authors. MIT License.");
    const std::string notice = GetText(FindControl(about, IDC_ABOUT_LABEL8));
    EXPECT_NE(notice.find("MIT License"), std::string::npos) << notice;
    EXPECT_EQ(notice.find("stands in"), std::string::npos) << notice;
    ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));
}
