// The real bvxscan.exe, driven from outside through its own controls, menu
// and boxes, in a Wine prefix whose drive D: is a sample tree made here
// (run-e2e.sh sets up the prefix, the installed copy and the recorder that
// stands in for the browser and the mail program).
#include "SampleDrive.h"
#include "TempDir.h"
#include "driver/WindowDriver.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <regex>

using namespace e2e;

namespace {

using Strings = std::vector<std::string>;

const char kStartMessage[] = "Scan in progress. You have a time to try other software.";
const char kCloseQuestion[] = "Do you want to detect and clean more spyware?";
const char kMovedMessage[] = "Selected infections were moved to Quarantine.";
const char kRestoredMessage[] = "Selected infections were restored.";
const char kDeletedMessage[] = "Selected infections were deleted.";
const char kUpdateMessage[] = "Spyware database is up to date. You do not need to update it now.";
const char kTrialPath[] = "/try-antispyware.htm";

std::string Setting(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool EndsWith(const std::string &text, const std::string &tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// One address the program had the shell open, with the window state asked for.
struct Opening {
    std::string address;
    int show;
};

std::vector<Opening> Openings(const std::string &log) {
    std::vector<Opening> openings;
    for (const std::string &line : Lines(log)) {
        size_t tab = line.rfind('\t');
        if (tab == std::string::npos)
            openings.push_back({line, -1});
        else
            openings.push_back({line.substr(0, tab), std::atoi(line.c_str() + tab + 1)});
    }
    return openings;
}

std::ostream &operator<<(std::ostream &out, const Opening &opening) {
    return out << opening.address << " (window state " << opening.show << ")";
}

// The trial page opens maximised; the other links in a normal window.
bool IsTrialPage(const Opening &opening) {
    return opening.address.compare(0, 4, "http") == 0 && EndsWith(opening.address, kTrialPath) &&
           opening.show == SW_SHOWMAXIMIZED;
}

bool IsNormalLink(const Opening &opening, const std::string &scheme) {
    return opening.address.compare(0, scheme.size(), scheme) == 0 &&
           !EndsWith(opening.address, kTrialPath) && opening.show == SW_SHOWNORMAL;
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
}

// Files of a folder (names only), sorted.
std::vector<std::string> FolderFiles(const std::string &folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return Sorted(names);
}

// Holds a file open with no sharing, so that nothing else can read it.
class ExclusiveOpen {
public:
    explicit ExclusiveOpen(const std::string &path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ExclusiveOpen() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

class ScannerWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        suiteError_.clear();
        if (appFolder().empty() || Setting("BVX_E2E_OPENED").empty()) {
            suiteError_ = "run through run-e2e.sh: the prefix settings are missing";
            return;
        }
        SampleDrive drive(Setting("BVX_E2E_DRIVE"));
        drive.Write();
        std::string fingerprint = FingerprintThroughKernel(drive.file("spyagent.exe").path);
        if (fingerprint.empty()) {
            suiteError_ = "Kernel.dll gives no fingerprint for the sample";
            return;
        }
        testsupport::MakeDir(appFolder() + "Bases");
        std::string plain = appFolder() + "e2e-base.plain";
        testsupport::WriteFile(plain, drive.PlainBase(fingerprint));
        suiteError_ = PackBaseThroughKernel(plain, appFolder() + "Bases\\e2e.bvx");
        DeleteFileA(plain.c_str());
    }

    void SetUp() override {
        ASSERT_TRUE(suiteError_.empty()) << suiteError_;
        drive_.Write();
        testsupport::RemoveTree(appFolder() + "Quarantine");
        testsupport::WriteFile(Setting("BVX_E2E_OPENED"), "");
        StartApp();
    }

    static std::string appFolder() { return Setting("BVX_E2E_APP"); }

    void StartApp() {
        app_ = std::make_unique<AppProcess>(appFolder() + "bvxscan.exe");
        ASSERT_TRUE(app_->started()) << "bvxscan.exe did not start";
        main_ = WaitTopWindow(app_->id(), "Brenvald", "!#32770");
        ASSERT_NE(main_, nullptr) << "no main window with the caption Brenvald";
    }

    HWND Control(int id) const { return FindControl(main_, id); }
    std::string TextOf(int id) const { return GetText(Control(id)); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }
    bool PageShown(int id) const { return IsWindowVisible(Control(id)) != 0; }
    RemoteListView List(int id) const { return RemoteListView(app_->handle(), Control(id)); }

    void ClickButton(int id) {
        ASSERT_TRUE(Click(Control(id))) << "control " << id << " is missing, hidden or disabled";
    }

    // Waits for a box with the caption and text, presses the button.
    void Answer(const std::string &caption, const std::string &text, const std::string &button) {
        ModalBox box = WaitBox(app_->id(), caption);
        ASSERT_NE(box.window, nullptr) << "no \"" << caption << "\" box";
        EXPECT_EQ(box.text, text);
        ASSERT_TRUE(PressBoxButton(box, button)) << "cannot press " << button;
    }

    void TickDrive(const std::string &root) {
        RemoteListView drives = List(IDC_DRIVELIST);
        int item = drives.Find(root);
        ASSERT_GE(item, 0) << "drive list lacks " << root;
        ASSERT_TRUE(drives.SetChecked(item, true));
    }

    // Scan with the start message answered; returns the end message.
    std::string Scan() {
        ExclusiveOpen lock(drive_.LockedPath());
        EXPECT_TRUE(lock.held());
        if (!Click(Control(IDC_BITBTN3)))
            return "Scan could not be clicked";
        ModalBox start = WaitBox(app_->id(), "Information");
        if (!start.window)
            return "no start message";
        EXPECT_EQ(start.text, kStartMessage);
        if (!PressBoxButton(start, "OK"))
            return "the start message could not be answered";
        ModalBox end = WaitBox(app_->id(), "Information");
        if (!end.window)
            return "no end message";
        if (!PressBoxButton(end, "OK"))
            return "the end message could not be answered";
        // The run ends by leaving the counters page for the results or the drives.
        EXPECT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET1) || PageShown(IDC_TABSHEET3); }));
        return end.text;
    }

    // Starts a scan of D: with many more files than the samples and waits
    // until the walk is busy.
    void StartLongScan() {
        drive_.WriteFillers(kFillers);
        TickDrive("D:\\");
        ClickButton(IDC_BITBTN3);
        Answer("Information", kStartMessage, "OK");
        ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_BITBTN5); })) << "the scan never got busy";
    }

    int ScannedFiles() const { return std::atoi(TextOf(IDC_LB_SCANNEDFILES).c_str()); }

    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(app_->handle(), &code);
        return code;
    }

    static constexpr int kFillers = 300;

    void ScanDriveD() {
        TickDrive("D:\\");
        ASSERT_EQ(Scan(), "Scan results: 3 infections found.");
    }

    std::vector<Opening> Opened() const { return Openings(testsupport::ReadFile(Setting("BVX_E2E_OPENED"))); }

    // Waits until the recorder has seen this many openings and returns them all.
    std::vector<Opening> WaitOpened(size_t count) const {
        WaitUntil([&] { return Opened().size() >= count; });
        return Opened();
    }

    // The shell starts the recorder before the program goes on, so once the
    // program has ended, a short settle shows everything it opened.
    std::vector<Opening> OpenedAfterExit() const {
        Sleep(2000);
        return Opened();
    }

    std::string QuarantineFolder() const { return appFolder() + "Quarantine\\"; }

    // Ticks the result row of the path and runs Fix & Continue, answering the
    // closing question.
    void FixAndContinue(const std::string &path, const std::string &answer) {
        RemoteListView results = List(IDC_LISTVIEW2);
        int row = results.Find(path);
        ASSERT_GE(row, 0) << path << " is not among the results";
        ASSERT_TRUE(results.SetChecked(row, true));
        ClickButton(IDC_BITBTN9);
        Answer("Information", kMovedMessage, "OK");
        Answer("Confirm", kCloseQuestion, answer);
    }

    void OpenQuarantinePage() {
        ClickButton(IDC_BITBTN8);
        ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET5); }));
    }

    static std::string suiteError_;
    SampleDrive drive_{Setting("BVX_E2E_DRIVE")};
    std::unique_ptr<AppProcess> app_;
    HWND main_ = nullptr;
};

