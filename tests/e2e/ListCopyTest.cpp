// The log, results and quarantine lists of the real bvxscan.exe show whole
// lines and copy them: the column is as wide as the widest line (with a
// scroll bar to reach its end), and Ctrl+C or the context menu's "Copy" puts
// the selected lines, or all when none is selected, on the clipboard.
#include "WindowFixture.h"
#include "TempDir.h"
#include "driver/Eventually.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <regex>

using namespace e2e;

namespace {

const char kUntouched[] = "clipboard before the copy";

// Each line ended by CR LF, as the program copies them.
std::string Joined(const Strings &lines) {
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

// The fixture's test, with one more detection planted: a file whose log line
// and path are far wider than the lists.
class ListCopy : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        testsupport::MakeDir(Setting("BVX_E2E_DRIVE") + "Samples\\" + kLongFolder);
        testsupport::WriteFile(LongPath(), drive_.file("dropper.dll").content);
    }

    static std::string LongPath() {
        return Setting("BVX_E2E_DRIVE") + "Samples\\" + kLongFolder +
               "\\a-dropper-sample-with-a-file-name-as-long-as-its-folder.dll";
    }
    static std::string LongLogLine() {
        return "Found infection in [" + LongPath() + "] - [E2E.Dropper]";
    }

    void ShowLogPage() {
        ASSERT_TRUE(Click(Control(IDC_BITBTN6)));
        ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET2); })) << "no log page";
    }

    // The lines once the list holds the one named.
    Strings LinesWith(int listId, const std::string &line) const {
        Strings lines;
        WaitUntil([&] {
            lines = List(listId).Texts();
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        });
        return lines;
    }

    // Every line fits the column whole, its label is not cut, and the list
    // can be scrolled to the end of the widest.
    void ExpectWholeLines(int listId, const std::string &widestLine) {
        RemoteListView list = List(listId);
        const Strings lines = LinesWith(listId, widestLine);
        const int row = list.Find(widestLine);
        ASSERT_GE(row, 0) << widestLine;
        const int widest = list.TextWidth(widestLine);
        for (const std::string &line : lines)
            EXPECT_LE(list.TextWidth(line), widest) << line;
        RECT client{};
        GetClientRect(Control(listId), &client);
        ASSERT_GT(widest, client.right) << "the line must be wider than the list";
        EXPECT_TRUE(WaitUntil([&] { return list.ColumnWidth() >= widest; }))
            << "column " << list.ColumnWidth() << " for a line of " << widest;
        EXPECT_TRUE(WaitUntil([&] {
            const RECT label = list.LabelOnScreen(row);
            return label.right - label.left >= widest;
        })) << "the label is cut";
        EXPECT_TRUE(WaitUntil([&] { return list.HasHorizontalScrollBar(); })) << "no scroll bar";
    }

    // The clipboard once the copy has replaced what the test put there.
    testing::AssertionResult ClipboardBecomes(const std::string &expected) const {
        return Becomes([] { return ClipboardText(); }, expected);
    }

    void CopyWithCtrlC(int listId) {
        ASSERT_TRUE(SetClipboardText(kUntouched));
        ASSERT_TRUE(List(listId).PressCtrlKey('C')) << "no keyboard focus on list " << listId;
    }

    void CopyWithContextMenu(int listId) {
        ASSERT_TRUE(SetClipboardText(kUntouched));
        HWND list = Control(listId);
        RECT frame{};
        GetWindowRect(list, &frame);
        PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                     MAKELPARAM(frame.left + 20, frame.top + 20));
        HWND menu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (menu = FindPopupMenu(app_->id())) != nullptr; }))
            << "no context menu";
        ChooseFirstMenuItem(menu);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); })) << "the menu stays";
    }

    static constexpr const char *kLongFolder =
        "A folder whose name is long enough to run far past the width of every list";
    // A scan of D: that also finds the long-named file.
    void ScanDriveD() { WindowFixture::ScanDriveD(1); }
};

