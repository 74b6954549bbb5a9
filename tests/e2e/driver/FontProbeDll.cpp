// e2e_font_probe.dll: runs inside the program under test, loaded there by
// the window hook that AskControlFont sets, and answers which font a
// control has (see FontProbe.h).
#include "FontProbe.h"

namespace {

void WriteAnswer(HWND control) {
    HANDLE section = OpenFileMappingW(FILE_MAP_WRITE, FALSE, e2e::kFontProbeSection);
    if (!section)
        return;
    auto *answer = static_cast<e2e::FontProbeAnswer *>(
        MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(e2e::FontProbeAnswer)));
    if (answer) {
        const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        answer->hasFont =
            font && GetObjectW(font, sizeof answer->font, &answer->font) == sizeof answer->font;
        answer->answered = TRUE;
        UnmapViewOfFile(answer);
    }
    CloseHandle(section);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK FontProbeHook(int code, WPARAM wParam,
                                                                LPARAM lParam) {
    static const UINT probeMessage = RegisterWindowMessageW(e2e::kFontProbeMessage);
    if (code == HC_ACTION) {
        const auto *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
        if (call->message == probeMessage)
            WriteAnswer(call->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