std::string ScannerWindow::suiteError_;

TEST_F(ScannerWindow, StartsIdleWithBaseLoggedAndDrivesUnticked) {
    EXPECT_TRUE(PageShown(IDC_TABSHEET1));
    EXPECT_EQ(TextOf(IDC_LABEL4), "Ready");
    EXPECT_TRUE(Enabled(IDC_BITBTN3));
    EXPECT_FALSE(Enabled(IDC_BITBTN4));
    EXPECT_FALSE(Enabled(IDC_BITBTN5));
    EXPECT_EQ(List(IDC_LOGLIST).Texts(), (Strings{"Spyware Definitions Base e2e.bvx loaded", ""}));
    RemoteListView drives = List(IDC_DRIVELIST);
    int driveD = drives.Find("D:\\");
    ASSERT_GE(driveD, 0);
    EXPECT_EQ(drives.Image(driveD), 3) << "a folder-backed drive is a fixed disk";
    for (int item = 0; item < drives.Count(); ++item)
        EXPECT_FALSE(drives.Checked(item)) << drives.Text(item);
}

TEST_F(ScannerWindow, ShowsItsButtonsHeadingsAndCountersAsLaidOut) {
    RECT client{};
    GetClientRect(main_, &client);
    EXPECT_EQ(client.right - client.left, 534);
    EXPECT_EQ(client.bottom - client.top, 334);
    LONG style = GetWindowLongA(main_, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    const std::pair<int, const char *> captions[] = {
        {IDC_BITBTN3, "Scan"},        {IDC_BITBTN4, "Pause"},   {IDC_BITBTN5, "Stop"},
        {IDC_BITBTN8, "Quarantine"},  {IDC_BITBTN7, "Update"},  {IDC_BITBTN2, "Abo&ut"},
        {IDC_BITBTN1, "&Exit"},       {IDC_BITBTN15, "Scan Results"},
        {IDC_BITBTN12, "Continue"},   {IDC_BITBTN9, "Fix && Continue"},
        {IDC_BITBTN6, "Report"},      {IDC_BITBTN11, "Delete"}, {IDC_BITBTN14, "Restore"},
        {IDC_BITBTN13, "Cancel"},     {IDC_HEADINGTEXT1, "Scan Drives"},
        {IDC_HEADINGTEXT2, "Report"}, {IDC_HEADINGTEXT3, "Scan Results"},
        {IDC_HEADINGTEXT4, "Scanning..."}, {IDC_HEADINGTEXT5, "Quarantine"},
        {IDC_LABEL4, "Ready"},        {IDC_LB_SCANNEDFILES, "0"}, {IDC_LB_SCANNEDMB, "0"},
        {IDC_LB_INFECTED, "0"},       {IDC_LB_SKIPPED, "0"},    {IDC_LABEL13, "0"},
        {IDC_LABEL11, "0"},
    };
    for (const auto &caption : captions)
        EXPECT_EQ(TextOf(caption.first), caption.second) << "control " << caption.first;
    for (const char *row : {"Scanned files (total):", "Scanned (MB):", "Infected:", "Skipped:",
                            "Suspected:", "Errors:"})
        EXPECT_NE(FindChildByText(main_, "Static", row), nullptr) << row;

    // Exactly one page shows, the drives; every drive reads like "C:\".
    for (int page : {IDC_TABSHEET2, IDC_TABSHEET3, IDC_TABSHEET4, IDC_TABSHEET5})
        EXPECT_FALSE(PageShown(page)) << page;
    for (const std::string &drive : List(IDC_DRIVELIST).Texts())
        EXPECT_TRUE(std::regex_match(drive, std::regex("[A-Z]:\\\\"))) << drive;
}

TEST_F(ScannerWindow, ScanOfTickedDriveCountsLogsAndListsDetections) {
    TickDrive("D:\\");
    ASSERT_EQ(Scan(), "Scan results: 3 infections found.");

    std::vector<Opening> opened = WaitOpened(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(IsTrialPage(opened[0])) << opened[0];

    EXPECT_TRUE(PageShown(IDC_TABSHEET3));
    RemoteListView results = List(IDC_LISTVIEW2);
    EXPECT_EQ(Sorted(results.Texts()), Sorted(drive_.DetectedPaths()));
    for (int row = 0; row < results.Count(); ++row)
        EXPECT_FALSE(results.Checked(row));

    std::vector<std::string> log = List(IDC_LOGLIST).Texts();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "Spyware Definitions Base e2e.bvx loaded");
    EXPECT_EQ(log[1], "");
    EXPECT_EQ(log[log.size() - 2], "");
    EXPECT_EQ(log.back(), "Scan Complete");
    std::vector<std::string> scanLines(log.begin() + 2, log.end() - 2);
    std::vector<std::string> expected = drive_.DetectionLogLines();
    expected.push_back("Ignored [" + drive_.LockedPath() + "]");
    EXPECT_EQ(Sorted(scanLines), Sorted(expected));

    EXPECT_EQ(TextOf(IDC_LB_SCANNEDFILES), std::to_string(drive_.SelectedCount()));
    EXPECT_EQ(TextOf(IDC_LB_SCANNEDMB), "2");
    EXPECT_EQ(TextOf(IDC_LB_SKIPPED), "1");
    // The end of the run shows the final numbers, a detection in the last
    // file checked included.
    EXPECT_EQ(TextOf(IDC_LB_INFECTED), "3");
    EXPECT_EQ(TextOf(IDC_LABEL13), "0");
    EXPECT_EQ(TextOf(IDC_LABEL11), "0");
    EXPECT_EQ(TextOf(IDC_LABEL4), "Complete");
    EXPECT_EQ(SendPlain(Control(IDC_PROGRESSBAR1), PBM_GETPOS, 0, 0), 1000);

    EXPECT_TRUE(Enabled(IDC_BITBTN3));
    EXPECT_FALSE(Enabled(IDC_BITBTN4));
    EXPECT_FALSE(Enabled(IDC_BITBTN5));
}

TEST_F(ScannerWindow, ScanWithNoDriveTickedReportsNoneAndShowsDrives) {
    ASSERT_EQ(Scan(), "Scan results: 0 infections found.");
    EXPECT_TRUE(PageShown(IDC_TABSHEET1));
    EXPECT_EQ(List(IDC_LISTVIEW2).Count(), 0);
    std::vector<std::string> log = List(IDC_LOGLIST).Texts();
    EXPECT_EQ(log, (Strings{"Spyware Definitions Base e2e.bvx loaded", "", "", "Scan Complete"}));
    std::vector<Opening> opened = WaitOpened(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(IsTrialPage(opened[0])) << opened[0];
}

TEST_F(ScannerWindow, FixAndContinueMovesTickedFileIntoQuarantineWithItsRecord) {
    ScanDriveD();
    const SampleFile &agent = drive_.file("spyagent.exe");
    FixAndContinue(agent.path, "&Yes");

    EXPECT_FALSE(testsupport::FileExists(agent.path));
    std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");
    std::smatch record;
    std::regex layout("(.*)\r\n(INFECTED\\((\\d+)\\)\\.Vir)\r\n\r\n\\d\\d:\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d\r\n");
    ASSERT_TRUE(std::regex_match(index, record, layout)) << index;
    EXPECT_EQ(record[1].str(), agent.path);
    EXPECT_LE(std::stol(record[3].str()), 121120);
    EXPECT_EQ(FolderFiles(QuarantineFolder()), (Strings{"Files.ini", record[2].str()}));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + record[2].str()), agent.content);

    // The unticked rows stay; the page goes back to the drives.
    std::vector<std::string> rest = drive_.DetectedPaths();
    rest.erase(std::find(rest.begin(), rest.end(), agent.path));
    EXPECT_EQ(Sorted(List(IDC_LISTVIEW2).Texts()), Sorted(rest));
    EXPECT_TRUE(PageShown(IDC_TABSHEET1));

    // Yes to "more spyware" opens the trial page again, after the scan's own.
    std::vector<Opening> opened = WaitOpened(2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(IsTrialPage(opened[1])) << opened[1];

    // The quarantine page lists the record until the next scan empties it;
    // that scan lists afresh and no longer finds the quarantined file.
    ChooseMenu(main_, IDM_QUARANTINE1);
    ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET5); }));
    EXPECT_EQ(List(IDC_LISTVIEW1).Texts(), (Strings{agent.path}));
    size_t logBefore = List(IDC_LOGLIST).Texts().size();
    ASSERT_EQ(Scan(), "Scan results: 2 infections found.");
    EXPECT_EQ(List(IDC_LISTVIEW1).Count(), 0);
    EXPECT_EQ(Sorted(List(IDC_LISTVIEW2).Texts()), Sorted(rest));
    EXPECT_GT(List(IDC_LOGLIST).Texts().size(), logBefore) << "the log is never emptied";
}

