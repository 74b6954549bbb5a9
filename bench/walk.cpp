// The scan walk against a bare directory walk of the same tree in the same
// run: a tree of 12,000 small files in 3,331 folders, 300 of them selected
// (".exe"), the rest passed over by name. The bare walk is what a plain Win32
// program does: FindFirstFileA/FindNextFileA, the same selection, and size
// and fingerprint of each selected file through Kernel.dll. The scan walk is
// the scanner's own run (TScanRun::ScanRoots) with a base of one record and a
// quiet host. Both take the best of three alternating passes.
#include "QuietPrompts.h"
#include "Definitions.h"
#include "Engine.h"
#include "FileSelection.h"
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

void WriteSmallFile(const std::string &path, size_t size, char fill) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string content(size, fill);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
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

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Timed(const std::function<void()> &work) {
    const auto start = Clock::now();
    work();
    return Seconds(start);
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
    std::printf("walk over %d files in %d folders, %d selected (tree made in %.1f s)\n", tree.Files,
                tree.Folders, tree.Selected, Seconds(makeStart));

    scanner::TQuietScan host;
    TQuietPrompts prompts;
    TOneRecordEngine engine;
    scanner::TDefinitions definitions;
    if (!definitions.LoadBases(folder, host, prompts, engine))
        return 1;
    scanner::TScanRun run(host, prompts, &definitions, engine);

    double bareBest = 1e9, scanBest = 1e9;
    int bareChecked = 0, scanChecked = 0;
    for (int pass = 0; pass < Passes; ++pass) {
        bareBest = std::min(bareBest, Timed([&] { bareChecked = BareWalk(tree.Root); }));
        scanBest = std::min(scanBest, Timed([&] {
                                run.State() = scanner::ScanState();
                                run.ScanRoots({tree.Root});
                                scanChecked = run.State().ScannedFiles;
                            }));
    }
    const int entries = tree.Files + tree.Folders - 1;
    std::printf("  bare FindFirstFileA walk  %7.3f s  (%d files checked)\n", bareBest, bareChecked);
    std::printf("  scan walk (ScanRoots)     %7.3f s  (%d files checked, %d skipped)\n", scanBest,
                scanChecked, run.State().Skipped);
    std::printf("  extra cost per entry      %7.1f us\n", (scanBest - bareBest) / entries * 1e6);
    std::printf("scan walk / bare walk: %.2fx (goal: at most 1.3x)\n", scanBest / bareBest);
    RemoveTree(folder);
    const bool sound = bareChecked == tree.Selected && scanChecked == tree.Selected && host.Detected.empty();
    if (!sound)
        std::printf("error: the walks did not check every selected file once\n");
    return sound ? 0 : 1;
}
