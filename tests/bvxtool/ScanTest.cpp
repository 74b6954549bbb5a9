// bvxtool scan as scripts see it: bvxtool.exe run as a child process with its
// output going to files, on a tree made for each test. Its log lines are
// compared with those the window's scan writes for the same tree and bases.
#include "bvxtool_commands.h"
#include "bvxtool_scan.h"

#include "Definitions.h"
#include "RepeatedBlocks.h"
#include "ScanRun.h"
#include "ProgramFolder.h"
#include "TempDir.h"
#include "WideFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

using testsupport::MakeDir;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WideFrom;
using testsupport::WriteFile;

namespace {

struct ToolRun {
    DWORD status = 0;
    std::string out;
    std::string err;
};

HANDLE InheritableFile(const std::string &path) {
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string Utf8From(const std::wstring &wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    std::string utf8(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size,
                                                             nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &utf8[0], static_cast<int>(utf8.size()),
                        nullptr, nullptr);
    return utf8;
}

// Runs the bvxtool.exe of a program folder (wide, ending with a backslash)
// with stdout and stderr in files, in a current folder of the caller's
// (none: this test's); the arguments are wide, as a shell passes them.
ToolRun RunToolFrom(const std::wstring &programFolder, const std::wstring &currentFolder,
                    const TempDir &dir, const std::vector<std::wstring> &arguments,
                    DWORD waitMilliseconds = 60000) {
    std::wstring commandLine = L"\"" + programFolder + L"bvxtool.exe\"";
    for (const std::wstring &argument : arguments)
        commandLine += L" \"" + argument + L"\"";
    HANDLE out = InheritableFile(dir.file("tool.out"));
    HANDLE err = InheritableFile(dir.file("tool.err"));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    ToolRun run;
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                       currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, waitMilliseconds);
        GetExitCodeProcess(process.hProcess, &run.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        run.status = 999;
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = ReadFile(dir.file("tool.out"));
    run.err = ReadFile(dir.file("tool.err"));
    return run;
}

// The bvxtool.exe beside this test.
ToolRun RunToolWide(const TempDir &dir, const std::vector<std::wstring> &arguments,
                    DWORD waitMilliseconds = 60000) {
    return RunToolFrom(scanner::RunningProgramFolder().Wide, L"", dir, arguments,
                       waitMilliseconds);
}

// The same with ANSI arguments.
ToolRun RunTool(const TempDir &dir, const std::vector<std::string> &arguments,
                DWORD waitMilliseconds = 60000) {
    std::vector<std::wstring> wide;
    for (const std::string &argument : arguments)
        wide.push_back(WideFrom(argument, CP_ACP));
    return RunToolWide(dir, wide, waitMilliseconds);
}

std::vector<std::string> LinesOf(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The window's side: records the log and has one ticked drive.
class RecordingHost : public scanner::TScanWindow {
public:
    explicit RecordingHost(std::string root) : root_(std::move(root)) {}
    std::vector<std::string> log;

    void Line(const std::string &text, scanner::LogKind) override { log.push_back(text); }
    void ClearResults() override {}
    void SetStatus(const std::string &) override {}
    void SetCommandState(scanner::CommandState) override {}
    void ShowPage(scanner::Page) override {}
    int DriveCount() override { return 1; }
    bool DriveTicked(int, std::string &root) override {
        root = root_;
        return true;
    }

private:
    std::string root_;
};

class SilentPrompts : public scanner::IPrompts {
public:
    void Information(const std::string &) override {}
    void Warning(const std::string &) override {}
    bool Confirm(const std::string &) override { return false; }
    void ErrorReport(const std::string &) override {}
    void OpenAddress(const std::string &, bool) override {}
};

std::vector<std::string> WindowLog(const std::string &programFolder, const std::string &root) {
    RecordingHost host(root);
    SilentPrompts prompts;
    scanner::TDefinitions definitions;
    definitions.LoadBases(programFolder, host, prompts);
    scanner::TScanRun run(host, prompts, &definitions);
    run.StartOrResumeScan();
    return host.log;
}

void MakeBases(const TempDir &dir) {
    MakeDir(dir.file("Bases"));
    WriteFile(dir.file("t.list"), "0\tAbc.File\t900150983cd24fb0d6963f7d28e17f72:3\t0\n"
                                  "1\tPat.Pattern\t50 41 54\t0\n"
                                  "2\tBvx.Offset\t66-86-88-33\t0\n");
    std::ostringstream out, err;
    ASSERT_EQ(bvxtool::RunCommand({"make", dir.file("t.list"), dir.file("Bases\\t.bvx")}, out,
                                  err, false),
              0)
        << err.str();
}

// A tree with one file for each kind, a clean program, a file the selection
// passes over and a quarantined file.
void MakeInfectedTree(const TempDir &dir) {
    MakeDir(dir.file("scan"));
    MakeDir(dir.file("scan\\sub"));
    MakeDir(dir.file("scan\\Quarantine"));
    WriteFile(dir.file("scan\\setup.exe"), "a clean program");
    WriteFile(dir.file("scan\\spy.txt"), "abc");
    WriteFile(dir.file("scan\\sub\\tool.dll"), "xxPATyy");
    WriteFile(dir.file("scan\\worm.com"), "BVX!more");
    WriteFile(dir.file("scan\\readme.txt"), "PAT");
    WriteFile(dir.file("scan\\Quarantine\\virus.exe"), "abc");
}

// The lines of text that begin with prefix.
std::vector<std::string> LinesStartingWith(const std::string &text, const std::string &prefix) {
    std::vector<std::string> lines;
    for (const std::string &line : LinesOf(text))
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line);
    return lines;
}

// The names in a folder in the order the system lists them.
std::vector<std::string> ListingOrder(const std::string &folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (entry.cFileName[0] != '.')
            names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

size_t CountContaining(const std::vector<std::string> &lines, const std::string &part) {
    size_t count = 0;
    for (const std::string &line : lines)
        count += line.find(part) != std::string::npos;
    return count;
}

} // namespace

TEST(ConsoleScan, FindsEachKindWithTheWindowsLogLinesAndExitCodeOne) {
    TempDir dir;
    MakeBases(dir);
    MakeInfectedTree(dir);
    ToolRun run = RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("scan")});
    EXPECT_EQ(run.status, 1u) << run.err;
    EXPECT_EQ(run.err, "");