TEST_F(ScannerWindow, FixAndContinueKeepsRowOfFileThatCouldNotBeMoved) {
    ScanDriveD();
    const SampleFile &agent = drive_.file("spyagent.exe");
    const SampleFile &marker = drive_.file("virtual.txt");
    size_t logBefore = List(IDC_LOGLIST).Count();
    RemoteListView results = List(IDC_LISTVIEW2);
    ASSERT_TRUE(results.SetChecked(results.Find(marker.path), true));
    {
        ExclusiveOpen inUse(agent.path); // the system refuses to move an open file
        ASSERT_TRUE(inUse.held());
        FixAndContinue(agent.path, "&No");
    }
    // The file in use stays, with its row, unticked; the other one moved.
    EXPECT_EQ(testsupport::ReadFile(agent.path), agent.content);
    EXPECT_FALSE(testsupport::FileExists(marker.path));
    int agentRow = results.Find(agent.path);
    ASSERT_GE(agentRow, 0) << "the row of the file that was not moved is gone";
    EXPECT_FALSE(results.Checked(agentRow));
    EXPECT_EQ(results.Find(marker.path), -1);
    std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");
    EXPECT_EQ(index.compare(0, marker.path.size() + 2, marker.path + "\r\n"), 0) << index;
    EXPECT_EQ(Lines(index).size(), 4u);
    EXPECT_EQ(FolderFiles(QuarantineFolder()).size(), 2u);
    // The log names the file that could not be moved.
    std::vector<std::string> log = List(IDC_LOGLIST).Texts();
    ASSERT_GT(log.size(), logBefore);
    bool named = std::any_of(log.begin() + logBefore, log.end(), [&](const std::string &line) {
        return line.find("[" + agent.path + "]") != std::string::npos;
    });
    EXPECT_TRUE(named) << "no log line names " << agent.path;
}

