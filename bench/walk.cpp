// The scan walk against a bare directory walk of the same tree in the same
// run, on two trees. The usual tree: 12,000 small files in 3,331 folders,
// 300 of them selected (".exe"), the rest passed over by name; its bare walk
// is what a plain Win32 program does: FindFirstFileA/FindNextFileA, the same
// selection, and size and fingerprint of each selected file through
// Kernel.dll. The deep tree: a chain of 300 folders ("level_1" to
// "level_300", a path of some 3,000 characters) with a selected and an
// unselected file in each; its bare walk lists with the wide calls in
// "\\?\" form and gives each selected file to Kernel.dll when its path fits
// the ANSI limit, else opens it through its wide path and hashes it. The scan
// walk is the scanner's own run (TScanRun::ScanRoots) with a base of one
// record and a quiet host. Each takes the best of three alternating passes.
#include "QuietPrompts.h"
#include "Definitions.h"
#include "Engine.h"
#include "FileSelection.h"
#include "Md5.h"
#include "ScanRun.h"

#include <brenvald/DefinitionTable.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

// 30 top folders of 10 folders of 10 leaf folders, each leaf with 4 files.
constexpr int TopFolders = 30;
constexpr int MidFolders = 10;
constexpr int LeafFolders = 10;
constexpr int FilesPerLeaf = 4;
// Every 40th file is a program, so selected.
constexpr int SelectedEvery = 40;
constexpr int Passes = 3;
constexpr int DeepLevels = 300;
constexpr size_t AnsiLimit = 259;

using Clock = std::chrono::steady_clock;

// The real engine, except that the base "unpacks" into one fingerprint
// record that no bench file has.
class TOneRecordEngine : public scanner::TEngineRelay {
public:
    void UnPakBaseToStream(const std::string &, void **table) override {
        uint8_t *start = static_cast<uint8_t *>(*table);
        brenvald::WriteTableSlot(start, 0, "Bench.One", "0123456789abcdef0123456789abcdef:7", '0', "0");
        brenvald::WriteTableRecordCount(start, "1");
    }
};

void WriteWideFile(const std::wstring &path, size_t size, char fill) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string content(size, fill);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

void WriteSmallFile(const std::string &path, size_t size, char fill) {
    WriteWideFile(std::wstring(path.begin(), path.end()), size, fill);
}

struct TTree {
    std::string Root; // ends with a backslash
    int Folders = 0;
    int Files = 0;
    int Selected = 0;
};

// A plain program's names: mostly documents and data, a few programs.
const char *const OtherExtensions[] = {".txt", ".dat", ".htm", ".ini", ".png", ".h", ".log"};

TTree MakeTree(const std::string &root) {
    TTree tree;
    tree.Root = root;
    CreateDirectoryA(root.c_str(), nullptr);
    tree.Folders = 1;
    int fileNumber = 0;
    const auto makeFolder = [&](const std::string &path) {
        CreateDirectoryA(path.c_str(), nullptr);
        ++tree.Folders;
    };
    for (int top = 0; top < TopFolders; ++top) {
        const std::string topPath = root + "Project " + std::to_string(top) + "\\";
        makeFolder(topPath);
        for (int mid = 0; mid < MidFolders; ++mid) {
            const std::string midPath = topPath + "module_" + std::to_string(mid) + "\\";
            makeFolder(midPath);
            for (int leaf = 0; leaf < LeafFolders; ++leaf) {
                const std::string leafPath = midPath + "part" + std::to_string(leaf) + "\\";
                makeFolder(leafPath);
                for (int file = 0; file < FilesPerLeaf; ++file, ++fileNumber) {
                    const bool selected = fileNumber % SelectedEvery == 0;
                    const char *extension =
                        selected ? ".exe" : OtherExtensions[fileNumber % std::size(OtherExtensions)];
                    WriteSmallFile(leafPath + "document" + std::to_string(fileNumber) + extension,
                                   static_cast<size_t>(100 + fileNumber % 3900),
                                   static_cast<char>('a' + fileNumber % 26));
                    ++tree.Files;
                    tree.Selected += selected;
                }
            }
        }
    }
    return tree;
}

void RemoveTree(const std::string &folder) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + name + "\\");
            else
                DeleteFileA((folder + name).c_str());
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// The bare walk: returns the number of files fingerprinted.
int BareWalk(const std::string &folder) {
    int checked = 0;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const char *name = data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (std::string(name) != "." && std::string(name) != "..")
                checked += BareWalk(folder + name + "\\");
        } else if (scanner::IsFileSelected(folder, name)) {
            const std::string path = folder + name;
            scanner::KernelEngine().GetSize(path);
            if (!scanner::KernelEngine().GetFileMd5Hash(path).empty())
                ++checked;
        }
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return checked;
}

// --- The deep tree ---

std::wstring LongForm(const std::string &path) {
    std::wstring wide(path.begin(), path.end());
    return L"\\\\?\\" + wide;
}


