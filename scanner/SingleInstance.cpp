#include "SingleInstance.h"

#include "PointedPaths.h"

#include <sddl.h>
#include <shellapi.h>

namespace window {

namespace {

// The main window's class and caption, which a later start looks for.
constexpr wchar_t kMainWindowClass[] = L"TMainForm";
constexpr wchar_t kMainWindowCaption[] = L"Brenvald";
// The running scanner makes its window right after it takes the lock, and
// answers messages while it loads its bases; a start that finds the lock
// taken waits this long for the window, and for it to take the paths.
constexpr DWORD kWindowWaitMs = 30000;
constexpr DWORD kWindowPollMs = 50;

// The text form of the user's security identifier; empty when the token
// cannot tell it.
std::wstring UserSidText() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken))
        return std::wstring();
    brenvald::FileHandle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
        return std::wstring();
    LPWSTR rawText = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid, &rawText))
        return std::wstring();
    brenvald::LocalMemory<LPWSTR> text(rawText);
    return text.get();
}

std::wstring FullPath(const std::wstring &path) {
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    full.resize(length);
    return full.empty() ? path : full;
}

HWND WaitRunningWindow() {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindWindowW(kMainWindowClass, kMainWindowCaption))
            return window;
        if (GetTickCount() - start >= kWindowWaitMs)
            return nullptr;
        Sleep(kWindowPollMs);
    }
}

bool BringToFront(HWND window) {
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    return true;
}

} // namespace

// Without the user's identifier there is no lock to share: this start runs
// as the first.
TSingleInstance::TSingleInstance() {
    const std::wstring sid = UserSidText();
    if (sid.empty())
        return;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, scanner::InstanceLockName(sid).c_str());
    const DWORD created = GetLastError();
    lock_ = brenvald::FileHandle(mutex);
    first_ = !lock_ || created != ERROR_ALREADY_EXISTS;
}

std::vector<std::wstring> CommandLinePaths() {
    int count = 0;
    brenvald::LocalMemory<LPWSTR *> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> paths;
    if (!arguments)
        return paths;
    for (int index = 1; index < count; ++index)
        if (arguments.get()[index][0] != L'\0')
            paths.push_back(FullPath(arguments.get()[index]));
    return paths;
}

std::vector<std::wstring> DroppedPaths(HDROP drop) {
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        const UINT length = DragQueryFileW(drop, index, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, index, &path[0], length + 1));
        if (!path.empty())
            paths.push_back(path);
    }
    return paths;
}

bool HandOverToRunningScanner(const std::vector<std::wstring> &paths) {
    HWND window = WaitRunningWindow();
    if (!window)
        return false;
    if (paths.empty())
        return BringToFront(window);
    const std::wstring body = scanner::EncodePointedPaths(paths);
    COPYDATASTRUCT message{};
    message.dwData = scanner::kPointedPathsMark;
    message.cbData = static_cast<DWORD>(body.size() * sizeof(wchar_t));
    message.lpData = const_cast<wchar_t *>(body.data());
    DWORD_PTR taken = 0;
    if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message),
                             SMTO_NORMAL, kWindowWaitMs, &taken))
        return false;
    return BringToFront(window) && taken != 0;
}

std::vector<std::wstring> HandedOverPaths(const COPYDATASTRUCT &message) {
    if (message.dwData != scanner::kPointedPathsMark)
        return {};
    return scanner::DecodePointedPaths(message.lpData, message.cbData);
}

} // namespace window