TEST_F(ScannerWindow, QuarantinePageListsRecordAndRestorePutsFileBack) {
    ScanDriveD();
    const SampleFile &dropper = drive_.file("dropper.dll");
    FixAndContinue(dropper.path, "&No");
    ASSERT_FALSE(testsupport::FileExists(dropper.path));

    OpenQuarantinePage();
    RemoteListView quarantine = List(IDC_LISTVIEW1);
    ASSERT_EQ(quarantine.Texts(), (Strings{dropper.path}));
    EXPECT_FALSE(quarantine.Checked(0));
    std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");

    // Nothing ticked: the box shows, nothing moves.
    ClickButton(IDC_BITBTN14);
    Answer("Warning", kRestoredMessage, "OK");
    EXPECT_EQ(quarantine.Count(), 1);
    EXPECT_FALSE(testsupport::FileExists(dropper.path));

    // A new file in the way: the restore fails and keeps row, record and file.
    testsupport::WriteFile(dropper.path, "newer file");
    ASSERT_TRUE(quarantine.SetChecked(0, true));
    ClickButton(IDC_BITBTN14);
    Answer("Warning", kRestoredMessage, "OK");
    EXPECT_EQ(quarantine.Texts(), (Strings{dropper.path}));
    EXPECT_FALSE(quarantine.Checked(0));
    EXPECT_EQ(testsupport::ReadFile(dropper.path), "newer file");
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), index);
    EXPECT_EQ(FolderFiles(QuarantineFolder()).size(), 2u);

    DeleteFileA(dropper.path.c_str());
    ASSERT_TRUE(quarantine.SetChecked(0, true));
    ClickButton(IDC_BITBTN14);
    Answer("Warning", kRestoredMessage, "OK");

    ASSERT_TRUE(testsupport::FileExists(dropper.path));
    EXPECT_EQ(testsupport::ReadFile(dropper.path), dropper.content);
    EXPECT_EQ(FolderFiles(QuarantineFolder()), (Strings{"Files.ini"}));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), "");
    EXPECT_EQ(quarantine.Count(), 0);

    // No to the question opened nothing: only the scan's trial page.
    std::vector<Opening> opened = Opened();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(IsTrialPage(opened[0]));

    ClickButton(IDC_BITBTN13); // Cancel
    EXPECT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET1); }));
}

