// The Win32 side of the system services: registry, folders, sockets and the
// access token.
#include "Winsock.h"

#include "SystemServices.h"

#include "KernelErrors.h"

#include <cstring>

namespace kernel {
namespace {

ERegistryException InvalidDataType(const std::string &valueName) {
    return ERegistryException("Invalid data type for '" + valueName + "'");
}

ERegistryException FailedToGetData(const std::string &valueName) {
    return ERegistryException("Failed to get data for '" + valueName + "'");
}

const char *const kShellFolderKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char *const kShellFolderValues[] = {"Desktop", "Start Menu", "Programs", "Startup", "Personal"};
constexpr unsigned kShellFolderKinds = 5;
constexpr unsigned kWindowsDirectoryKind = 5;
constexpr unsigned kSystemDirectoryKind = 6;

// A plain or expandable text value, unexpanded; empty when the key or the
// value is missing or cannot be queried.
std::string ReadTextValue(HKEY key, const std::string &valueName) {
    DWORD type = 0;
    DWORD size = 0;
    if (!key || RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::string();
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw InvalidDataType(valueName);
    std::string data(size, '\0');
    if (size > 0 && RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE *>(data.data()), &size) != ERROR_SUCCESS)
        throw FailedToGetData(valueName);
    data.resize(strnlen(data.c_str(), size));
    return data;
}

std::string ShellFolder(unsigned kind) {
    brenvald::RegistryKey key;
    // The key is made when missing, as the shell itself would.
    RegCreateKeyExA(HKEY_CURRENT_USER, kShellFolderKey, 0, nullptr, 0, KEY_READ, nullptr, key.put(),
                    nullptr);
    return ReadTextValue(key.get(), kShellFolderValues[kind]);
}

// The buffer is sized by asking first, so long directory paths come back whole.
std::string SystemDirectoryText(UINT(WINAPI *query)(LPSTR, UINT)) {
    const UINT needed = query(nullptr, 0);
    if (needed == 0)
        return std::string();
    std::string path(needed, '\0');
    const UINT length = query(path.data(), needed);
    if (length == 0 || length >= needed)
        return std::string();
    path.resize(length);
    return path;
}

struct PolicyValue {
    const char *key;
    const char *value;
};

const PolicyValue *PolicyOf(unsigned option) {
    static const PolicyValue noSetFolders = {
        "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoSetFolders"};
    static const PolicyValue disableCmd = {"Software\\Policies\\Microsoft\\Windows\\System",
                                           "DisableCMD"};
    switch (option) {
    case 2:
        return &noSetFolders;
    case 3:
        return &disableCmd;
    default:
        return nullptr;
    }
}

// The policy's number; 0 when its key or value is missing.
DWORD ReadPolicyNumber(const PolicyValue &policy) {
    brenvald::RegistryKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, policy.key, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0;
    DWORD number = 0;
    DWORD size = sizeof number;
    const LONG status = RegQueryValueExA(key.get(), policy.value, nullptr, &type,
                                         reinterpret_cast<BYTE *>(&number), &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return 0;
    if (status != ERROR_SUCCESS)
        throw FailedToGetData(policy.value);
    if (type != REG_DWORD)
        throw InvalidDataType(policy.value);
    return number;
}

bool EnableShutdownPrivilege() {
    brenvald::FileHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    return AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) != 0;
}

int ForceExitWindows(unsigned flags, ExitWindowsCall exitWindows) {
    if (!EnableShutdownPrivilege())
        return 0;
    return exitWindows(flags, 0);
}

} // namespace

std::optional<std::string> SystemFolderPath(unsigned kind) {
    if (kind < kShellFolderKinds)
        return WithClosingBackslash(ShellFolder(kind));
    if (kind == kWindowsDirectoryKind)
        return WithClosingBackslash(SystemDirectoryText(GetWindowsDirectoryA));
    if (kind == kSystemDirectoryKind)
        return WithClosingBackslash(SystemDirectoryText(GetSystemDirectoryA));
    return std::nullopt;
}

bool PolicyAllows(unsigned option) {
    const PolicyValue *policy = PolicyOf(option);
    return !policy || ReadPolicyNumber(*policy) == 0;
}

bool IsLocalPortOpen(uint16_t port) {
    // A failed start shows up as a socket that cannot be made.
    brenvald::WinsockSession session;
    brenvald::SocketHandle probe(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!probe.valid())
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    return connect(probe.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
}

int ForceRestart(ExitWindowsCall exitWindows) { return ForceExitWindows(kForcedRestartFlags, exitWindows); }

int ForceShutdown(ExitWindowsCall exitWindows) {
    return ForceExitWindows(kForcedShutdownFlags, exitWindows);
}

ExitWindowsCall SystemExitWindows() { return ExitWindowsEx; }

} // namespace kernel
