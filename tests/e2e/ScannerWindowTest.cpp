// The real bvxscan.exe, driven from outside through its own controls, menu
// and boxes, in a Wine prefix whose drive D: is a sample tree made here
// (run-e2e.sh sets up the prefix, the installed copy and the recorder that
// stands in for the browser and the mail program).
#include "WindowFixture.h"
#include "TempDir.h"
#include "WideFiles.h"
#include "driver/Eventually.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

using namespace e2e;

namespace {

const char kRestoredMessage[] = "Selected infections were restored.";
const char kDeletedMessage[] = "Selected infections were deleted.";
const char kUpdateMessage[] = "Spyware database is up to date. You do not need to update it now.";
const char kTrialPath[] = "/try-antispyware.htm";
const char kRecorder[] = "e2e_url_recorder.exe";

// The system's text for an error code, as the program's log quotes it.
std::string SystemText(DWORD code) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
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

// Real names that the ANSI code page cannot spell, kept as UTF-8 here and
// handed to the wide calls.
std::wstring WideOf(const std::string &utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                                        static_cast<int>(utf8.size()), &wide[0],
                                                        static_cast<int>(wide.size()))));
    return wide;
}

std::string Utf8Of(const std::wstring &wide) {
    std::string utf8(wide.size() * 4, '\0');
    utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(),
                                                        static_cast<int>(wide.size()), &utf8[0],
                                                        static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

bool WriteWideFile(const std::string &path, const std::string &content) {
    HANDLE file = CreateFileW(WideOf(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return written == content.size();
}

// The file's bytes through its real name, or a text saying it is not there.
std::string ReadWideFile(const std::string &path) {
    HANDLE file = CreateFileW(WideOf(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string content;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        content.append(block, got);
    CloseHandle(file);
    return content;
}

// A folder the test made with a real name, removed however the test ends:
// the sample drive's own clearing lists in ANSI and would leave it behind.
class WideFolder {
public:
    explicit WideFolder(const std::string &path) : path_(WideOf(path)) {
        made_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
    }
    ~WideFolder() {
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((path_ + L"\\" + entry.cFileName).c_str());
            } while (FindNextFileW(search, &entry));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    WideFolder(const WideFolder &) = delete;
    WideFolder &operator=(const WideFolder &) = delete;
    bool made() const { return made_; }

private:
    std::wstring path_;
    bool made_ = false;
};

// The captions of another process's list view, read wide, in UTF-8: the
// driver reads them in ANSI, where a real name it cannot spell shows as "?".
Strings WideListTexts(HANDLE process, HWND list) {
    constexpr int kTextRoom = 2048;
    Strings texts;
    const int count = static_cast<int>(SendPlain(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        RemoteBuffer remote(process, sizeof(LVITEMW) + kTextRoom * sizeof(wchar_t));
        LVITEMW request{};
        request.cchTextMax = kTextRoom;
        request.pszText = reinterpret_cast<wchar_t *>(static_cast<char *>(remote.address()) + sizeof(LVITEMW));
        DWORD_PTR length = 0;
        if (!remote.Write(&request, sizeof request) ||
            !SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                                 reinterpret_cast<LPARAM>(remote.address()), SMTO_ABORTIFHUNG, kWaitMs,
                                 &length)) {
            texts.push_back("(unreadable)");
            continue;
        }
        std::wstring text(length, L'\0');
        if (length > 0)
            remote.Read(&text[0], length * sizeof(wchar_t), sizeof(LVITEMW));
        texts.push_back(Utf8Of(text));
    }
    return texts;
}

class ScannerWindow : public WindowFixture {
protected:
    int Progress() const { return static_cast<int>(SendPlain(Control(IDC_PROGRESSBAR1), PBM_GETPOS, 0, 0)); }

    testing::AssertionResult ProgressIs(int expected) const {
        return Becomes([&] { return Progress(); }, expected);
    }
    testing::AssertionResult SortedListIs(int id, const Strings &expected) const {
        return Becomes([&] { return Sorted(List(id).Texts()); }, Sorted(expected));
    }
    // The tick of the row with this caption: "ticked", "unticked" or "no row".
    testing::AssertionResult TickIs(int id, const std::string &caption, bool ticked) const {
        return Becomes(
            [&] {
                RemoteListView list = List(id);
                int row = list.Find(caption);
                return std::string(row < 0 ? "no row" : list.Checked(row) ? "ticked" : "unticked");
            },
            std::string(ticked ? "ticked" : "unticked"));
    }
    // The log lines written after the first `from` lines.
    Strings LogSince(size_t from) const {
        Strings log = List(IDC_LOGLIST).Texts();
        return Strings(log.begin() + static_cast<std::ptrdiff_t>(std::min(from, log.size())), log.end());
    }
    testing::AssertionResult LogSinceIs(size_t from, const Strings &expected) const {
        return Becomes([&] { return LogSince(from); }, expected);
    }

    void TickDrive(const std::string &root) { Tick(IDC_DRIVELIST, root); }

    // Starts a scan of D: with many more files than the samples and waits
    // until the walk is busy.
    void StartLongScan() {
        drive_.WriteFillers(kFillers);
        TickDrive("D:\\");
        ClickButton(IDC_BITBTN3);
        Answer("Information", kStartMessage, "OK");
        ASSERT_TRUE(EnabledIs(IDC_BITBTN5, true)) << "the scan never got busy";
    }

    int ScannedFiles() const { return std::atoi(TextOf(IDC_LB_SCANNEDFILES).c_str()); }

    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(app_->handle(), &code);
        return code;
    }

    static constexpr int kFillers = 300;

    std::vector<Opening> Opened() const { return Openings(testsupport::ReadFile(Setting("BVX_E2E_OPENED"))); }

    // Waits until the recorder has seen this many openings and returns them all.
    std::vector<Opening> WaitOpened(size_t count) const {
        WaitUntil([&] { return Opened().size() >= count; });
        return Opened();
    }

    // The shell has started the recorder before the program goes on, so once
    // the program has ended and no recorder runs any more, the record is whole.
    std::vector<Opening> OpenedAfterExit() const {
        EXPECT_TRUE(WaitProcessesGone(kRecorder)) << "a recorder never ended";
        return Opened();
    }

};

TEST_F(ScannerWindow, StartsIdleWithBaseLoggedAndDrivesUnticked) {
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    EXPECT_TRUE(TextIs(IDC_LABEL4, "Ready"));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN3, true));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN4, false));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN5, false));
    EXPECT_TRUE(ListIs(IDC_LOGLIST, Strings{"Spyware Definitions Base e2e.bvx loaded", ""}));
    RemoteListView drives = List(IDC_DRIVELIST);
    int driveD = -1;
    ASSERT_TRUE(WaitUntil([&] { return (driveD = drives.Find("D:\\")) >= 0; })) << "no drive D:";
    EXPECT_TRUE(Becomes([&] { return drives.Image(driveD); }, 3)) << "a folder-backed drive is a fixed disk";
    for (int item = 0; item < drives.Count(); ++item)
        EXPECT_TRUE(Becomes([&] { return drives.Checked(item); }, false)) << drives.Text(item);
}

