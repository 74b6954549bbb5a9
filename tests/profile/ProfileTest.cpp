// The per-user installer's round trip for a user whose profile folder has a
// name that the ANSI code page cannot spell, so that the program lands in
// such a folder: install silently, scan with the installed bvxtool, start
// the installed scanner, scan, quarantine, restore, uninstall silently.
// run-profile.sh makes the prefix (its user so named), maps D: to a copy of
// the demo files and passes in the environment:
//   BVX_PROFILE_SETUP  the installer
//   BVX_PROFILE_BIN    the build's bin folder, ending in a backslash (for
//                      the sample base, which the package does not hold)
#include "ConsoleRun.h"
#include "WideFiles.h"
#include "WindowDriver.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

using namespace e2e;
using testsupport::CopyToWidePath;
using testsupport::ReadWideFile;
using testsupport::WideExists;

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brenvald";
const char kBaseName[] = u8"образец.bvx";
// The demo files that the sample base detects, one of each kind.
const std::vector<std::string> kDetected = {"D:\\spyware-fingerprint-demo.txt",
                                            "D:\\trojan-pattern-demo.txt",
                                            "D:\\worm-offset-demo.txt"};

std::string Env(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string Utf8Of(const std::wstring &wide) {
    std::string utf8(wide.size() * 4, '\0');
    utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(),
                                                        static_cast<int>(wide.size()), &utf8[0],
                                                        static_cast<int>(utf8.size()), nullptr,
                                                        nullptr)));
    return utf8;
}

std::wstring WideOfAnsi(const std::string &ansi) {
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(),
                                                        static_cast<int>(ansi.size()), &wide[0],
                                                        static_cast<int>(wide.size()))));
    return wide;
}

bool SpelledInAnsi(const std::wstring &text) {
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        nullptr, 0, nullptr, &usedDefault);
    return !usedDefault;
}

// Where the installer puts the program by default, by its wide path.
std::wstring InstallFolder() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\Programs\\Brenvald\\";
}

bool UninstallKeyExists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

using testsupport::ConsoleRun;

// The output goes to a file in C:\ : the temporary folder lies in the
// profile, which ANSI cannot spell.
ConsoleRun RunConsole(const std::wstring &commandLine) {
    return testsupport::RunConsole(commandLine, L"C:\\bvx-profile-output.txt", kWaitMs);
}

std::wstring Quoted(const std::wstring &text) { return L"\"" + text + L"\""; }

// Every file below a folder (UTF-8, ending in a backslash), relative to it.
void ListFiles(const std::wstring &folder, const std::string &relative,
               std::set<std::string> &files) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(folder + name + L"\\", relative + Utf8Of(name) + "\\", files);
        else
            files.insert(relative + Utf8Of(name));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

std::set<std::string> FilesBelow(const std::wstring &folder) {
    std::set<std::string> files;
    ListFiles(folder, "", files);
    return files;
}

void PressOn(DWORD processId, const std::string &caption, const std::string &text,
             const std::string &button) {
    ModalBox box = WaitBox(processId, caption);
    ASSERT_NE(box.window, nullptr) << "no \"" << caption << "\" box";
    EXPECT_EQ(box.text, text);
    ASSERT_TRUE(PressBoxButton(box, button)) << "cannot press " << button;
}

// Ticks every row of a list once it holds count rows.
void TickAll(RemoteListView list, int count) {
    ASSERT_TRUE(WaitUntil([&] { return list.Count() == count; })) << list.Count() << " rows";
    for (int row = 0; row < count; ++row)
        ASSERT_TRUE(list.SetChecked(row, true));
}

