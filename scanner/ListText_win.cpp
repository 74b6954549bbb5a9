#include "ListText_win.h"

#include "WinHandle.h"
#include "resource.h"

#include <algorithm>

namespace window {

namespace {

// Room beside the caption: the padding the list view puts around a label,
// and a little for the focus rectangle.
constexpr int kLabelPadding = 16;
// Left off the list's client width, as the re-layout has always done.
constexpr int kClientInset = 4;

// Another program may hold the clipboard for a moment.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenPauseMs = 20;

// Opens the clipboard, trying again for a moment while another program
// holds it.
bool OpenWithin(brenvald::ClipboardOpen &clipboard, HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (clipboard.Open(owner))
            return true;
        Sleep(kOpenPauseMs);
    }
    return false;
}

brenvald::GlobalMemory GlobalText(const std::wstring &text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    brenvald::GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory)
        return memory;
    void *target = GlobalLock(memory.get());
    if (!target)
        return brenvald::GlobalMemory();
    CopyMemory(target, text.c_str(), bytes);
    GlobalUnlock(memory.get());
    return memory;
}

// CF_UNICODETEXT only: the system makes the ANSI and OEM forms for programs
// that ask for them.
bool PutOnClipboard(HWND owner, const std::wstring &text) {
    brenvald::GlobalMemory memory = GlobalText(text);
    if (!memory)
        return false;
    brenvald::ClipboardOpen clipboard;
    if (!OpenWithin(clipboard, owner) || !EmptyClipboard() ||
        !SetClipboardData(CF_UNICODETEXT, memory.get()))
        return false;
    memory.release(); // the clipboard owns it now
    return true;
}

// Where the keyboard's menu key opens the menu: below the focused row, or
// at the list's top left corner.
POINT KeyboardMenuPoint(HWND list) {
    RECT row{LVIR_LABEL, 0, 0, 0};
    const int focused = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                      LVNI_FOCUSED));
    POINT point{0, 0};
    if (focused >= 0 &&
        SendMessageA(list, LVM_GETITEMRECT, focused, reinterpret_cast<LPARAM>(&row)))
        point = POINT{row.left, row.bottom};
    ClientToScreen(list, &point);
    return point;
}

} // namespace

void TFittedList::RowAdded(int row) {
    if (fit_.Note(list_.TextWidth(list_.TextWide(row))))
        Fit();
}

void TFittedList::Fit() {
    RECT client;
    GetClientRect(list_.Handle(), &client);
    const int margin = list_.ImageWidth(LVSIL_STATE) + list_.ImageWidth(LVSIL_SMALL) + kLabelPadding;
    const int shownWidth = client.right - kClientInset - list_.WidthBesideFirstColumn();
    list_.SetColumnWidth(fit_.ColumnWidth(shownWidth, margin));
}

void TFittedList::Refit() {
    fit_.Clear();
    for (int row = 0; row < list_.Count(); ++row)
        fit_.Note(list_.TextWidth(list_.TextWide(row)));
    Fit();
}

bool CopyRowsToClipboard(HWND owner, const TListView &list) {
    const int columns = std::max(list.ColumnCount(), 1);
    std::vector<std::vector<std::wstring>> rows;
    for (int row : RowsToCopy(list.Count(), list.SelectedRows())) {
        std::vector<std::wstring> texts;
        for (int column = 0; column < columns; ++column)
            texts.push_back(list.TextWide(row, column));
        rows.push_back(std::move(texts));
    }
    return PutOnClipboard(owner, CopyText(rows));
}

int TrackListMenu(HWND owner, HWND list, LPARAM position, int menuId) {
    brenvald::MenuHandle menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId)));
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup)
        return 0;
    POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == static_cast<LPARAM>(-1))
        point = KeyboardMenuPoint(list);
    return static_cast<int>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                           point.x, point.y, 0, owner, nullptr));
}

} // namespace window