TEST_F(ScannerWindow, ShowsItsButtonsHeadingsAndCountersAsLaidOut) {
    RECT client{};
    GetClientRect(main_, &client);
    EXPECT_EQ(client.right - client.left, 534);
    EXPECT_EQ(client.bottom - client.top, 334);
    // Resizable and maximisable, starting at its smallest size (the
    // layout tests check that at every scaling).
    LONG style = GetWindowLongA(main_, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);

    // The captions with their mnemonics.
    const std::pair<int, const char *> captions[] = {
        {IDC_BITBTN3, "&Scan"},       {IDC_BITBTN4, "&Pause"},  {IDC_BITBTN5, "St&op"},
        {IDC_BITBTN8, "&Quarantine"}, {IDC_BITBTN7, "Upd&ate"}, {IDC_BITBTN2, "Abo&ut"},
        {IDC_BITBTN1, "&Exit"},       {IDC_BITBTN15, "Scan &Results"},
        {IDC_BITBTN12, "&Continue"},  {IDC_BITBTN9, "Fi&x && Continue"},
        {IDC_BITBTN6, "&Report"},     {IDC_BITBTN11, "&Delete"}, {IDC_BITBTN14, "&Restore"},
        {IDC_BITBTN13, "&Cancel"},    {IDC_HEADINGTEXT1, "Scan Drives"},
        {IDC_HEADINGTEXT2, "Report"}, {IDC_HEADINGTEXT3, "Scan Results"},
        {IDC_HEADINGTEXT4, "Scanning..."}, {IDC_HEADINGTEXT5, "Quarantine"},
        {IDC_LABEL4, "Ready"},        {IDC_LB_SCANNEDFILES, "0"}, {IDC_LB_SCANNEDMB, "0"},
        {IDC_LB_INFECTED, "0"},       {IDC_LB_SKIPPED, "0"},    {IDC_LABEL13, "0"},
        {IDC_LABEL11, "0"},
    };
    for (const auto &caption : captions)
        EXPECT_TRUE(TextIs(caption.first, caption.second)) << "control " << caption.first;
    for (const char *row : {"Scanned files (total):", "Scanned (MB):", "Infected:", "Skipped:",
                            "Suspected:", "Errors:"})
        EXPECT_NE(FindChildByText(main_, "Static", row), nullptr) << row;

    // Exactly one page shows, the drives; every drive reads like "C:\".
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    for (const std::string &drive : List(IDC_DRIVELIST).Texts())
        EXPECT_TRUE(std::regex_match(drive, std::regex("[A-Z]:\\\\"))) << drive;
}