    std::vector<std::string> expected = WindowLog(dir.path(), dir.file("scan\\"));
    EXPECT_EQ(CountContaining(expected, "Found infection in ["), 3u);
    expected.insert(expected.end(), {"Scanned files (total): 4", "Scanned (MB): 0",
                                     "Infected: 3", "Skipped: 0"});
    EXPECT_EQ(LinesOf(run.out), expected);
    EXPECT_NE(run.out.find("Found infection in [" + dir.file("scan\\sub\\tool.dll") +
                           "] - [Pat.Pattern]"),
              std::string::npos);
    // Output to a file shows no progress line.
    EXPECT_EQ(run.out.find("files/s"), std::string::npos);
    EXPECT_EQ(run.out.find('\r' + std::string("\r")), std::string::npos);
}

TEST(ConsoleScan, ACleanTreeExitsWithZero) {
    TempDir dir;
    MakeBases(dir);
    MakeDir(dir.file("scan"));
    WriteFile(dir.file("scan\\setup.exe"), "a clean program");
    WriteFile(dir.file("scan\\virtual.txt"), "clean as well");
    ToolRun run = RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("scan")});
    EXPECT_EQ(run.status, 0u) << run.err;
    std::vector<std::string> lines = LinesOf(run.out);
    EXPECT_EQ(CountContaining(lines, "Found infection"), 0u);
    EXPECT_EQ(CountContaining(lines, "Scanned files (total): 2"), 1u);
    EXPECT_EQ(CountContaining(lines, "Infected: 0"), 1u);
}

TEST(ConsoleScan, UnreadableFilesAreLoggedAsIgnoredAndCounted) {
    TempDir dir;
    MakeBases(dir);
    MakeDir(dir.file("scan"));
    WriteFile(dir.file("scan\\held.exe"), "held open");
    // Held open without sharing: the engine cannot read it.
    HANDLE held = CreateFileA(dir.file("scan\\held.exe").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ToolRun run = RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("scan")});
    CloseHandle(held);
    EXPECT_EQ(run.status, 0u);
    std::vector<std::string> lines = LinesOf(run.out);
    EXPECT_EQ(CountContaining(lines, "Ignored [" + dir.file("scan\\held.exe") + "]"), 1u);
    EXPECT_EQ(CountContaining(lines, "Skipped: 1"), 1u);
}

