#include "UnixSide.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace testsupport {
namespace {

// Single-quoted for the shell; Windows paths hold no double quotes, so the
// whole command can sit in the double quotes of the command line.
std::string Quoted(const std::string &text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// A Unix link to a folder shows under Wine as a folder.
bool ExistsAsFolder(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the immutable flag took hold shows in an open for writing.
bool OpensForWriting(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

} // namespace

std::string UnixPath(const std::string &windowsPath) {
    using UnixNameCall = char *(__cdecl *)(const wchar_t *);
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    auto toUnix = reinterpret_cast<UnixNameCall>(reinterpret_cast<void *>(found));
    if (!toUnix)
        return std::string();
    int wideLength = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(wideLength));
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), wideLength);
    char *unixName = toUnix(wide.data());
    if (!unixName)
        return std::string();
    std::string result(unixName);
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

// Wine hands back a process that may end before the Unix program does, so
// the command leaves a marker file when it is done and we wait for that.
bool RunUnixShell(const std::string &command) {
    char tempFolder[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, tempFolder))
        return false;
    static unsigned counter = 0;
    const std::string marker = std::string(tempFolder) + "bvxunix_" +
                               std::to_string(GetCurrentProcessId()) + "_" +
                               std::to_string(++counter) + ".done";
    const std::string unixMarker = UnixPath(marker);
    if (unixMarker.empty())
        return false;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = "/bin/sh -c \"" + command + "; : > " + Quoted(unixMarker) + "\"";
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 3000 && GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
        Sleep(10);
    return DeleteFileA(marker.c_str()) != 0;
}

ImmutableFile::ImmutableFile(const std::string &path) : unixPath_(UnixPath(path)) {
    if (unixPath_.empty())
        return;
    RunUnixShell("/bin/chattr +i " + Quoted(unixPath_));
    active_ = !OpensForWriting(path);
}

ImmutableFile::~ImmutableFile() {
    if (!unixPath_.empty())
        RunUnixShell("/bin/chattr -i " + Quoted(unixPath_));
}

bool MakeFolderLink(const std::string &linkPath, const std::string &targetPath) {
    std::string unixLink = UnixPath(linkPath);
    std::string unixTarget = UnixPath(targetPath);
    if (unixLink.empty() || unixTarget.empty())
        return false;
    RunUnixShell("/bin/ln -s " + Quoted(unixTarget) + " " + Quoted(unixLink));
    return ExistsAsFolder(linkPath);
}

void RemoveFolderLink(const std::string &linkPath) {
    std::string unixLink = UnixPath(linkPath);
    if (!unixLink.empty())
        RunUnixShell("/bin/rm -f " + Quoted(unixLink));
}

namespace {

// The Unix shell's steps that make `count` more levels of the chain and go
// to its bottom; a failed step skips the rest.
std::string ChainSteps(const std::string &folderName, int count) {
    std::string relative;
    for (int level = 0; level < count; ++level)
        relative += (level ? "/" : "") + folderName;
    return "mkdir -p " + Quoted(relative) + " && cd " + Quoted(relative) + " && ";
}

bool ExistsLongPath(const std::string &path) {
    const std::string longPath = "\\\\?\\" + path;
    const int length = MultiByteToWideChar(CP_ACP, 0, longPath.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, longPath.c_str(), -1, wide.data(), length);
    return GetFileAttributesW(wide.data()) != INVALID_FILE_ATTRIBUTES;
}

std::string TakeFile(const std::string &path) {
    std::string content;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    DeleteFileA(path.c_str());
    return content;
}

} // namespace

bool MakeFolderChain(const std::string &parent, const std::string &folderName, int levels,
                     const std::string &fileName, const std::string &content) {
    const std::string unixParent = UnixPath(parent);
    if (unixParent.empty() || levels <= 0)
        return false;
    // A hundred levels a step keeps both the command and each step's path short.
    constexpr int LevelsPerStep = 100;
    std::string command = "cd " + Quoted(unixParent) + " && ";
    for (int made = 0; made < levels; made += LevelsPerStep)
        command += ChainSteps(folderName, std::min(LevelsPerStep, levels - made));
    command += "printf %s " + Quoted(content) + " > " + Quoted(fileName);
    if (!RunUnixShell(command))
        return false;
    std::string bottom = parent.back() == '\\' ? parent : parent + "\\";
    for (int level = 0; level < levels; ++level)
        bottom += folderName + "\\";
    return ExistsLongPath(bottom + fileName);
}

void RemoveUnixTree(const std::string &path) {
    const std::string unixPath = UnixPath(path);
    if (!unixPath.empty())
        RunUnixShell("/bin/rm -rf " + Quoted(unixPath));
}

TmpfsMount::TmpfsMount(const std::string &folder) : unixFolder_(UnixPath(folder)) {
    if (unixFolder_.empty()) {
        error_ = "not running under Wine";
        return;
    }
    const std::string base = folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
    const std::string errorFile = base + ".mount-error";
    const std::string doneFile = base + ".mounted";
    RunUnixShell("/bin/mount -t tmpfs -o size=1m bvxtest " + Quoted(unixFolder_) + " 2> " +
                 Quoted(UnixPath(errorFile)) + " && : > " + Quoted(UnixPath(doneFile)));
    mounted_ = GetFileAttributesA(doneFile.c_str()) != INVALID_FILE_ATTRIBUTES;
    DeleteFileA(doneFile.c_str());
    error_ = TakeFile(errorFile);
    if (!mounted_ && error_.empty())
        error_ = "mount gave no reason";
}

TmpfsMount::~TmpfsMount() {
    // Wine may still hold the folder open for a moment: a lazy unmount then
    // lets it go once it is free.
    if (mounted_)
        RunUnixShell("/bin/umount " + Quoted(unixFolder_) + " || /bin/umount -l " +
                     Quoted(unixFolder_));
}

} // namespace testsupport