TEST_F(ScannerWindow, ScanOfTickedDriveCountsLogsAndListsDetections) {
    TickDrive("D:\\");
    ASSERT_EQ(Scan(), "Scan results: 3 infections found.");

    std::vector<Opening> opened = WaitOpened(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(IsTrialPage(opened[0])) << opened[0];

    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET3));
    EXPECT_TRUE(SortedListIs(IDC_LISTVIEW2, drive_.DetectedPaths()));
    for (const std::string &path : drive_.DetectedPaths())
        EXPECT_TRUE(TickIs(IDC_LISTVIEW2, path, false)) << path;

    // Two lines of the start, the scan's lines in any order, a blank line and
    // the end.
    std::vector<std::string> expected = drive_.DetectionLogLines();
    expected.push_back("Ignored [" + drive_.LockedPath() + "]");
    EXPECT_TRUE(Becomes(
        [&] {
            std::vector<std::string> log = List(IDC_LOGLIST).Texts();
            if (log.size() < 4)
                return log;
            std::sort(log.begin() + 2, log.end() - 2);
            return log;
        },
        [&] {
            Strings whole{"Spyware Definitions Base e2e.bvx loaded", ""};
            Strings scanLines = Sorted(expected);
            whole.insert(whole.end(), scanLines.begin(), scanLines.end());
            whole.push_back("");
            whole.push_back("Scan Complete");
            return whole;
        }()));

    EXPECT_TRUE(TextIs(IDC_LB_SCANNEDFILES, std::to_string(drive_.SelectedCount())));
    EXPECT_TRUE(TextIs(IDC_LB_SCANNEDMB, "2"));
    EXPECT_TRUE(TextIs(IDC_LB_SKIPPED, "1"));
    // The end of the run shows the final numbers, a detection in the last
    // file checked included.
    EXPECT_TRUE(TextIs(IDC_LB_INFECTED, "3"));
    EXPECT_TRUE(TextIs(IDC_LABEL13, "0"));
    EXPECT_TRUE(TextIs(IDC_LABEL11, "0"));
    EXPECT_TRUE(TextIs(IDC_LABEL4, "Complete"));
    EXPECT_TRUE(ProgressIs(1000));

    EXPECT_TRUE(EnabledIs(IDC_BITBTN3, true));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN4, false));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN5, false));
}

TEST_F(ScannerWindow, ScanWithNoDriveTickedReportsNoneAndShowsDrives) {
    ASSERT_EQ(Scan(), "Scan results: 0 infections found.");
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    EXPECT_TRUE(CountIs(IDC_LISTVIEW2, 0));
    EXPECT_TRUE(ListIs(IDC_LOGLIST, Strings{"Spyware Definitions Base e2e.bvx loaded", "", "", "Scan Complete"}));
    std::vector<Opening> opened = WaitOpened(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(IsTrialPage(opened[0])) << opened[0];
}

TEST_F(ScannerWindow, FixAndContinueMovesTickedFileIntoQuarantineWithItsRecord) {
    ScanDriveD();
    const SampleFile &agent = drive_.file("spyagent.exe");
    size_t logBefore = List(IDC_LOGLIST).Texts().size();
    FixAndContinue(agent.path, "&Yes");

    EXPECT_FALSE(testsupport::FileExists(agent.path));
    std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");
    std::smatch record;
    // The record's description is the definition's name, as the row showed it.
    std::regex layout("(.*)\r\n(INFECTED\\((\\d+)\\)\\.Vir)\r\n(.*)\r\n\\d\\d:\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d\r\n");
    ASSERT_TRUE(std::regex_match(index, record, layout)) << index;
    EXPECT_EQ(record[1].str(), agent.path);
    EXPECT_EQ(record[4].str(), agent.detection);
    EXPECT_LE(std::stol(record[3].str()), 121120);
    EXPECT_EQ(FolderFiles(QuarantineFolder()), (Strings{"Files.ini", record[2].str()}));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + record[2].str()), agent.content);

    // The unticked rows stay; the page goes back to the drives; a move that
    // worked writes nothing to the log.
    std::vector<std::string> rest = drive_.DetectedPaths();
    rest.erase(std::find(rest.begin(), rest.end(), agent.path));
    EXPECT_TRUE(SortedListIs(IDC_LISTVIEW2, rest));
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    EXPECT_TRUE(LogSinceIs(logBefore, Strings{}));

    // Yes to "more spyware" opens the trial page again, after the scan's own.
    std::vector<Opening> opened = WaitOpened(2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(IsTrialPage(opened[1])) << opened[1];

    // The quarantine page lists the record until the next scan empties it;
    // that scan lists afresh and no longer finds the quarantined file.
    ChooseMenu(main_, IDM_QUARANTINE1);
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET5));
    EXPECT_TRUE(ListIs(IDC_LISTVIEW1, Strings{agent.path}));
    size_t logBeforeScan = List(IDC_LOGLIST).Texts().size();
    ASSERT_EQ(Scan(), "Scan results: 2 infections found.");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 0));
    EXPECT_TRUE(SortedListIs(IDC_LISTVIEW2, rest));
    EXPECT_TRUE(Becomes([&] { return List(IDC_LOGLIST).Texts().size() > logBeforeScan; }, true))
        << "the log is never emptied";
}