TEST(ConsoleScan, BasesMayLieInAFolderOfAnyName) {
    TempDir dir;
    MakeBases(dir);
    MakeInfectedTree(dir);
    ASSERT_TRUE(MoveFileA(dir.file("Bases").c_str(), dir.file("defs").c_str()));
    ToolRun run = RunTool(dir, {"scan", "--bases", dir.file("defs"), dir.file("scan")});
    EXPECT_EQ(run.status, 1u) << run.err;
    EXPECT_EQ(CountContaining(LinesOf(run.out), "Spyware Definitions Base t.bvx loaded"), 1u);
    EXPECT_EQ(CountContaining(LinesOf(run.out), "Found infection in ["), 3u);
}

TEST(ConsoleScan, ErrorsExitWithTwo) {
    TempDir dir;
    MakeBases(dir);
    MakeDir(dir.file("scan"));
    MakeDir(dir.file("Empty"));
    MakeDir(dir.file("Empty\\Bases"));

    ToolRun missing = RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("nowhere")});
    EXPECT_EQ(missing.status, 2u);
    EXPECT_EQ(missing.err, "scan: " + dir.file("nowhere") + ": no such file or folder\r\n");

    ToolRun noBases = RunTool(dir, {"scan", "--bases", dir.file("nobases"), dir.file("scan")});
    EXPECT_EQ(noBases.status, 2u);
    EXPECT_NE(noBases.err.find("no such folder"), std::string::npos);

    ToolRun noDefinitions =
        RunTool(dir, {"scan", "--bases", dir.file("Empty\\Bases"), dir.file("scan")});
    EXPECT_EQ(noDefinitions.status, 2u);
    EXPECT_NE(noDefinitions.err.find("no definitions loaded"), std::string::npos);

    ToolRun noPath = RunTool(dir, {"scan", "--bases", dir.file("Bases")});
    EXPECT_EQ(noPath.status, 2u);
}

TEST(ConsoleScan, EachFailedBaseGetsOneWarningAndStrictRefusesToScan) {
    TempDir dir;
    MakeBases(dir);
    MakeInfectedTree(dir);
    WriteFile(dir.file("Bases\\garbage.bvx"), "this is no base at all");
    const std::string whole = ReadFile(dir.file("Bases\\t.bvx"));
    std::string damaged = whole;
    damaged[11] ^= 0x01; // the block's stored CRC
    WriteFile(dir.file("Bases\\damaged.bvx"), damaged);
    std::vector<std::string> warnings = {
        "scan: warning: " + dir.file("Bases\\damaged.bvx") +
            ": not loaded: the compressed data is damaged (bzip2 error -4)",
        "scan: warning: " + dir.file("Bases\\garbage.bvx") +
            ": not loaded: not a definition base (not bzip2 data)",
    };

    ToolRun run = RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("scan")});
    EXPECT_EQ(run.status, 1u) << run.err;
    std::vector<std::string> printed = LinesStartingWith(run.err, "scan: warning: ");
    std::sort(printed.begin(), printed.end());
    EXPECT_EQ(printed, warnings);
    EXPECT_EQ(LinesOf(run.err).size(), 2u) << run.err;
    // The log keeps the window's silence about them.
    EXPECT_EQ(CountContaining(LinesOf(run.out), "Spyware Definitions Base"), 1u);
    EXPECT_EQ(CountContaining(LinesOf(run.out), "Found infection in ["), 3u);

    ToolRun strict =
        RunTool(dir, {"scan", "--strict", "--bases", dir.file("Bases"), dir.file("scan")});
    EXPECT_EQ(strict.status, 2u) << strict.err;
    printed = LinesStartingWith(strict.err, "scan: warning: ");
    std::sort(printed.begin(), printed.end());
    EXPECT_EQ(printed, warnings);
    EXPECT_NE(strict.err.find("scan: 2 definition bases did not load; nothing scanned (--strict)"),
              std::string::npos)
        << strict.err;
    EXPECT_EQ(CountContaining(LinesOf(strict.out), "Found infection"), 0u);

    // Without a failed base --strict changes nothing.
    DeleteFileA(dir.file("Bases\\garbage.bvx").c_str());
    DeleteFileA(dir.file("Bases\\damaged.bvx").c_str());
    ToolRun clean =
        RunTool(dir, {"scan", "--bases", dir.file("Bases"), "--strict", dir.file("scan")});
    EXPECT_EQ(clean.status, 1u) << clean.err;
    EXPECT_EQ(clean.err, "");
}