TEST_F(ScannerWindow, StoredFileRemovedElsewhereShowsMissingAndKeepsItsRecord) {
    ScanDriveD();
    const SampleFile &agent = drive_.file("spyagent.exe");
    const SampleFile &marker = drive_.file("virtual.txt");
    RemoteListView results = List(IDC_LISTVIEW2);
    ASSERT_TRUE(results.SetChecked(results.Find(marker.path), true));
    FixAndContinue(agent.path, "&No");
    std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");
    std::vector<std::string> lines = Lines(index);
    ASSERT_EQ(lines.size(), 8u) << index;
    ASSERT_TRUE(DeleteFileA((QuarantineFolder() + lines[1]).c_str())); // first record's file

    OpenQuarantinePage();
    RemoteListView quarantine = List(IDC_LISTVIEW1);
    ASSERT_EQ(quarantine.Count(), 2);
    int missing = quarantine.Find(lines[0]), present = quarantine.Find(lines[4]);
    ASSERT_EQ(missing, 0);
    ASSERT_EQ(present, 1);
    const COLORREF lightRed = RGB(255, 208, 208);
    RECT missingLabel = quarantine.LabelOnScreen(missing);
    int labelArea = (missingLabel.right - missingLabel.left) * (missingLabel.bottom - missingLabel.top);
    // The page paints when its turn comes.
    EXPECT_TRUE(WaitUntil([&] { return CountScreenPixels(missingLabel, lightRed) > labelArea / 3; }))
        << "no missing mark: " << CountScreenPixels(missingLabel, lightRed) << " of " << labelArea
        << " pixels at " << missingLabel.left << "," << missingLabel.top << " "
        << missingLabel.right << "," << missingLabel.bottom;
    EXPECT_EQ(CountScreenPixels(quarantine.LabelOnScreen(present), lightRed), 0);

    // Neither command can act on the missing file: row, tick-free, and record stay.
    ASSERT_TRUE(quarantine.SetChecked(missing, true));
    ClickButton(IDC_BITBTN14);
    Answer("Warning", kRestoredMessage, "OK");
    ASSERT_TRUE(quarantine.SetChecked(missing, true));
    ClickButton(IDC_BITBTN11);
    Answer("Information", kDeletedMessage, "OK");
    EXPECT_EQ(quarantine.Texts(), (Strings{lines[0], lines[4]}));
    EXPECT_FALSE(quarantine.Checked(missing));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), index);
    EXPECT_FALSE(testsupport::FileExists(lines[0]));
}