// A ticked file locked by another program and one removed behind the
// program's back: both rows stay, unticked; the log names each with the
// system's reason; the box warns how many failed; the page change and the
// question follow as usual.
TEST_F(ScannerWindow, FixAndContinueKeepsAndCountsRowsOfFilesThatCouldNotBeMoved) {
    ScanDriveD();
    const SampleFile &agent = drive_.file("spyagent.exe");
    const SampleFile &marker = drive_.file("virtual.txt");
    const SampleFile &dropper = drive_.file("dropper.dll");
    size_t logBefore = List(IDC_LOGLIST).Texts().size();
    Tick(IDC_LISTVIEW2, marker.path);
    Tick(IDC_LISTVIEW2, agent.path);
    Tick(IDC_LISTVIEW2, dropper.path);
    ASSERT_TRUE(DeleteFileA(dropper.path.c_str()));
    {
        ExclusiveOpen inUse(agent.path); // the system refuses to move an open file
        ASSERT_TRUE(inUse.held());
        ClickButton(IDC_BITBTN9);
        Answer("Warning",
               "2 of 3 selected infections could not be moved to Quarantine. See the report for the reasons.",
               "OK");
        EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
        Answer("Confirm", kCloseQuestion, "&No");
    }
    // The file in use stays, and so does the record of the one that is gone.
    EXPECT_EQ(testsupport::ReadFile(agent.path), agent.content);
    EXPECT_FALSE(testsupport::FileExists(marker.path));
    EXPECT_TRUE(SortedListIs(IDC_LISTVIEW2, Strings{agent.path, dropper.path}));
    EXPECT_TRUE(TickIs(IDC_LISTVIEW2, agent.path, false));
    EXPECT_TRUE(TickIs(IDC_LISTVIEW2, dropper.path, false));
    std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");
    EXPECT_EQ(index.compare(0, marker.path.size() + 2, marker.path + "\r\n"), 0) << index;
    EXPECT_EQ(Lines(index).size(), 4u);
    EXPECT_EQ(FolderFiles(QuarantineFolder()).size(), 2u);
    // One line per failure, in the order of the rows, with the system's reason.
    std::vector<std::string> rows = List(IDC_LISTVIEW2).Texts();
    Strings expected;
    for (const std::string &path : rows)
        expected.push_back("Could not move [" + path + "] to Quarantine: " +
                           SystemText(path == agent.path ? ERROR_SHARING_VIOLATION : ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(LogSinceIs(logBefore, expected));
    EXPECT_EQ(WaitOpened(1).size(), 1u) << "No opened nothing: only the scan's trial page";
}

TEST_F(ScannerWindow, QuarantinePageListsRecordAndRestorePutsFileBack) {
    ScanDriveD();
    const SampleFile &dropper = drive_.file("dropper.dll");
    FixAndContinue(dropper.path, "&No");
    ASSERT_FALSE(testsupport::FileExists(dropper.path));

    OpenQuarantinePage();
    ASSERT_TRUE(ListIs(IDC_LISTVIEW1, Strings{dropper.path}));
    EXPECT_TRUE(TickIs(IDC_LISTVIEW1, dropper.path, false));
    std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");
    size_t logBefore = List(IDC_LOGLIST).Texts().size();

    // Nothing ticked: the box shows, nothing moves.
    ClickButton(IDC_BITBTN14);
    Answer("Warning", kRestoredMessage, "OK");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 1));
    EXPECT_FALSE(testsupport::FileExists(dropper.path));

    // A new file in the way: the restore fails, keeps row, record and file,
    // says so in the box and gives the system's reason in the log.
    testsupport::WriteFile(dropper.path, "newer file");
    Tick(IDC_LISTVIEW1, dropper.path);
    ClickButton(IDC_BITBTN14);
    Answer("Warning", "The selected infection could not be restored. See the report for the reason.", "OK");
    EXPECT_TRUE(ListIs(IDC_LISTVIEW1, Strings{dropper.path}));
    EXPECT_TRUE(TickIs(IDC_LISTVIEW1, dropper.path, false));
    EXPECT_EQ(testsupport::ReadFile(dropper.path), "newer file");
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), index);
    EXPECT_EQ(FolderFiles(QuarantineFolder()).size(), 2u);
    EXPECT_TRUE(LogSinceIs(logBefore, Strings{"Could not restore [" + dropper.path + "]: " +
                                              SystemText(ERROR_ALREADY_EXISTS)}));

    DeleteFileA(dropper.path.c_str());
    Tick(IDC_LISTVIEW1, dropper.path);
    ClickButton(IDC_BITBTN14);
    Answer("Warning", kRestoredMessage, "OK");

    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 0));
    ASSERT_TRUE(testsupport::FileExists(dropper.path));
    EXPECT_EQ(testsupport::ReadFile(dropper.path), dropper.content);
    EXPECT_EQ(FolderFiles(QuarantineFolder()), (Strings{"Files.ini"}));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), "");
    EXPECT_EQ(LogSince(logBefore).size(), 1u) << "a restore that worked logs nothing";

    // No to the question opened nothing: only the scan's trial page.
    std::vector<Opening> opened = WaitOpened(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(IsTrialPage(opened[0]));

    ClickButton(IDC_BITBTN13); // Cancel
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
}