TEST(ConsoleScan, ABaseThatOverflowsTheTableProtectsWithWhatFitsAndSaysWhatDidNot) {
    TempDir dir;
    MakeDir(dir.file("Bases"));
    MakeDir(dir.file("scan"));
    WriteFile(dir.file("scan\\spy.exe"), "abc");
    WriteFile(dir.file("scan\\pattern.exe"), "..QQPAT..");
    WriteFile(dir.file("scan\\offset.exe"), "xxQQ only");
    // The listing order decides which base comes second; it depends on the
    // names only, so empty files show it before the contents are written.
    WriteFile(dir.file("Bases\\x.bvx"), "");
    WriteFile(dir.file("Bases\\y.bvx"), "");
    const std::vector<std::string> order = ListingOrder(dir.file("Bases"));
    ASSERT_EQ(order.size(), 2u);
    WriteFile(dir.file("Bases\\" + order[0]), testsupport::FillerBaseContainer({}, 500000));
    WriteFile(dir.file("Bases\\" + order[1]),
              testsupport::FillerBaseContainer(
                  {{"Spy.Fingerprint", "900150983cd24fb0d6963f7d28e17f72:3", '0', "0"},
                   {"Spy.Pattern", "51 51 50 41 54", '1', "0"},
                   {"Spy.Offset", "120-120-81-81", '2', "0"}},
                  500002));

    ToolRun run =
        RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("scan")}, 15 * 60 * 1000);
    EXPECT_EQ(run.status, 1u) << run.err;
    EXPECT_EQ(LinesOf(run.err),
              std::vector<std::string>{"scan: warning: " + dir.file("Bases\\" + order[1]) +
                                       ": the definition table is full (Range check error): "
                                       "500001 of its 500002 records loaded, 1 record did not fit"});
    const std::vector<std::string> lines = LinesOf(run.out);
    EXPECT_EQ(CountContaining(lines, "Spyware Definitions Base " + order[0] + " loaded"), 1u);
    EXPECT_EQ(CountContaining(lines, "Spyware Definitions Base " + order[1]), 0u);
    for (const char *found : {"spy.exe] - [Spy.Fingerprint]", "pattern.exe] - [Spy.Pattern]",
                              "offset.exe] - [Spy.Offset]"})
        EXPECT_EQ(CountContaining(lines, found), 1u) << found;
    EXPECT_EQ(CountContaining(lines, "Infected: 3"), 1u);
}

TEST(ConsoleScan, TheSampleBaseFindsAllThreeKindsInTheDemoFolder) {
    TempDir dir;
    ToolRun run = RunTool(dir, {"scan", scanner::RunningProgramFolder().Ansi + "Demo"});
    EXPECT_EQ(run.status, 1u) << run.err;
    std::vector<std::string> lines = LinesOf(run.out);
    EXPECT_EQ(CountContaining(lines, "Spyware Definitions Base sample.bvx loaded"), 1u);
    EXPECT_EQ(CountContaining(lines, "spyware-fingerprint-demo.txt] - [Demo.Fingerprint.Sample]"),
              1u);
    EXPECT_EQ(CountContaining(lines, "trojan-pattern-demo.txt] - [Demo.HexPattern.Sample]"), 1u);
    EXPECT_EQ(CountContaining(lines, "worm-offset-demo.txt] - [Demo.OffsetSignature.Sample]"), 1u);
    EXPECT_EQ(CountContaining(lines, "Infected: 3"), 1u);
}