TEST_F(ScannerWindow, DeleteRemovesStoredFileAndRecordForGood) {
    ScanDriveD();
    const SampleFile &marker = drive_.file("virtual.txt");
    FixAndContinue(marker.path, "&No");
    OpenQuarantinePage();
    RemoteListView quarantine = List(IDC_LISTVIEW1);
    ASSERT_EQ(quarantine.Texts(), (Strings{marker.path}));

    // Nothing ticked: nothing changes, the box shows all the same.
    ClickButton(IDC_BITBTN11);
    Answer("Information", kDeletedMessage, "OK");
    EXPECT_EQ(quarantine.Count(), 1);
    EXPECT_EQ(FolderFiles(QuarantineFolder()).size(), 2u);

    ASSERT_TRUE(quarantine.SetChecked(0, true));
    ClickButton(IDC_BITBTN11);
    Answer("Information", kDeletedMessage, "OK");
    EXPECT_EQ(quarantine.Count(), 0);
    EXPECT_EQ(FolderFiles(QuarantineFolder()), (Strings{"Files.ini"}));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), "");
    EXPECT_FALSE(testsupport::FileExists(marker.path));
}

TEST_F(ScannerWindow, PageButtonsSwitchPagesAndFixWithNothingTickedMovesNothing) {
    ScanDriveD();
    ClickButton(IDC_BITBTN6); // Report
    ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET2); }));
    EXPECT_FALSE(PageShown(IDC_TABSHEET3));
    ClickButton(IDC_BITBTN15); // Scan Results
    ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET3); }));
    EXPECT_EQ(List(IDC_LISTVIEW2).Count(), 3);

    // Fix & Continue with nothing ticked moves nothing but still says its say.
    ClickButton(IDC_BITBTN9);
    Answer("Information", kMovedMessage, "OK");
    Answer("Confirm", kCloseQuestion, "&No");
    EXPECT_EQ(List(IDC_LISTVIEW2).Count(), 3);
    EXPECT_FALSE(testsupport::FileExists(QuarantineFolder()));
    ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET1); }));
    ClickButton(IDC_BITBTN8); // Quarantine
    ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET5); }));
    ClickButton(IDC_BITBTN13); // Cancel
    ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET1); }));
    ChooseMenu(main_, IDM_REPORT1);
    ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET2); }));
    ClickButton(IDC_BITBTN12); // Continue
    EXPECT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET1); }));
}

TEST_F(ScannerWindow, UpdateShowsUpToDateBoxFromButtonAndMenu) {
    ClickButton(IDC_BITBTN7);
    Answer("Information", kUpdateMessage, "OK");
    ChooseMenu(main_, IDM_UPDATE1);
    Answer("Information", kUpdateMessage, "OK");
    EXPECT_TRUE(PageShown(IDC_TABSHEET1));
    EXPECT_TRUE(Opened().empty());
}