TEST_F(ScannerWindow, ACyrillicNamedDetectionGoesToQuarantineAndComesBackUnderItsRealName) {
    const SampleFile &dropper = drive_.file("dropper.dll");
    WideFolder folder(u8"D:\\Загрузки");
    ASSERT_TRUE(folder.made());
    const std::string path = u8"D:\\Загрузки\\троян.exe";
    ASSERT_TRUE(WriteWideFile(path, dropper.content));
    TickDrive("D:\\");
    ASSERT_EQ(Scan(), "Scan results: 4 infections found.");

    // The log and the results show the real name.
    const std::string found = "Found infection in [" + path + "] - [" + dropper.detection + "]";
    EXPECT_TRUE(Becomes([&] {
        Strings log = WideListTexts(app_->handle(), Control(IDC_LOGLIST));
        return std::count(log.begin(), log.end(), found);
    }, std::ptrdiff_t{1}));
    Strings results = WideListTexts(app_->handle(), Control(IDC_LISTVIEW2));
    const auto row = std::find(results.begin(), results.end(), path);
    ASSERT_NE(row, results.end());

    ASSERT_TRUE(List(IDC_LISTVIEW2).SetChecked(static_cast<int>(row - results.begin()), true));
    ClickButton(IDC_BITBTN9);
    Answer("Information", kMovedMessage, "OK");
    Answer("Confirm", kCloseQuestion, "&No");
    EXPECT_EQ(ReadWideFile(path), "<missing>");
    // ANSI cannot spell the record: the index is UTF-8 after its mark.
    std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");
    EXPECT_EQ(index.substr(0, 3 + path.size() + 2), "\xEF\xBB\xBF" + path + "\r\n");

    OpenQuarantinePage();
    EXPECT_TRUE(Becomes([&] { return WideListTexts(app_->handle(), Control(IDC_LISTVIEW1)); },
                        Strings{path}));
    ASSERT_TRUE(List(IDC_LISTVIEW1).SetChecked(0, true));
    ClickButton(IDC_BITBTN14);
    Answer("Warning", kRestoredMessage, "OK");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 0));
    EXPECT_EQ(ReadWideFile(path), dropper.content);
    EXPECT_EQ(FolderFiles(QuarantineFolder()), (Strings{"Files.ini"}));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), "");
}