// The files of a folder (ANSI, ending with a backslash) that match a
// pattern, copied into another folder given in UTF-8.
void CopyMatching(const std::string &from, const char *pattern, const std::string &to) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((from + pattern).c_str(), &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << from << pattern;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            testsupport::CopyToWidePath(from + entry.cFileName, to + entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

// The program's files (the runtime DLLs too) and its folders Bases and
// Demo, copied from beside this test into a folder given in UTF-8.
void CopyProgramTo(const std::string &folder) {
    const std::string bin = scanner::RunningProgramFolder().Ansi;
    testsupport::MakeWideFolder(folder + "Bases");
    testsupport::MakeWideFolder(folder + "Demo");
    for (const char *pattern : {"bvxtool.exe", "Kernel.dll", "lib*.dll"})
        CopyMatching(bin, pattern, folder);
    CopyMatching(bin + "Bases\\", "sample.bvx", folder + "Bases\\");
    CopyMatching(bin + "Demo\\", "*", folder + "Demo\\");
}

// The program copied to a folder whose name the ANSI code page cannot spell:
// its default bases load, and the demo folder, named relative to the current
// folder or in full, shows its detections under their real names.
TEST(ConsoleScan, TheProgramFindsItsBasesInAFolderOfAnyName) {
    const char *const programFolders[] = {u8"Программы Jürgen\\Brenvald\\",
                                          u8"プログラム Jürgen\\Brenvald\\"};
    for (const char *programFolder : programFolders) {
        SCOPED_TRACE(programFolder);
        TempDir dir;
        const std::string folder = Utf8From(WideFrom(dir.path(), CP_ACP)) + programFolder;
        CopyProgramTo(folder);
        const std::wstring wideFolder = WideFrom(folder, CP_UTF8);
        for (const std::wstring &demo : {std::wstring(L"Demo"), wideFolder + L"Demo"}) {
            ToolRun run = RunToolFrom(wideFolder, wideFolder, dir, {L"scan", demo});
            EXPECT_EQ(run.status, 1u) << run.err;
            EXPECT_EQ(run.err, "");
            std::vector<std::string> lines = LinesOf(run.out);
            EXPECT_EQ(CountContaining(lines, "Spyware Definitions Base sample.bvx loaded"), 1u)
                << run.out;
            for (const char *found : {"spyware-fingerprint-demo.txt] - [Demo.Fingerprint.Sample]",
                                      "trojan-pattern-demo.txt] - [Demo.HexPattern.Sample]",
                                      "worm-offset-demo.txt] - [Demo.OffsetSignature.Sample]"})
                EXPECT_EQ(CountContaining(lines, "Found infection in [" + folder + "Demo\\" + found),
                          1u)
                    << found << "\n" << run.out;
            EXPECT_EQ(CountContaining(lines, "Infected: 3"), 1u);
        }
    }
}

TEST(ConsoleScan, TheSampleBaseCutInsideItsEndMarkerStillFindsAllThreeKinds) {
    TempDir dir;
    MakeDir(dir.file("Bases"));
    const std::string sample = ReadFile(scanner::RunningProgramFolder().Ansi + "Bases\\sample.bvx");
    ASSERT_GT(sample.size(), 10u);
    WriteFile(dir.file("Bases\\sample.bvx"), sample.substr(0, sample.size() - 10));
    ToolRun run = RunTool(dir, {"scan", "--strict", "--bases", dir.file("Bases"),
                                scanner::RunningProgramFolder().Ansi + "Demo"});
    EXPECT_EQ(run.status, 1u) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<std::string> lines = LinesOf(run.out);
    EXPECT_EQ(CountContaining(lines, "Spyware Definitions Base sample.bvx loaded"), 1u);
    EXPECT_EQ(CountContaining(lines, "Found infection in ["), 3u);
    EXPECT_EQ(CountContaining(lines, "Infected: 3"), 1u);
}

TEST(ConsoleScan, ProgressTextShowsFilesMegabytesAndRate) {
    EXPECT_EQ(bvxtool::ProgressText(120, 35.26, 4.0), "120 files, 35.3 MB, 30 files/s");
    EXPECT_EQ(bvxtool::ProgressText(0, 0.0, 0.0), "0 files, 0.0 MB, 0 files/s");
}

TEST(ConsoleScan, NamedFilesAreCheckedWhateverTheirNameInTheOrderGiven) {
    TempDir dir;
    MakeBases(dir);
    MakeInfectedTree(dir);
    // readme.txt and a file in a Quarantine folder are passed over by the
    // walk, but a user who names them means them.
    ToolRun run = RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("scan\\readme.txt"),
                                dir.file("scan\\sub"), dir.file("scan\\Quarantine\\virus.exe"),
                                dir.file("scan\\setup.exe")});
    EXPECT_EQ(run.status, 1u) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(LinesStartingWith(run.out, "Found infection in ["),
              (std::vector<std::string>{
                  "Found infection in [" + dir.file("scan\\readme.txt") + "] - [Pat.Pattern]",
                  "Found infection in [" + dir.file("scan\\sub\\tool.dll") + "] - [Pat.Pattern]",
                  "Found infection in [" + dir.file("scan\\Quarantine\\virus.exe") +
                      "] - [Abc.File]"}));
    const std::vector<std::string> lines = LinesOf(run.out);
    EXPECT_EQ(CountContaining(lines, "Scanned files (total): 4"), 1u) << run.out;
    EXPECT_EQ(CountContaining(lines, "Infected: 3"), 1u);
    EXPECT_EQ(CountContaining(lines, "Scan Complete"), 1u);

    // A named file that cannot be read is ignored and counted, as in a walk.
    WriteFile(dir.file("scan\\held.txt"), "held open");
    HANDLE held = CreateFileA(dir.file("scan\\held.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ToolRun ignored = RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("scan\\held.txt")});
    CloseHandle(held);
    EXPECT_EQ(ignored.status, 0u) << ignored.err;
    EXPECT_EQ(LinesStartingWith(ignored.out, "Ignored ["),
              std::vector<std::string>{"Ignored [" + dir.file("scan\\held.txt") + "]"});
    EXPECT_EQ(CountContaining(LinesOf(ignored.out), "Skipped: 1"), 1u);

    // A path that is neither stops the command before anything is scanned.
    ToolRun missing = RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("scan\\setup.exe"),
                                    dir.file("scan\\gone.exe")});
    EXPECT_EQ(missing.status, 2u);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "scan: " + dir.file("scan\\gone.exe") + ": no such file or folder\r\n");
}