TEST_F(ScannerWindow, AboutShowsVersionFromVerIniOnEveryShowing) {
    std::string verIni = appFolder() + "ver.ini";
    ASSERT_TRUE(testsupport::FileExists(verIni)) << "ver.ini is not installed beside the program";
    std::string shipped = testsupport::ReadFile(verIni);

    ClickButton(IDC_BITBTN2);
    HWND about = WaitTopWindow(app_->id(), "About", nullptr);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetText(FindControl(about, IDC_ABOUT_LABEL2)), "Version 1.0");
    EXPECT_EQ(GetText(FindControl(about, IDC_ABOUT_LABEL1)), "Brenvald");
    RECT client{};
    GetClientRect(about, &client);
    EXPECT_EQ(client.right - client.left, 299);
    EXPECT_EQ(client.bottom - client.top, 209);
    EXPECT_EQ(GetText(FindControl(about, IDC_ABOUT_BITBTN1)), "OK");
    ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));

    // Only the first line counts, and it is read again at every showing.
    struct Restore {
        std::string path, content;
        ~Restore() { testsupport::WriteFile(path, content); }
    } restoreShipped{verIni, shipped};
    testsupport::WriteFile(verIni, "2.5\r\nnot this line\r\n");
    ChooseMenu(main_, IDM_ABOUT1);
    about = WaitTopWindow(app_->id(), "About", nullptr);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetText(FindControl(about, IDC_ABOUT_LABEL2)), "Version 2.5");
    ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));

    // Without ver.ini: the error is reported, the dialog still opens and
    // keeps the version it showed last.
    DeleteFileA(verIni.c_str());
    ClickButton(IDC_BITBTN2);
    ModalBox error = WaitBox(app_->id(), "Brenvald");
    ASSERT_NE(error.window, nullptr) << "no error report for the missing ver.ini";
    EXPECT_NE(error.text.find("ver.ini"), std::string::npos) << error.text;
    ASSERT_TRUE(PressBoxButton(error, "OK"));
    about = WaitTopWindow(app_->id(), "About", nullptr);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetText(FindControl(about, IDC_ABOUT_LABEL2)), "Version 2.5");
    ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
}

TEST_F(ScannerWindow, MenuAndAboutLinksOpenSiteMailAndTrialPage) {
    ChooseMenu(main_, IDM_HOMEPAGE1);
    WaitOpened(1);
    ChooseMenu(main_, IDM_SUPPORT1);
    WaitOpened(2);
    ChooseMenu(main_, IDM_MOREFEATURES1);
    WaitOpened(3);
    ChooseMenu(main_, IDM_ABOUT1);
    HWND about = WaitTopWindow(app_->id(), "About", nullptr);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(ClickLabel(FindControl(about, IDC_ABOUT_LABEL6)));
    WaitOpened(4);
    ASSERT_TRUE(ClickLabel(FindControl(about, IDC_ABOUT_LABEL5)));
    std::vector<Opening> opened = WaitOpened(5);
    ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));

    ASSERT_EQ(opened.size(), 5u);
    EXPECT_TRUE(IsNormalLink(opened[0], "http")) << opened[0];
    EXPECT_TRUE(IsNormalLink(opened[1], "mailto:")) << opened[1];
    EXPECT_NE(opened[1].address.find('@'), std::string::npos) << opened[1];
    EXPECT_TRUE(IsTrialPage(opened[2])) << opened[2];
    // The About links open the same site and mail address, in a normal window.
    EXPECT_EQ(opened[3].address, opened[0].address);
    EXPECT_EQ(opened[3].show, SW_SHOWNORMAL);
    EXPECT_EQ(opened[4].address, opened[1].address);
    EXPECT_EQ(opened[4].show, SW_SHOWNORMAL);
}

TEST_F(ScannerWindow, PauseHoldsTheWalkAndResumeFinishesEveryFile) {
    StartLongScan();
    ClickButton(IDC_BITBTN4);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_BITBTN3); })) << "Pause did not enable Scan";
    EXPECT_TRUE(Enabled(IDC_BITBTN4));
    EXPECT_TRUE(Enabled(IDC_BITBTN5));
    int paused = ScannedFiles();
    Sleep(1500);
    EXPECT_EQ(ScannedFiles(), paused) << "files were checked while paused";
    EXPECT_LT(paused, kFillers) << "the scan ended before the pause took hold";
    // One step per checked file, up to 93; the status names the waiting file.
    EXPECT_EQ(SendPlain(Control(IDC_PROGRESSBAR1), PBM_GETPOS, 0, 0), std::min(paused, 93));
    EXPECT_EQ(TextOf(IDC_LABEL4).compare(0, 6, "Scan: "), 0) << TextOf(IDC_LABEL4);

    ClickButton(IDC_BITBTN3); // resumes
    ModalBox end = WaitBox(app_->id(), "Information");
    ASSERT_NE(end.window, nullptr);
    EXPECT_EQ(end.text, "Scan results: 3 infections found.");
    ASSERT_TRUE(PressBoxButton(end, "OK"));
    // The file that waited during the pause is checked once, none is lost.
    EXPECT_EQ(ScannedFiles(), kFillers + drive_.SelectedCount());
    EXPECT_EQ(SendPlain(Control(IDC_PROGRESSBAR1), PBM_GETPOS, 0, 0), 1000);
}