TEST_F(ListCopy, LogAndResultsColumnsFollowTheWidestLineWithAScrollBar) {
    ScanDriveD();
    ExpectWholeLines(IDC_LISTVIEW2, LongPath());
    ShowLogPage();
    ExpectWholeLines(IDC_LOGLIST, LongLogLine());
}

TEST_F(ListCopy, CtrlCCopiesTheSelectedLogLinesOrAllOfThem) {
    ScanDriveD();
    ShowLogPage();
    const Strings log = LinesWith(IDC_LOGLIST, "Scan Complete");
    ASSERT_GE(log.size(), 5u);
    RemoteListView list = List(IDC_LOGLIST);
    const int longRow = list.Find(LongLogLine());
    ASSERT_GT(longRow, 0);

    ASSERT_TRUE(list.SetSelected(0, true));
    ASSERT_TRUE(list.SetSelected(longRow, true));
    CopyWithCtrlC(IDC_LOGLIST);
    EXPECT_TRUE(ClipboardBecomes(Joined({log[0], LongLogLine()})));

    ASSERT_TRUE(list.SetSelected(-1, false));
    CopyWithCtrlC(IDC_LOGLIST);
    EXPECT_TRUE(ClipboardBecomes(Joined(log)));

    // Ctrl+A selects every line.
    ASSERT_TRUE(list.PressCtrlKey('A'));
    EXPECT_TRUE(Becomes([&] { return list.SelectedCount(); }, static_cast<int>(log.size())));
}

TEST_F(ListCopy, ContextMenuCopyTakesTheSelectedLineOrTheWholeList) {
    ScanDriveD();
    // Nothing selected in the results: every path, a tab and its
    // definition's name.
    const Strings paths = LinesWith(IDC_LISTVIEW2, LongPath());
    ASSERT_EQ(paths.size(), 4u);
    Strings rows;
    for (const std::string &path : paths) {
        std::string name = "E2E.Dropper"; // the planted long-named file
        for (const SampleFile &sample : drive_.files())
            if (sample.path == path)
                name = sample.detection;
        rows.push_back(path + "\t" + name);
    }
    CopyWithContextMenu(IDC_LISTVIEW2);
    EXPECT_TRUE(ClipboardBecomes(Joined(rows)));
    CopyWithCtrlC(IDC_LISTVIEW2);
    EXPECT_TRUE(ClipboardBecomes(Joined(rows)));

    ShowLogPage();
    RemoteListView log = List(IDC_LOGLIST);
    const int longRow = log.Find(LongLogLine());
    ASSERT_GE(longRow, 0);
    ASSERT_TRUE(log.SetSelected(longRow, true));
    CopyWithContextMenu(IDC_LOGLIST);
    EXPECT_TRUE(ClipboardBecomes(Joined({LongLogLine()})));
}

TEST_F(ListCopy, QuarantineRowsCopyWithTheirRecordsColumnsByTabs) {
    ScanDriveD();
    Tick(IDC_LISTVIEW2, LongPath());
    ASSERT_TRUE(Click(Control(IDC_BITBTN9)));
    Answer("Information", kMovedMessage, "OK");
    Answer("Confirm", kCloseQuestion, "&No");
    ASSERT_TRUE(Click(Control(IDC_BITBTN8)));
    ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET5); })) << "no quarantine page";
    ExpectWholeLines(IDC_LISTVIEW1, LongPath());

    CopyWithContextMenu(IDC_LISTVIEW1);
    std::string copied;
    ASSERT_TRUE(WaitUntil([&] { return (copied = ClipboardText()) != kUntouched; }));
    // File, stored name, description (the definition's name) and time.
    const std::regex row("(.*)\tINFECTED\\(\\d+\\)\\.Vir\tE2E\\.Dropper\t\\d\\d:\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d\r\n");
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(copied, parts, row)) << copied;
    EXPECT_EQ(parts[1].str(), LongPath());
}

} // namespace