// Names the ANSI code page cannot spell reach a file as UTF-8; so does a
// definition name, which a base holds in ANSI. A definition list printed
// to a file keeps its bytes, for make to read back.
TEST(ConsoleScan, RedirectedOutputIsUtf8AndListsKeepTheirBytes) {
    TempDir dir;
    MakeDir(dir.file("Bases"));
    MakeDir(dir.file("scan"));
    // "Spy" with e-acute in the ANSI code page, whatever that is.
    const std::string ansiName = "Spy\xE9.Abc";
    WriteFile(dir.file("t.list"),
              "0\t" + ansiName + "\t900150983cd24fb0d6963f7d28e17f72:3\t0\n");
    std::ostringstream made, madeErr;
    ASSERT_EQ(bvxtool::RunCommand({"make", dir.file("t.list"), dir.file("Bases\\t.bvx")}, made,
                                  madeErr, false),
              0)
        << madeErr.str();
    const std::wstring folder = WideFrom(dir.file("scan\\"), CP_ACP);
    const std::wstring names[] = {L"\u0448\u043F\u0438\u043E\u043D.exe", // Cyrillic
                                  L"\u6728\u9A6C.exe",                        // CJK
                                  L"\U0001F608.exe"};                         // an emoji
    for (const std::wstring &name : names) {
        HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, "abc", 3, &written, nullptr);
        CloseHandle(file);
    }
    const std::string utf8Name = Utf8From(WideFrom(ansiName, CP_ACP));
    ASSERT_NE(utf8Name, ansiName);

    ToolRun run = RunTool(dir, {"scan", "--bases", dir.file("Bases"), dir.file("scan")});
    EXPECT_EQ(run.status, 1u) << run.err;
    std::vector<std::string> found = LinesStartingWith(run.out, "Found infection in [");
    std::sort(found.begin(), found.end());
    std::vector<std::string> expected;
    for (const std::wstring &name : names)
        expected.push_back("Found infection in [" + Utf8From(folder + name) + "] - [" + utf8Name +
                           "]");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected) << run.out;

    // A named file the code page cannot spell is reached by its short name.
    ToolRun named = RunToolWide(dir, {L"scan", L"--bases", WideFrom(dir.file("Bases"), CP_ACP),
                                      folder + names[0]});
    EXPECT_EQ(named.status, 1u) << named.err;
    EXPECT_EQ(CountContaining(LinesOf(named.out), "] - [" + utf8Name + "]"), 1u) << named.out;

    ToolRun listed = RunTool(dir, {"list", dir.file("Bases\\t.bvx")});
    EXPECT_EQ(listed.status, 0u) << listed.err;
    EXPECT_NE(listed.out.find("0\t" + ansiName + "\t"), std::string::npos) << listed.out;

    // A name nothing on disk answers to and the code page cannot spell is
    // refused, never taken for another file.
    ToolRun missing = RunToolWide(dir, {L"check", folder + L"\u6728.bvx"});
    EXPECT_EQ(missing.status, 2u);
    EXPECT_NE(missing.out.find(": not loaded: "), std::string::npos) << missing.out;
}