// The program copied to folders whose names the ANSI code page cannot spell,
// as a user's profile or a portable copy may be: the base loads and its log
// line shows its real name, About shows ver.ini's version, and Fix &
// Continue, Restore and Delete work on the quarantine beside the copy.
TEST_F(ScannerWindow, TheProgramWorksInAFolderOfAnyName) {
    const char *const programFolders[] = {u8"Программы Jürgen\\Brenvald\\",
                                          u8"プログラム Jürgen\\Brenvald\\"};
    const std::string baseName = u8"база.bvx";
    for (const std::string programFolder : programFolders) {
        SCOPED_TRACE(programFolder);
        const std::string folder = AppFolder() + programFolder;
        // The copy ends before its folder goes, however the case ends.
        struct TCopy {
            std::unique_ptr<AppProcess> &app;
            std::string top;
            ~TCopy() {
                app.reset();
                testsupport::RemoveWideTree(testsupport::LongForm(top));
            }
        } copy{app_, AppFolder() + programFolder.substr(0, programFolder.find('\\'))};
        drive_.Write();
        testsupport::MakeWideFolder(folder + "Bases");
        // The installed copy's files (folders and the suite's base apart).
        for (const std::string &file : FolderFiles(AppFolder()))
            testsupport::CopyToWidePath(AppFolder() + file, folder + file);
        testsupport::CopyToWidePath(AppFolder() + "Bases\\e2e.bvx", folder + "Bases\\" + baseName);
        StartApp(WideOf(folder + "bvxscan.exe"));
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_TRUE(Becomes([&] { return WideListTexts(app_->handle(), Control(IDC_LOGLIST)); },
                            Strings{"Spyware Definitions Base " + baseName + " loaded", ""}));

        ClickButton(IDC_BITBTN2);
        HWND about = WaitTopWindow(app_->id(), "About", nullptr);
        ASSERT_NE(about, nullptr);
        EXPECT_TRUE(Becomes([&] { return GetText(FindControl(about, IDC_ABOUT_LABEL2)); },
                            std::string("Version 1.0")));
        ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));

        ScanDriveD();
        const SampleFile &agent = drive_.file("spyagent.exe");
        const SampleFile &dropper = drive_.file("dropper.dll");
        Tick(IDC_LISTVIEW2, agent.path);
        FixAndContinue(dropper.path, "&No");
        const std::string index = folder + "Quarantine\\Files.ini";
        for (const std::string &path : {agent.path, dropper.path})
            EXPECT_NE(ReadWideFile(index).find(path + "\r\n"), std::string::npos)
                << ReadWideFile(index);
        EXPECT_FALSE(testsupport::FileExists(agent.path));
        EXPECT_FALSE(testsupport::FileExists(QuarantineFolder())) << "not the copy's quarantine";

        OpenQuarantinePage();
        ASSERT_TRUE(SortedListIs(IDC_LISTVIEW1, Strings{agent.path, dropper.path}));
        Tick(IDC_LISTVIEW1, agent.path);
        ClickButton(IDC_BITBTN14);
        Answer("Warning", kRestoredMessage, "OK");
        ASSERT_TRUE(ListIs(IDC_LISTVIEW1, Strings{dropper.path}));
        EXPECT_EQ(testsupport::ReadFile(agent.path), agent.content);
        Tick(IDC_LISTVIEW1, dropper.path);
        ClickButton(IDC_BITBTN11);
        Answer("Confirm", kDeleteOneQuestion, "&Yes");
        Answer("Information", kDeletedMessage, "OK");
        EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 0));
        EXPECT_FALSE(testsupport::FileExists(dropper.path));
        EXPECT_EQ(ReadWideFile(index), "");
    }
}

TEST_F(ScannerWindow, StoredFileRemovedElsewhereShowsMissingAndKeepsItsRecord) {
    ScanDriveD();
    const SampleFile &agent = drive_.file("spyagent.exe");
    const SampleFile &marker = drive_.file("virtual.txt");
    Tick(IDC_LISTVIEW2, marker.path);
    FixAndContinue(agent.path, "&No");
    std::string index = testsupport::ReadFile(QuarantineFolder() + "Files.ini");
    std::vector<std::string> lines = Lines(index);
    ASSERT_EQ(lines.size(), 8u) << index;
    ASSERT_TRUE(DeleteFileA((QuarantineFolder() + lines[1]).c_str())); // first record's file

    OpenQuarantinePage();
    ASSERT_TRUE(ListIs(IDC_LISTVIEW1, Strings{lines[0], lines[4]}));
    RemoteListView quarantine = List(IDC_LISTVIEW1);
    const int missing = 0, present = 1;
    const COLORREF lightRed = RGB(255, 208, 208);
    RECT missingLabel = quarantine.LabelOnScreen(missing);
    int labelArea = (missingLabel.right - missingLabel.left) * (missingLabel.bottom - missingLabel.top);
    // The page paints when its turn comes.
    EXPECT_TRUE(WaitUntil([&] { return CountScreenPixels(missingLabel, lightRed) > labelArea / 3; }))
        << "no missing mark: " << CountScreenPixels(missingLabel, lightRed) << " of " << labelArea
        << " pixels at " << missingLabel.left << "," << missingLabel.top << " "
        << missingLabel.right << "," << missingLabel.bottom;
    EXPECT_TRUE(Becomes([&] { return CountScreenPixels(quarantine.LabelOnScreen(present), lightRed); }, 0));

    // Neither command can act on the missing file: row, tick-free, and record
    // stay, and the boxes say it could not be done.
    size_t logBefore = List(IDC_LOGLIST).Texts().size();
    Tick(IDC_LISTVIEW1, lines[0]);
    ClickButton(IDC_BITBTN14);
    Answer("Warning", "The selected infection could not be restored. See the report for the reason.", "OK");
    Tick(IDC_LISTVIEW1, lines[0]);
    ClickButton(IDC_BITBTN11);
    Answer("Confirm", kDeleteOneQuestion, "&Yes");
    Answer("Warning", "The selected infection could not be deleted. See the report for the reason.", "OK");
    EXPECT_TRUE(ListIs(IDC_LISTVIEW1, Strings{lines[0], lines[4]}));
    EXPECT_TRUE(TickIs(IDC_LISTVIEW1, lines[0], false));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), index);
    EXPECT_FALSE(testsupport::FileExists(lines[0]));
    const std::string reason = "\"" + QuarantineFolder() + lines[1] + "\": " + SystemText(ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(LogSinceIs(logBefore, Strings{"Could not restore [" + lines[0] + "]: " + reason,
                                              "Could not delete [" + lines[0] + "]: " + reason}));
}

