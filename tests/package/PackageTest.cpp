// What a user receives, tried as a user would: the unpacked zip and the
// per-user installer. run-package.sh makes the package, unpacks the zip and
// passes the paths and the version in the environment:
//   BVX_PKG_UNZIPPED  the zip's top folder (ending in a backslash)
//   BVX_PKG_SETUP     the installer
//   BVX_PKG_BIN       the build's bin folder (for kernelinfo.exe)
//   BVX_PKG_VERSION   the version in the zip's name
#include "ConsoleRun.h"
#include "TempDir.h"
#include "WideFiles.h"
#include "WindowDriver.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

using namespace e2e;
using testsupport::MakeDir;
using testsupport::ReadFile;
using testsupport::RemoveTree;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::string Env(const char *name) {
    char value[MAX_PATH * 2] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

const std::string &Version() {
    static const std::string version = Env("BVX_PKG_VERSION");
    return version;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Every file below the folder, as relative paths.
void ListFiles(const std::string &folder, const std::string &relative, std::set<std::string> &files) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + relative + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(folder, relative + name + "\\", files);
        else
            files.insert(relative + name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

std::set<std::string> FilesBelow(const std::string &folder) {
    std::set<std::string> files;
    ListFiles(folder, "", files);
    return files;
}

using testsupport::ConsoleRun;

ConsoleRun RunConsole(const std::string &commandLine) {
    TempDir scratch;
    return testsupport::RunConsole(testsupport::WideFrom(commandLine, CP_ACP),
                                   testsupport::WideFrom(scratch.file("output.txt"), CP_ACP), kWaitMs);
}

std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

// A base author's round: a definition list made into a base in the
// program's Bases folder with its bvxtool, then a scan of a folder with one
// matching file, which must be found.
void MakeBaseAndScan(const std::string &programFolder) {
    TempDir work;
    WriteFile(work.file("author.list"),
              "#header1 Package test\n1\tPackage.Pattern\t50 4B 47 2D 54 45 53 54\t0\n");
    const std::string bvxtool = Quoted(programFolder + "bvxtool.exe");
    ConsoleRun made = RunConsole(bvxtool + " make " + Quoted(work.file("author.list")) + " " +
                                 Quoted(programFolder + "Bases\\author.bvx"));
    ASSERT_EQ(made.exitCode, 0u) << made.output;
    ASSERT_TRUE(Exists(programFolder + "Bases\\author.bvx"));

    MakeDir(work.file("drive"));
    WriteFile(work.file("drive\\sample.exe"), "MZ....PKG-TEST....");
    WriteFile(work.file("drive\\clean.exe"), "MZ nothing here");
    ConsoleRun scan = RunConsole(bvxtool + " scan " + Quoted(work.file("drive")));
    EXPECT_EQ(scan.exitCode, 1u) << scan.output;
    EXPECT_NE(scan.output.find("Found infection in [" + work.file("drive\\sample.exe") +
                               "] - [Package.Pattern]"),
              std::string::npos)
        << scan.output;
    EXPECT_EQ(scan.output.find("clean.exe] - ["), std::string::npos) << scan.output;
}

// ---- version resources and manifests of the shipped programs ----

struct VersionRow {
    const char *file;
    bool fromBin; // not shipped: checked in the build's bin folder
    const char *block;
    const char *fileDescription;
    const char *productName;
    const char *internalName; // null: not checked
};

std::string VersionString(const std::vector<char> &data, const std::string &block,
                          const std::string &key) {
    void *value = nullptr;
    UINT length = 0;
    const std::string query = "\\StringFileInfo\\" + block + "\\" + key;
    if (!VerQueryValueA(data.data(), query.c_str(), &value, &length) || length == 0)
        return "<missing>";
    return std::string(static_cast<const char *>(value));
}

std::vector<char> VersionData(const std::string &path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        data.clear();
    return data;
}

std::string ProgramPath(const VersionRow &row) {
    return (row.fromBin ? Env("BVX_PKG_BIN") : Env("BVX_PKG_UNZIPPED")) + row.file;
}

// "1.0" as the four numbers 1.0.0.0.
std::string Dotted(const std::string &version) {
    std::string dotted = version;
    for (size_t parts = std::count(version.begin(), version.end(), '.') + 1; parts < 4; ++parts)
        dotted += ".0";
    return dotted;
}

TEST(ShippedPrograms, VersionResourcesCarryTheProductVersion) {
    ASSERT_FALSE(Version().empty()) << "BVX_PKG_VERSION is not set";
    const VersionRow rows[] = {
        {"bvxscan.exe", false, "040904B0", "Brenvald anti-spyware scanner", "Brenvald", "bvxscan"},
        {"bvxtool.exe", false, "040904B0", "Brenvald definition base tool", "Brenvald", "bvxtool"},
        {"kernelinfo.exe", true, "040904B0", "Brenvald engine information", "Brenvald", "kernelinfo"},
    };
    for (const VersionRow &row : rows) {
        SCOPED_TRACE(row.file);
        const std::vector<char> data = VersionData(ProgramPath(row));
        ASSERT_FALSE(data.empty()) << "no version resource";
        EXPECT_EQ(VersionString(data, row.block, "FileDescription"), row.fileDescription);
        EXPECT_EQ(VersionString(data, row.block, "ProductName"), row.productName);
        EXPECT_EQ(VersionString(data, row.block, "InternalName"), row.internalName);
        EXPECT_EQ(VersionString(data, row.block, "OriginalFilename"), row.file);
        EXPECT_EQ(VersionString(data, row.block, "ProductVersion"), Version());
        EXPECT_EQ(VersionString(data, row.block, "FileVersion"), Dotted(Version()));
        EXPECT_EQ(VersionString(data, row.block, "LegalCopyright"),
                  "(C) 2026 The Brenvald authors. MIT License.");

        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
        char numbers[64];
        snprintf(numbers, sizeof numbers, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                 LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                 LOWORD(fixed->dwFileVersionLS));
        EXPECT_EQ(numbers, Dotted(Version()));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    }
}

TEST(ShippedPrograms, KernelKeepsItsOwnVersionResource) {
    const std::vector<char> data = VersionData(Env("BVX_PKG_UNZIPPED") + "Kernel.dll");
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(VersionString(data, "041904E3", "FileDescription"), "BVX Kernel");
    EXPECT_EQ(VersionString(data, "041904E3", "ProductName"), "BVX Kernel");
    EXPECT_EQ(VersionString(data, "041904E3", "FileVersion"), "1.0.0.0");
    EXPECT_EQ(VersionString(data, "041904E3", "ProductVersion"), "1.0");
    EXPECT_EQ(VersionString(data, "040904B0", "ProductName"), "<missing>");
}

std::string ManifestOf(const std::string &path) {
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (HGLOBAL loaded = found ? LoadResource(module, found) : nullptr)
        text.assign(static_cast<const char *>(LockResource(loaded)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

TEST(ShippedPrograms, ManifestsRunAsInvokerOnEverySupportedSystem) {
    const char *const supportedSystems[] = {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}", // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
    };
    const struct {
        const char *file;
        bool fromBin;
        bool commonControls6;
    } programs[] = {{"bvxscan.exe", false, true}, {"bvxtool.exe", false, false},
                    {"kernelinfo.exe", true, false}};
    for (const auto &program : programs) {
        SCOPED_TRACE(program.file);
        const std::string manifest =
            ManifestOf((program.fromBin ? Env("BVX_PKG_BIN") : Env("BVX_PKG_UNZIPPED")) + program.file);
        ASSERT_FALSE(manifest.empty()) << "no manifest";
        EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
                  std::string::npos);
        for (const char *system : supportedSystems)
            EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + system + "\"/>"),
                      std::string::npos)
                << system;
        EXPECT_NE(manifest.find("version=\"" + Dotted(Version()) + "\" processorArchitecture"),
                  std::string::npos);
        EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos,
                  program.commonControls6);
    }
}

// Every line ends in CR LF, as Notepad of every Windows version shows it.
bool WindowsLineEnds(const std::string &text) {
    size_t lineFeeds = std::count(text.begin(), text.end(), '\n');
    size_t pairs = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++pairs;
    return lineFeeds > 0 && lineFeeds == pairs;
}

TEST(ZipCopy, VersionFileAndTextsBesideTheProgram) {
    const std::string folder = Env("BVX_PKG_UNZIPPED");
    const std::string versionLine = ReadFile(folder + "ver.ini");
    EXPECT_EQ(versionLine.substr(0, versionLine.find_first_of("\r\n")), Version());
    const std::string readme = ReadFile(folder + "README.txt");
    EXPECT_EQ(readme.find("Brenvald " + Version() + "\r\n"), 0u) << "title with Windows line ends";
    EXPECT_TRUE(WindowsLineEnds(readme));
    EXPECT_TRUE(WindowsLineEnds(ReadFile(folder + "Bases\\README.txt")));
    const std::string notices = ReadFile(folder + "NOTICES.txt");
    EXPECT_TRUE(WindowsLineEnds(notices));
    EXPECT_EQ(notices.find("MISSING:"), std::string::npos);
    for (const char *section : {"==== libbzip2 ====", "==== zlib ====",
                                "==== GCC runtime libraries ====",
                                "==== GNU General Public License version 3 ====",
                                "==== MinGW-w64 runtime and winpthreads ===="})
        EXPECT_NE(notices.find(section), std::string::npos) << section;
}

// Placeholder texts that once stood where the real ones belong; a program
// file keeps its texts in UTF-16 as well.
bool HoldsPlaceholderText(const std::string &content) {
    for (const std::string text : {"stands in", "owner of Brenvald"}) {
        std::string wide;
        for (char c : text)
            wide += std::string{c, '\0'};
        if (content.find(text) != std::string::npos || content.find(wide) != std::string::npos)
            return true;
    }
    return false;
}

void ExpectNoPlaceholderText(const std::string &folder) {
    for (const std::string &file : FilesBelow(folder))
        EXPECT_FALSE(HoldsPlaceholderText(ReadFile(folder + file))) << file;
}

TEST(ZipCopy, ShipsItsLicenceAndNoPlaceholderText) {
    const std::string folder = Env("BVX_PKG_UNZIPPED");
    const std::string licence = ReadFile(folder + "LICENSE.txt");
    EXPECT_TRUE(WindowsLineEnds(licence));
    EXPECT_EQ(licence.find("MIT License\r\n"), 0u) << licence.substr(0, 80);
    EXPECT_NE(licence.find("Copyright (c) 2026 The Brenvald authors\r\n"), std::string::npos);
    EXPECT_NE(licence.find("WITHOUT WARRANTY OF ANY KIND"), std::string::npos);
    EXPECT_NE(ReadFile(folder + "README.txt").find("LICENSE.txt"), std::string::npos);
    ExpectNoPlaceholderText(folder);
}

TEST(ZipCopy, ItsBvxtoolMakesABaseThatItsScanUses) {
    MakeBaseAndScan(Env("BVX_PKG_UNZIPPED"));
    // The unpacked copy is the others' reference for what the zip holds.
    DeleteFileA((Env("BVX_PKG_UNZIPPED") + "Bases\\author.bvx").c_str());
}

// ---- the installer ----

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brenvald";

std::string ShellFolder(int folderId) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string InstallFolder() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Brenvald\\"; }
std::string StartMenuFolder() { return ShellFolder(CSIDL_PROGRAMS) + "\\Brenvald\\"; }

std::string UninstallValue(const char *name) {
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return value;
}

bool KeyExists(const char *path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool UninstallKeyExists() { return KeyExists(kUninstallKey); }

// "Scan with Brenvald" in Explorer, for files and for folders.
const char *const kExplorerVerbKeys[] = {"Software\\Classes\\*\\shell\\Brenvald.Scan",
                                         "Software\\Classes\\Directory\\shell\\Brenvald.Scan"};

std::string RegistryText(const std::string &key, const char *name) {
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return value;
}

bool NoExplorerVerbLeft() {
    for (const char *key : kExplorerVerbKeys)
        if (KeyExists(key))
            return false;
    return true;
}

DWORD UninstallNumber(const char *name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return 0;
    return value;
}

uint64_t BytesBelow(const std::string &folder) {
    uint64_t bytes = 0;
    for (const std::string &file : FilesBelow(folder))
        bytes += ReadFile(folder + file).size();
    return bytes;
}

void Install() {
    ConsoleRun setup = RunConsole(Quoted(Env("BVX_PKG_SETUP")) + " /S");
    ASSERT_EQ(setup.exitCode, 0u) << setup.output;
    ASSERT_TRUE(UninstallKeyExists());
}

// The uninstaller hands over to a copy of itself in the temporary folder and
// ends at once; the copy removes the registration last.
void WaitUninstalled() {
    ASSERT_TRUE(WaitUntil([] { return !UninstallKeyExists(); })) << "the uninstaller did not finish";
}

void Uninstall() {
    ConsoleRun uninstall = RunConsole(Quoted(InstallFolder() + "Uninstall.exe") + " /S");
    ASSERT_EQ(uninstall.exitCode, 0u) << uninstall.output;
    WaitUninstalled();
}

void PutIntoQuarantine(const std::string &folder) {
    MakeDir(folder + "Quarantine");
    WriteFile(folder + "Quarantine\\INFECTED(1).Vir", "the user's file");
    WriteFile(folder + "Quarantine\\Files.ini", "C:\\was\\here.exe\r\nINFECTED(1).Vir\r\nPackage.Pattern\r\n2026-12-09\r\n");
}

void ExpectQuarantineKept(const std::string &folder) {
    EXPECT_EQ(ReadFile(folder + "Quarantine\\INFECTED(1).Vir"), "the user's file");
    EXPECT_TRUE(Exists(folder + "Quarantine\\Files.ini"));
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTree(InstallFolder());
        RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        Install();
    }
    void TearDown() override { RemoveTree(InstallFolder()); }
};

TEST_F(Installed, HoldsTheZipsFilesWithItsRegistrationAndStartMenuEntries) {
    std::set<std::string> expected = FilesBelow(Env("BVX_PKG_UNZIPPED"));
    expected.insert("Uninstall.exe");
    EXPECT_EQ(FilesBelow(InstallFolder()), expected);
    EXPECT_TRUE(Exists(StartMenuFolder() + "Brenvald.lnk"));
    EXPECT_TRUE(Exists(StartMenuFolder() + "Uninstall Brenvald.lnk"));
    std::string folderWithoutSlash = InstallFolder();
    folderWithoutSlash.pop_back();
    EXPECT_EQ(UninstallValue("InstallLocation"), folderWithoutSlash);
    EXPECT_EQ(UninstallValue("UninstallString"), Quoted(InstallFolder() + "Uninstall.exe"));
    EXPECT_EQ(UninstallValue("DisplayVersion"), Version());
    EXPECT_EQ(UninstallValue("DisplayName"), "Brenvald");
    EXPECT_EQ(UninstallValue("Publisher"), "The Brenvald authors");
    ExpectNoPlaceholderText(InstallFolder());
}

// Apps shows the installed size (in kilobytes); Explorer offers "Scan with
// Brenvald" on files and folders, starting the installed scanner with the
// path; the uninstaller takes both commands away.
TEST_F(Installed, RegistersItsSizeAndTheExplorerCommandsUntilUninstalled) {
    const uint64_t kilobytes = BytesBelow(InstallFolder()) / 1024;
    const DWORD estimated = UninstallNumber("EstimatedSize");
    EXPECT_GE(estimated + 8, kilobytes) << "installed: " << kilobytes << " KB";
    EXPECT_LE(estimated, kilobytes + 64) << "installed: " << kilobytes << " KB";
    for (const char *key : kExplorerVerbKeys) {
        SCOPED_TRACE(key);
        EXPECT_EQ(RegistryText(key, nullptr), "Scan with Brenvald");
        EXPECT_EQ(RegistryText(std::string(key) + "\\command", nullptr),
                  Quoted(InstallFolder() + "bvxscan.exe") + " \"%1\"");
        EXPECT_EQ(RegistryText(key, "Icon"), InstallFolder() + "bvxscan.exe");
    }
    Uninstall();
    EXPECT_TRUE(NoExplorerVerbLeft());
}

constexpr int kCaptionSlack = 8;

// Asks a button of another process how wide its caption and glyph want it.
int IdealWidth(HANDLE process, HWND button) {
    RemoteBuffer remote(process, sizeof(SIZE));
    SIZE ideal{0, 0};
    remote.Write(&ideal, sizeof ideal);
    if (!SendMessageTimeoutA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(remote.address()),
                             SMTO_BLOCK, kWaitMs, nullptr))
        return -1;
    remote.Read(&ideal, sizeof ideal);
    return ideal.cx;
}