// The installed scanner: the base loads, a scan of D: finds the demo files,
// Fix & Continue moves them into the quarantine beside the program, and
// Restore brings back all but the last.
void ScanQuarantineAndRestoreInTheWindow(const std::wstring &folder) {
    AppProcess app(folder + L"bvxscan.exe");
    ASSERT_TRUE(app.started());
    HWND window = WaitTopWindow(app.id(), "Brenvald", "TMainForm");
    ASSERT_NE(window, nullptr) << "the installed scanner shows no window";
    RemoteListView log(app.handle(), FindControl(window, IDC_LOGLIST));
    ASSERT_TRUE(WaitUntil([&] { return log.Count() == 2; })) << "no base line in the log";
    EXPECT_EQ(log.Text(0).rfind("Spyware Definitions Base ", 0), 0u) << log.Text(0);

    RemoteListView drives(app.handle(), FindControl(window, IDC_DRIVELIST));
    int driveD = -1;
    ASSERT_TRUE(WaitUntil([&] { return (driveD = drives.Find("D:\\")) >= 0; })) << "no drive D:";
    ASSERT_TRUE(drives.SetChecked(driveD, true));
    ASSERT_TRUE(Click(FindControl(window, IDC_BITBTN3)));
    PressOn(app.id(), "Information", "Scan in progress. You have a time to try other software.",
            "OK");
    PressOn(app.id(), "Information", "Scan results: 3 infections found.", "OK");

    TickAll(RemoteListView(app.handle(), FindControl(window, IDC_LISTVIEW2)), 3);
    ASSERT_TRUE(Click(FindControl(window, IDC_BITBTN9)));
    PressOn(app.id(), "Information", "Selected infections were moved to Quarantine.", "OK");
    PressOn(app.id(), "Confirm", "Do you want to detect and clean more spyware?", "&No");
    for (const std::string &path : kDetected)
        EXPECT_FALSE(WideExists(path)) << path;
    const std::string index = ReadWideFile(Utf8Of(folder) + "Quarantine\\Files.ini");
    for (const std::string &path : kDetected)
        EXPECT_NE(index.find(path + "\r\n"), std::string::npos) << index;

    ASSERT_TRUE(Click(FindControl(window, IDC_BITBTN8)));
    RemoteListView stored(app.handle(), FindControl(window, IDC_LISTVIEW1));
    ASSERT_TRUE(WaitUntil([&] { return stored.Count() == 3; })) << stored.Count() << " records";
    for (const std::string &path : {kDetected[0], kDetected[1]})
        ASSERT_TRUE(stored.SetChecked(stored.Find(path), true)) << path;
    ASSERT_TRUE(Click(FindControl(window, IDC_BITBTN14)));
    PressOn(app.id(), "Warning", "Selected infections were restored.", "OK");
    EXPECT_TRUE(WaitUntil([&] { return stored.Count() == 1; }));
    EXPECT_TRUE(WideExists(kDetected[0]));
    EXPECT_TRUE(WideExists(kDetected[1]));
    EXPECT_FALSE(WideExists(kDetected[2]));

    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    PressOn(app.id(), "Confirm", "Do you want to detect and clean more spyware?", "&No");
    ASSERT_TRUE(app.WaitExit());
}

TEST(ProfileRoundTrip, InstallScanQuarantineRestoreAndUninstallInAProfileOfAnyName) {
    const std::wstring folder = InstallFolder();
    const std::string shown = Utf8Of(folder);
    ASSERT_FALSE(SpelledInAnsi(folder))
        << "the profile folder " << shown << " is spelled in ANSI: the user name was not taken";

    ConsoleRun setup = RunConsole(Quoted(WideOfAnsi(Env("BVX_PROFILE_SETUP"))) + L" /S");
    ASSERT_EQ(setup.exitCode, 0u) << setup.output;
    ASSERT_TRUE(UninstallKeyExists());
    ASSERT_TRUE(WideExists(shown + "bvxscan.exe")) << "nothing installed in " << shown;
    CopyToWidePath(Env("BVX_PROFILE_BIN") + "Bases\\sample.bvx", shown + "Bases\\" + kBaseName);

    ConsoleRun scan = RunConsole(Quoted(folder + L"bvxtool.exe") + L" scan D:\\");
    EXPECT_EQ(scan.exitCode, 1u) << scan.output;
    EXPECT_NE(scan.output.find(std::string("Spyware Definitions Base ") + kBaseName + " loaded"),
              std::string::npos)
        << scan.output;
    EXPECT_NE(scan.output.find("Infected: 3"), std::string::npos) << scan.output;

    ScanQuarantineAndRestoreInTheWindow(folder);

    ConsoleRun uninstall = RunConsole(Quoted(folder + L"Uninstall.exe") + L" /S");
    ASSERT_EQ(uninstall.exitCode, 0u) << uninstall.output;
    ASSERT_TRUE(WaitUntil([] { return !UninstallKeyExists(); })) << "the uninstaller did not finish";
    // The base the user added and the file still in quarantine stay, with
    // its record; everything the installer put there is gone.
    const std::set<std::string> left = FilesBelow(folder);
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left.count(std::string("Bases\\") + kBaseName), 1u);
    EXPECT_EQ(left.count("Quarantine\\Files.ini"), 1u);
    EXPECT_NE(ReadWideFile(shown + "Quarantine\\Files.ini").find(kDetected[2] + "\r\n"),
              std::string::npos);
}

} // namespace
