#include "FontProbe.h"

#include <string>

namespace e2e {

namespace {

constexpr UINT kProbeWaitMs = 20000;

// The probe library beside this test program.
HMODULE ProbeLibrary() {
    static HMODULE library = [] {
        wchar_t path[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return HMODULE{};
        std::wstring folder(path, length);
        folder.erase(folder.find_last_of(L'\\') + 1);
        return LoadLibraryW((folder + L"e2e_font_probe.dll").c_str());
    }();
    return library;
}

} // namespace

FontProbeAnswer AskControlFont(HWND control) {
    FontProbeAnswer answer{};
    HMODULE library = ProbeLibrary();
    const auto hook = library ? reinterpret_cast<HOOKPROC>(
                                    reinterpret_cast<void *>(GetProcAddress(library, "FontProbeHook")))
                              : nullptr;
    if (!hook)
        return answer;
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(FontProbeAnswer), kFontProbeSection);
    if (!section)
        return answer;
    auto *shared = static_cast<FontProbeAnswer *>(
        MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(FontProbeAnswer)));
    HHOOK installed = shared ? SetWindowsHookExW(WH_CALLWNDPROC, hook, library,
                                                 GetWindowThreadProcessId(control, nullptr))
                             : nullptr;
    if (installed) {
        *shared = FontProbeAnswer{};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(control, RegisterWindowMessageW(kFontProbeMessage), 0, 0, SMTO_NORMAL,
                            kProbeWaitMs, &ignored);
        UnhookWindowsHookEx(installed);
        answer = *shared;
    }
    if (shared)
        UnmapViewOfFile(shared);
    CloseHandle(section);
    return answer;
}

} // namespace e2e