TEST_F(Installed, ScannerStartsEveryCaptionFitsAndItClosesCleanly) {
    AppProcess app(InstallFolder() + "bvxscan.exe");
    ASSERT_TRUE(app.started());
    HWND window = WaitTopWindow(app.id(), "Brenvald", "TMainForm");
    ASSERT_NE(window, nullptr) << "the installed scanner shows no window";

    const int glyphButtons[] = {IDC_BITBTN3, IDC_BITBTN4, IDC_BITBTN5, IDC_BITBTN8,  IDC_BITBTN7,
                                IDC_BITBTN2, IDC_BITBTN1, IDC_BITBTN15, IDC_BITBTN12, IDC_BITBTN9,
                                IDC_BITBTN6, IDC_BITBTN11, IDC_BITBTN14, IDC_BITBTN13};
    for (int id : glyphButtons) {
        HWND button = FindControl(window, id);
        ASSERT_NE(button, nullptr) << id;
        RECT client;
        GetClientRect(button, &client);
        const int ideal = IdealWidth(app.handle(), button);
        ASSERT_GT(ideal, 0) << GetText(button);
        // Room beyond the button's own ideal width, so that the caption
        // never touches the themed border.
        EXPECT_GE(client.right - ideal, kCaptionSlack) << GetText(button);
        RECT onScreen, page;
        GetWindowRect(button, &onScreen);
        GetWindowRect(GetParent(button), &page);
        EXPECT_GE(onScreen.left, page.left) << GetText(button);
        EXPECT_LE(onScreen.right, page.right) << GetText(button);
    }

    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ModalBox question = WaitBox(app.id(), "Confirm");
    ASSERT_NE(question.window, nullptr);
    ASSERT_TRUE(PressBoxButton(question, "&No"));
    ASSERT_TRUE(app.WaitExit());
    DWORD exitCode = 1;
    GetExitCodeProcess(app.handle(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(Installed, SilentUninstallLeavesQuarantineAndAddedBases) {
    MakeBaseAndScan(InstallFolder());
    PutIntoQuarantine(InstallFolder());
    Uninstall();
    ExpectQuarantineKept(InstallFolder());
    // What the user added stays; everything the installer put there is gone.
    EXPECT_EQ(FilesBelow(InstallFolder()),
              (std::set<std::string>{"Bases\\author.bvx", "Quarantine\\Files.ini",
                                     "Quarantine\\INFECTED(1).Vir"}));
    EXPECT_FALSE(Exists(StartMenuFolder()));
}

TEST_F(Installed, SilentUninstallRemovesAnEmptyQuarantineAndTheFolder) {
    MakeDir(InstallFolder() + "Quarantine");
    Uninstall();
    EXPECT_FALSE(Exists(InstallFolder()));
    EXPECT_FALSE(Exists(StartMenuFolder()));
}

struct WindowSearch {
    std::string captionStart;
    HWND found = nullptr;
};

BOOL CALLBACK MatchCaptionStart(HWND window, LPARAM context) {
    auto *search = reinterpret_cast<WindowSearch *>(context);
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (IsWindowVisible(window) && std::string(caption).rfind(search->captionStart, 0) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

TEST_F(Installed, UninstallRefusesWhileTheScannerRuns) {
    AppProcess app(InstallFolder() + "bvxscan.exe");
    ASSERT_TRUE(app.started());
    HWND window = WaitTopWindow(app.id(), "Brenvald", "TMainForm");
    ASSERT_NE(window, nullptr);
    const std::set<std::string> installed = FilesBelow(InstallFolder());
    // _?= runs the uninstaller in place, so its end is the end of the work.
    std::string folder = InstallFolder();
    folder.pop_back();
    ConsoleRun uninstall =
        RunConsole(Quoted(InstallFolder() + "Uninstall.exe") + " /S _?=" + folder);
    EXPECT_EQ(uninstall.exitCode, 2u) << "an aborted uninstall ends with 2";
    EXPECT_EQ(FilesBelow(InstallFolder()), installed);
    EXPECT_TRUE(UninstallKeyExists());
    EXPECT_TRUE(app.Running());
    TerminateProcess(app.handle(), 0);
    app.WaitExit();
}

// A visible top-level window whose caption starts with this text, in any
// process: the uninstaller's caption goes on with the page's name.
HWND WaitWindowOfAnyProcess(const std::string &captionStart) {
    WindowSearch search{captionStart};
    WaitUntil([&] {
        EnumWindows(MatchCaptionStart, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

// Every visible text of the window's controls of this class, joined by line
// breaks: what a page of the wizard says.
std::string PageText(HWND wizard, const char *className) {
    std::string joined;
    for (HWND child : Children(wizard, className))
        if (IsWindowVisible(child))
            joined += GetText(child) + "\n";
    return joined;
}

// Waits for the page that shows this text in a control of the class.
testing::AssertionResult PageShows(HWND wizard, const char *className, const std::string &text) {
    std::string last;
    if (WaitUntil([&] { return (last = PageText(wizard, className)).find(text) != std::string::npos; }))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no \"" << text << "\" on the page; it shows:\n" << last;
}

// Clicks the wizard's Next button once it carries this caption.
testing::AssertionResult Next(HWND wizard, const std::string &caption) {
    HWND next = FindControl(wizard, IDOK);
    std::string last;
    if (WaitUntil([&] { return (last = GetText(next)) == caption && Click(next); }))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the button shows \"" << last << "\", not " << caption;
}

// The first page says what stays, before anything is removed: how many
// files Quarantine holds and which bases Bases\ keeps.
TEST_F(Installed, UninstallSaysFirstThatTheQuarantineAndTheBasesStay) {
    PutIntoQuarantine(InstallFolder());
    WriteFile(InstallFolder() + "Quarantine\\INFECTED(2).Vir", "another file of the user's");
    WriteFile(InstallFolder() + "Bases\\author.bvx", "a base of the user's");
    MakeDir(InstallFolder() + "Bases\\more");
    ConsoleRun handOver = RunConsole(Quoted(InstallFolder() + "Uninstall.exe"));
    ASSERT_EQ(handOver.exitCode, 0u);

    const std::string caption = "Brenvald " + Version() + " Uninstall";
    HWND wizard = WaitWindowOfAnyProcess(caption);
    ASSERT_NE(wizard, nullptr) << "no uninstaller window";
    std::string folder = InstallFolder();
    folder.pop_back();
    EXPECT_TRUE(PageShows(wizard, "Static",
                          "The Quarantine folder holds 2 files that Brenvald moved there. They are "
                          "your files: they stay, with the folder " + folder + "\\Quarantine."));
    EXPECT_TRUE(PageShows(wizard, "Static", "These bases stay in " + folder + "\\Bases: "));
    const std::string page = PageText(wizard, "Static");
    EXPECT_NE(page.find("author.bvx"), std::string::npos) << page;
    EXPECT_NE(page.find("more\\"), std::string::npos) << page;
    EXPECT_EQ(page.find("README.txt"), std::string::npos) << "the note the installer put there goes";
    EXPECT_TRUE(Exists(InstallFolder() + "bvxscan.exe")) << "removed before the first page was left";

    ASSERT_TRUE(Next(wizard, "&Next >"));
    ASSERT_TRUE(Next(wizard, "&Uninstall"));
    ASSERT_TRUE(Next(wizard, "&Close"));
    WaitUninstalled();
    ExpectQuarantineKept(InstallFolder());
    EXPECT_EQ(ReadFile(InstallFolder() + "Bases\\author.bvx"), "a base of the user's");
    EXPECT_FALSE(Exists(InstallFolder() + "bvxscan.exe"));
    EXPECT_TRUE(NoExplorerVerbLeft());
}

TEST_F(Installed, UninstallOfAnEmptyQuarantineSaysSo) {
    ConsoleRun handOver = RunConsole(Quoted(InstallFolder() + "Uninstall.exe"));
    ASSERT_EQ(handOver.exitCode, 0u);
    HWND wizard = WaitWindowOfAnyProcess("Brenvald " + Version() + " Uninstall");
    ASSERT_NE(wizard, nullptr) << "no uninstaller window";
    EXPECT_TRUE(PageShows(wizard, "Static", "The Quarantine folder holds no files."));
    EXPECT_TRUE(PageShows(wizard, "Static", "Bases\\ holds no bases of your own."));
    ASSERT_TRUE(Next(wizard, "&Next >"));
    ASSERT_TRUE(Next(wizard, "&Uninstall"));
    ASSERT_TRUE(Next(wizard, "&Close"));
    WaitUninstalled();
    EXPECT_FALSE(Exists(InstallFolder()));
}

// The installer as a user meets it: welcome, the licence, the folder, the
// files, and a finish page that offers to start Brenvald (ticked), which
// starts the installed scanner.
TEST(InstallerWizard, WelcomesShowsTheLicenceAndOffersToStartBrenvald) {
    RemoveTree(InstallFolder());
    RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
    AppProcess setup(Env("BVX_PKG_SETUP"));
    ASSERT_TRUE(setup.started());
    HWND wizard = WaitTopWindow(setup.id(), "Brenvald " + Version() + " Setup", nullptr);
    ASSERT_NE(wizard, nullptr) << "no installer window";

    EXPECT_TRUE(PageShows(wizard, "Static", "Welcome to Brenvald " + Version() + " Setup"));
    ASSERT_TRUE(Next(wizard, "&Next >"));
    EXPECT_TRUE(PageShows(wizard, nullptr, "Copyright (c) 2026 The Brenvald authors"));
    EXPECT_TRUE(PageShows(wizard, nullptr, "WITHOUT WARRANTY OF ANY KIND"));
    ASSERT_TRUE(Next(wizard, "I &Agree"));
    ASSERT_TRUE(Next(wizard, "&Install"));
    EXPECT_TRUE(PageShows(wizard, "Button", "Start Brenvald"));
    HWND start = FindChildByText(wizard, "Button", "Start Brenvald");
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(SendPlain(start, BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_TRUE(Next(wizard, "&Finish"));
    ASSERT_TRUE(setup.WaitExit());

    HWND scanner = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (scanner = FindWindowA("TMainForm", "Brenvald")) != nullptr; }))
        << "the finish page did not start Brenvald";
    DWORD scannerId = 0;
    GetWindowThreadProcessId(scanner, &scannerId);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, scannerId);
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 0);
    WaitForSingleObject(process, kWaitMs);
    CloseHandle(process);
    EXPECT_TRUE(UninstallKeyExists());
    Uninstall();
    RemoveTree(InstallFolder());
}

} // namespace