TEST_F(ScannerWindow, DeleteRemovesStoredFileAndRecordForGood) {
    ScanDriveD();
    const SampleFile &marker = drive_.file("virtual.txt");
    FixAndContinue(marker.path, "&No");
    OpenQuarantinePage();
    ASSERT_TRUE(ListIs(IDC_LISTVIEW1, Strings{marker.path}));

    // Nothing ticked: nothing changes, the box shows all the same.
    ClickButton(IDC_BITBTN11);
    Answer("Information", kDeletedMessage, "OK");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 1));
    EXPECT_EQ(FolderFiles(QuarantineFolder()).size(), 2u);

    Tick(IDC_LISTVIEW1, marker.path);
    ClickButton(IDC_BITBTN11);
    Answer("Confirm", kDeleteOneQuestion, "&Yes");
    Answer("Information", kDeletedMessage, "OK");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 0));
    EXPECT_EQ(FolderFiles(QuarantineFolder()), (Strings{"Files.ini"}));
    EXPECT_EQ(testsupport::ReadFile(QuarantineFolder() + "Files.ini"), "");
    EXPECT_FALSE(testsupport::FileExists(marker.path));
}

// A restore or delete of several ticked rows that all work shows the usual
// boxes, and every other row keeps standing for its own record.
TEST_F(ScannerWindow, RestoreAndDeleteOfSeveralRowsKeepTheOthersMatched) {
    ScanDriveD();
    const SampleFile &agent = drive_.file("spyagent.exe");
    const SampleFile &marker = drive_.file("virtual.txt");
    const SampleFile &dropper = drive_.file("dropper.dll");
    for (const SampleFile *file : {&agent, &marker})
        Tick(IDC_LISTVIEW2, file->path);
    FixAndContinue(dropper.path, "&No");
    OpenQuarantinePage();
    ASSERT_TRUE(CountIs(IDC_LISTVIEW1, 3));
    Strings rows = List(IDC_LISTVIEW1).Texts();

    Tick(IDC_LISTVIEW1, rows[0]);
    Tick(IDC_LISTVIEW1, rows[2]);
    ClickButton(IDC_BITBTN14);
    Answer("Warning", kRestoredMessage, "OK");
    EXPECT_TRUE(ListIs(IDC_LISTVIEW1, Strings{rows[1]}));
    EXPECT_TRUE(testsupport::FileExists(rows[0]));
    EXPECT_TRUE(testsupport::FileExists(rows[2]));
    EXPECT_FALSE(testsupport::FileExists(rows[1]));
    EXPECT_EQ(Lines(testsupport::ReadFile(QuarantineFolder() + "Files.ini")).at(0), rows[1]);

    Tick(IDC_LISTVIEW1, rows[1]);
    ClickButton(IDC_BITBTN11);
    Answer("Confirm", kDeleteOneQuestion, "&Yes");
    Answer("Information", kDeletedMessage, "OK");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW1, 0));
    EXPECT_EQ(FolderFiles(QuarantineFolder()), (Strings{"Files.ini"}));
}

TEST_F(ScannerWindow, PageButtonsSwitchPagesAndFixWithNothingTickedMovesNothing) {
    ScanDriveD();
    ClickButton(IDC_BITBTN6); // Report
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET2));
    ClickButton(IDC_BITBTN15); // Scan Results
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET3));
    EXPECT_TRUE(CountIs(IDC_LISTVIEW2, 3));

    // Fix & Continue with nothing ticked moves nothing but still says its say.
    ClickButton(IDC_BITBTN9);
    Answer("Information", kMovedMessage, "OK");
    Answer("Confirm", kCloseQuestion, "&No");
    EXPECT_TRUE(CountIs(IDC_LISTVIEW2, 3));
    EXPECT_FALSE(testsupport::FileExists(QuarantineFolder()));
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    ClickButton(IDC_BITBTN8); // Quarantine
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET5));
    ClickButton(IDC_BITBTN13); // Cancel
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    ChooseMenu(main_, IDM_REPORT1);
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET2));
    ClickButton(IDC_BITBTN12); // Continue
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
}

