// Cost of a log line in the window's log list: appending the row to a list
// in list style (as the log was), to the header-less report view alone, and
// with the column kept as wide as the widest line (measure the
// line, widen when it is the widest so far). Both run in the same program on
// lists of 5 000 and 20 000 lines; the per-line time staying flat as the log
// grows is what shows that fitting costs the same whatever the log's length.
#include "Controls.h"
#include "ListText_win.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kLineList = LVS_REPORT | LVS_NOCOLUMNHEADER;

HWND MakeList(HWND parent, DWORD view) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | view, 0, 0, 399,
                                230, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 395;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    return list;
}

// Log lines of many lengths, now and then a longer one, as a scan writes them.
std::vector<std::wstring> LogLines(int count) {
    std::vector<std::wstring> lines;
    for (int index = 0; index < count; ++index) {
        std::wstring folder(static_cast<size_t>(10 + (index * 7919) % 120), L'd');
        lines.push_back(L"Ignored [C:\\" + folder + L"\\file" + std::to_wstring(index) + L".exe]");
    }
    return lines;
}

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// Microseconds per line.
double AppendAll(HWND parent, const std::vector<std::wstring> &lines, DWORD view, bool fitted) {
    HWND list = MakeList(parent, view);
    window::TListView rows(list);
    window::TFittedList fit(list);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (const std::wstring &line : lines) {
        const int row = rows.AppendWide(line);
        if (fitted)
            fit.RowAdded(row);
    }
    QueryPerformanceCounter(&end);
    DestroyWindow(list);
    return Seconds(start, end) * 1e6 / double(lines.size());
}

} // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 420, 260,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!parent) {
        std::fprintf(stderr, "no window: is there a display?\n");
        return 1;
    }
    for (int count : {5000, 20000}) {
        const std::vector<std::wstring> lines = LogLines(count);
        const double listStyle = AppendAll(parent, lines, LVS_LIST, false);
        const double plain = AppendAll(parent, lines, kLineList, false);
        const double fitted = AppendAll(parent, lines, kLineList, true);
        std::printf("%6d lines: list style %.1f us/line; header-less report: append %.1f us/line, "
                    "append and fit %.1f us/line; fit/list style %.2f, fit/append %.2f\n",
                    count, listStyle, plain, fitted, fitted / listStyle, fitted / plain);
    }
    DestroyWindow(parent);
    return 0;
}
