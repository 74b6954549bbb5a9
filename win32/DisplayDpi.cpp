#include "DisplayDpi.h"

#include <vector>

namespace brenvald {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI *)(HWND);

// Looked up once: user32 of older systems has no such export, and linking
// to it would keep the program from starting there.
GetDpiForWindowFunction DpiForWindowFunction() {
    static const GetDpiForWindowFunction function = [] {
        HMODULE user32 = GetModuleHandleA("user32.dll");
        return user32 ? reinterpret_cast<GetDpiForWindowFunction>(
                            reinterpret_cast<void *>(GetProcAddress(user32, "GetDpiForWindow")))
                      : nullptr;
    }();
    return function;
}

int ScreenDpi() {
    const WindowDC screen(nullptr);
    return screen.valid() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
}

} // namespace

int WindowDpi(HWND window) {
    if (window) {
        if (GetDpiForWindowFunction function = DpiForWindowFunction()) {
            const UINT dpi = function(window);
            if (dpi > 0)
                return static_cast<int>(dpi);
        }
    }
    return ScreenDpi();
}

GdiObject<HFONT> CreateScaledFont(const char *face, int points, int dpi, bool bold,
                                  bool underline) {
    return GdiObject<HFONT>(CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0,
                                        bold ? FW_BOLD : FW_NORMAL, FALSE, underline ? TRUE : FALSE,
                                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_SWISS, face));
}

int FontLineHeight(HFONT font) {
    const WindowDC screen(nullptr);
    const SelectedObject selected(screen.get(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen.get(), &metrics);
    return metrics.tmHeight;
}

SIZE ControlTextExtent(HWND control, const std::string &text, int wrapWidth) {
    const WindowDC context(control);
    const SelectedObject font(
        context.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT extent{0, 0, wrapWidth, 0};
    const UINT format = DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(context.get(), text.c_str(), -1, &extent, format);
    return SIZE{extent.right - extent.left, extent.bottom - extent.top};
}

SIZE ControlCaptionExtent(HWND control, int wrapWidth) {
    const int length = GetWindowTextLengthA(control);
    std::vector<char> caption(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(control, caption.data(), length + 1);
    return ControlTextExtent(control, caption.data(), wrapWidth);
}

void CentreOnMonitor(HWND window, MonitorArea area) {
    RECT frame;
    GetWindowRect(window, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT &place = area == MonitorArea::Work ? monitor.rcWork : monitor.rcMonitor;
    SetWindowPos(window, nullptr,
                 place.left + ((place.right - place.left) - (frame.right - frame.left)) / 2,
                 place.top + ((place.bottom - place.top) - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace brenvald