TEST_F(ScannerWindow, UpdateShowsUpToDateBoxFromButtonAndMenu) {
    ClickButton(IDC_BITBTN7);
    Answer("Information", kUpdateMessage, "OK");
    ChooseMenu(main_, IDM_UPDATE1);
    Answer("Information", kUpdateMessage, "OK");
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    EXPECT_TRUE(ListIs(IDC_LOGLIST, Strings{"Spyware Definitions Base e2e.bvx loaded", ""}));
    EXPECT_TRUE(Opened().empty());
}

TEST_F(ScannerWindow, AboutShowsVersionFromVerIniOnEveryShowing) {
    std::string verIni = AppFolder() + "ver.ini";
    ASSERT_TRUE(testsupport::FileExists(verIni)) << "ver.ini is not installed beside the program";
    std::string shipped = testsupport::ReadFile(verIni);
    auto versionLine = [](HWND about) {
        return [about] { return GetText(FindControl(about, IDC_ABOUT_LABEL2)); };
    };

    ClickButton(IDC_BITBTN2);
    HWND about = WaitTopWindow(app_->id(), "About", nullptr);
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(Becomes(versionLine(about), std::string("Version 1.0")));
    EXPECT_EQ(GetText(FindControl(about, IDC_ABOUT_LABEL1)), "Brenvald");
    EXPECT_NE(GetText(FindControl(about, IDC_ABOUT_LABEL6)).find(".example"), std::string::npos)
        << "the site link is not the reserved domain";
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
    EXPECT_TRUE(Becomes(versionLine(about), std::string("Version 2.5")));
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
    EXPECT_TRUE(Becomes(versionLine(about), std::string("Version 2.5")));
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
    ASSERT_TRUE(EnabledIs(IDC_BITBTN3, true)) << "Pause did not enable Scan";
    EXPECT_TRUE(EnabledIs(IDC_BITBTN4, true));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN5, true));
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET4));
    // Scan is enabled by the Pause handler itself, before the walk takes its
    // next file: from here on nothing may be counted until the resume.
    const int paused = ScannedFiles();
    EXPECT_TRUE(HoldsFor([&] { return ScannedFiles() == paused; }, 1500)) << "files were checked while paused";
    EXPECT_LT(paused, kFillers) << "the scan ended before the pause took hold";
    // One step per checked file, up to 93; the status names the waiting file.
    EXPECT_TRUE(ProgressIs(std::min(paused, 93)));
    EXPECT_TRUE(Becomes([&] { return TextOf(IDC_LABEL4).compare(0, 6, "Scan: ") == 0; }, true))
        << TextOf(IDC_LABEL4);

    ClickButton(IDC_BITBTN3); // resumes
    ModalBox end = WaitBox(app_->id(), "Information");
    ASSERT_NE(end.window, nullptr);
    EXPECT_EQ(end.text, "Scan results: 3 infections found.");
    ASSERT_TRUE(PressBoxButton(end, "OK"));
    // The file that waited during the pause is checked once, none is lost.
    EXPECT_TRUE(TextIs(IDC_LB_SCANNEDFILES, std::to_string(kFillers + drive_.SelectedCount())));
    EXPECT_TRUE(ProgressIs(1000));
}

TEST_F(ScannerWindow, OtherCommandsWorkInTheMiddleOfAScan) {
    StartLongScan();
    ClickButton(IDC_BITBTN4);
    ASSERT_TRUE(EnabledIs(IDC_BITBTN3, true));
    ClickButton(IDC_BITBTN7);
    Answer("Information", kUpdateMessage, "OK");
    ClickButton(IDC_BITBTN8);
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET5));
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
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET3));
    EXPECT_TRUE(TextIs(IDC_LB_SCANNEDFILES, std::to_string(kFillers + drive_.SelectedCount())));
}

TEST_F(ScannerWindow, StopWhilePausedFromTheMenuEndsTheRunWithItsSummary) {
    StartLongScan();
    ChooseMenu(main_, IDM_PAUSE1);
    ASSERT_TRUE(EnabledIs(IDC_BITBTN3, true));
    const int paused = ScannedFiles();
    ChooseMenu(main_, IDM_STOP1);
    ModalBox end = WaitBox(app_->id(), "Information");
    ASSERT_NE(end.window, nullptr);
    EXPECT_TRUE(std::regex_match(end.text, std::regex("Scan results: \\d infections found\\."))) << end.text;
    ASSERT_TRUE(PressBoxButton(end, "OK"));
    // The waiting file was not checked, and the walk went no further.
    EXPECT_TRUE(TextIs(IDC_LB_SCANNEDFILES, std::to_string(paused)));
    EXPECT_TRUE(Becomes([&] { return List(IDC_LOGLIST).Texts().back(); }, std::string("Scan Complete")));
    EXPECT_TRUE(TextIs(IDC_LABEL4, "Complete"));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN3, true));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN4, false));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN5, false));
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
    ASSERT_TRUE(EnabledIs(IDC_BITBTN3, true));
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