// Each level holds "notes.txt" and "prog_<level>.exe"; returns the files made.
TTree MakeDeepTree(const std::string &root) {
    TTree tree;
    tree.Root = root;
    CreateDirectoryA(root.c_str(), nullptr);
    std::string folder = root;
    for (int level = 1; level <= DeepLevels; ++level) {
        folder += "level_" + std::to_string(level) + "\\";
        CreateDirectoryW(LongForm(folder).c_str(), nullptr);
        ++tree.Folders;
        WriteWideFile(LongForm(folder + "notes.txt"), 300, 'n');
        WriteWideFile(LongForm(folder + "prog_" + std::to_string(level) + ".exe"),
                      static_cast<size_t>(200 + level), static_cast<char>('a' + level % 26));
        tree.Files += 2;
        ++tree.Selected;
    }
    return tree;
}

void RemoveWideTree(const std::wstring &folder) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveWideTree(folder + name + L"\\");
            else
                DeleteFileW((folder + name).c_str());
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

bool HashWideFile(const std::wstring &path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    kernel::Md5 md5;
    unsigned char buffer[65536];
    DWORD delivered = 0;
    while (ReadFile(file, buffer, sizeof buffer, &delivered, nullptr) && delivered > 0)
        md5.Update(buffer, delivered);
    md5.Finish();
    CloseHandle(file);
    return true;
}

// The bare walk of the deep tree (plain ASCII names): returns the number of
// files fingerprinted.
int BareWideWalk(const std::string &folder) {
    int checked = 0;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((LongForm(folder) + L"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const std::wstring wideName = data.cFileName;
        const std::string name(wideName.begin(), wideName.end());
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != "..")
                checked += BareWideWalk(folder + name + "\\");
        } else if (scanner::IsFileSelected(folder, name)) {
            const std::string path = folder + name;
            if (path.size() <= AnsiLimit) {
                scanner::KernelEngine().GetSize(path);
                checked += !scanner::KernelEngine().GetFileMd5Hash(path).empty();
            } else {
                checked += HashWideFile(LongForm(path));
            }
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return checked;
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Timed(const std::function<void()> &work) {
    const auto start = Clock::now();
    work();
    return Seconds(start);
}

struct TWalkFigures {
    double Bare = 1e9, Scan = 1e9;
    int BareChecked = 0, ScanChecked = 0, ScanSkipped = 0, Detected = 0;
};

TWalkFigures TimeWalks(const TTree &tree, scanner::TScanRun &run, scanner::TQuietScan &host,
                       const std::function<int(const std::string &)> &bareWalk) {
    TWalkFigures figures;
    for (int pass = 0; pass < Passes; ++pass) {
        figures.Bare = std::min(figures.Bare, Timed([&] { figures.BareChecked = bareWalk(tree.Root); }));
        figures.Scan = std::min(figures.Scan, Timed([&] {
                                    run.State() = scanner::ScanState();
                                    run.ScanRoots({tree.Root});
                                    figures.ScanChecked = run.State().ScannedFiles;
                                    figures.ScanSkipped = run.State().Skipped;
                                }));
    }
    figures.Detected = static_cast<int>(host.Detected.size());
    return figures;
}

// Prints the figures of one tree; false when a walk did not check every
// selected file once, or found anything.
bool Report(const char *title, const TTree &tree, const TWalkFigures &figures, double goal) {
    const int entries = tree.Files + tree.Folders - 1;
    std::printf("%s: %d files in %d folders, %d selected\n", title, tree.Files, tree.Folders, tree.Selected);
    std::printf("  bare walk                 %7.3f s  (%d files checked)\n", figures.Bare, figures.BareChecked);
    std::printf("  scan walk (ScanRoots)     %7.3f s  (%d files checked, %d skipped)\n", figures.Scan,
                figures.ScanChecked, figures.ScanSkipped);
    std::printf("  extra cost per entry      %7.1f us\n", (figures.Scan - figures.Bare) / entries * 1e6);
    std::printf("  scan walk / bare walk: %.2fx (goal: at most %.1fx)\n", figures.Scan / figures.Bare, goal);
    const bool sound = figures.BareChecked == tree.Selected && figures.ScanChecked == tree.Selected &&
                       figures.Detected == 0;
    if (!sound)
        std::printf("error: the walks did not check every selected file once\n");
    return sound;
}

} // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "bvxwalk_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "Bases").c_str(), nullptr);
    WriteSmallFile(folder + "Bases\\one.bvx", 20, 'b');
    const auto makeStart = Clock::now();
    const TTree tree = MakeTree(folder + "tree\\");
    const TTree deep = MakeDeepTree(folder + "deep\\");
    std::printf("trees made in %.1f s\n", Seconds(makeStart));

    scanner::TQuietScan host;
    TQuietPrompts prompts;
    TOneRecordEngine engine;
    scanner::TDefinitions definitions;
    if (!definitions.LoadBases(folder, host, prompts, engine))
        return 1;
    scanner::TScanRun run(host, prompts, &definitions, engine);

    const TWalkFigures usual = TimeWalks(tree, run, host, BareWalk);
    const TWalkFigures deepFigures = TimeWalks(deep, run, host, BareWideWalk);
    bool sound = Report("usual tree", tree, usual, 1.3);
    // A file no ANSI path reaches is counted by the scan walk either way.
    sound = Report("deep tree (300 levels)", deep, deepFigures, 1.3) && sound;
    std::printf("scan walk / bare walk: %.2fx usual tree, %.2fx deep tree\n", usual.Scan / usual.Bare,
                deepFigures.Scan / deepFigures.Bare);
    RemoveWideTree(LongForm(deep.Root));
    RemoveTree(folder);
    return sound ? 0 : 1;
}