TEST_F(ScannerWindow, OtherCommandsWorkInTheMiddleOfAScan) {
    StartLongScan();
    ClickButton(IDC_BITBTN4);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_BITBTN3); }));
    ClickButton(IDC_BITBTN7);
    Answer("Information", kUpdateMessage, "OK");
    ClickButton(IDC_BITBTN8);
    ASSERT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET5); }));
    ClickButton(IDC_BITBTN2);
    HWND about = WaitTopWindow(app_->id(), "About", nullptr);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));

    ChooseMenu(main_, IDM_SCAN1); // resumes
    ModalBox end = WaitBox(app_->id(), "Information");
    ASSERT_NE(end.window, nullptr);
    EXPECT_EQ(end.text, "Scan results: 3 infections found.");
    ASSERT_TRUE(PressBoxButton(end, "OK"));
    EXPECT_TRUE(WaitUntil([&] { return PageShown(IDC_TABSHEET3); }));
    EXPECT_EQ(ScannedFiles(), kFillers + drive_.SelectedCount());
}

TEST_F(ScannerWindow, StopWhilePausedFromTheMenuEndsTheRunWithItsSummary) {
    StartLongScan();
    ChooseMenu(main_, IDM_PAUSE1);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_BITBTN3); }));
    int paused = ScannedFiles();
    ChooseMenu(main_, IDM_STOP1);
    ModalBox end = WaitBox(app_->id(), "Information");
    ASSERT_NE(end.window, nullptr);
    EXPECT_TRUE(std::regex_match(end.text, std::regex("Scan results: \\d infections found\\."))) << end.text;
    ASSERT_TRUE(PressBoxButton(end, "OK"));
    // The waiting file was not checked, and the walk went no further.
    EXPECT_EQ(ScannedFiles(), paused);
    EXPECT_EQ(List(IDC_LOGLIST).Texts().back(), "Scan Complete");
    EXPECT_EQ(TextOf(IDC_LABEL4), "Complete");
    EXPECT_TRUE(Enabled(IDC_BITBTN3));
    EXPECT_FALSE(Enabled(IDC_BITBTN4));
    EXPECT_FALSE(Enabled(IDC_BITBTN5));
}

TEST_F(ScannerWindow, ExitDuringScanStopsAsksAndCloses) {
    StartLongScan();
    ClickButton(IDC_BITBTN1);
    Answer("Confirm", kCloseQuestion, "&No");
    ASSERT_TRUE(app_->WaitExit());
    EXPECT_EQ(ExitCode(), 0u);
    std::vector<Opening> opened = OpenedAfterExit();
    ASSERT_EQ(opened.size(), 1u) << "only the scan's own trial page";
    EXPECT_TRUE(IsTrialPage(opened[0])) << opened[0];
}

TEST_F(ScannerWindow, TitleBarCloseDuringScanStopsAsksAndClosesCleanly) {
    StartLongScan();
    PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    Answer("Confirm", kCloseQuestion, "&Yes");
    ASSERT_TRUE(app_->WaitExit());
    EXPECT_EQ(ExitCode(), 0u);
    std::vector<Opening> opened = OpenedAfterExit();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(IsTrialPage(opened[1])) << opened[1];
}

TEST_F(ScannerWindow, TitleBarCloseWhilePausedEndsThePauseAndCloses) {
    StartLongScan();
    ClickButton(IDC_BITBTN4);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_BITBTN3); }));
    PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    Answer("Confirm", kCloseQuestion, "&No");
    ASSERT_TRUE(app_->WaitExit());
    EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(ScannerWindow, ExitAnsweredNoClosesWithoutOpeningAPage) {
    ClickButton(IDC_BITBTN1);
    Answer("Confirm", kCloseQuestion, "&No");
    ASSERT_TRUE(app_->WaitExit());
    EXPECT_TRUE(OpenedAfterExit().empty());
}

TEST_F(ScannerWindow, ExitAnsweredYesOpensTrialPageAndCloses) {
    ChooseMenu(main_, IDM_EXIT1);
    Answer("Confirm", kCloseQuestion, "&Yes");
    ASSERT_TRUE(app_->WaitExit());
    std::vector<Opening> opened = OpenedAfterExit();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(IsTrialPage(opened[0])) << opened[0];
}

TEST_F(ScannerWindow, TitleBarCloseAsksTheSameQuestion) {
    PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    Answer("Confirm", kCloseQuestion, "&No");
    ASSERT_TRUE(app_->WaitExit());
    EXPECT_TRUE(OpenedAfterExit().empty());
}

} // namespace
