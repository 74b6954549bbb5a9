// A small window for checking the window driver itself: a check-box list, a
// label that tells which items are ticked, and a button that asks a Yes/No
// question and opens an address for the answer through the shell.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {

constexpr int kListId = 10;
constexpr int kLabelId = 11;
constexpr int kAskId = 12;

HWND list, label;

void ShowTicked() {
    std::string ticked = "Ticked:";
    int count = ListView_GetItemCount(list);
    for (int item = 0; item < count; ++item) {
        if (!ListView_GetCheckState(list, item))
            continue;
        char text[64] = {};
        ListView_GetItemText(list, item, 0, text, sizeof text);
        ticked += std::string(" ") + text;
    }
    SetWindowTextA(label, ticked.c_str());
}

void Ask(HWND window) {
    int answer = MessageBoxA(window, "Open the answer?", "Confirm", MB_YESNO | MB_ICONQUESTION);
    const char *address = answer == IDYES ? "http://answer.example/yes" : "mailto:no@answer.example";
    ShellExecuteA(window, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
}

void Create(HWND window) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_LIST, 8, 8,
                         200, 100, window, reinterpret_cast<HMENU>(kListId), instance, nullptr);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES);
    const char *items[] = {"alpha", "beta", "gamma"};
    for (int index = 0; index < 3; ++index) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<char *>(items[index]);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    label = CreateWindowA("STATIC", "Ticked:", WS_CHILD | WS_VISIBLE, 8, 116, 200, 20, window,
                          reinterpret_cast<HMENU>(kLabelId), instance, nullptr);
    CreateWindowA("BUTTON", "&Ask", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 8, 140, 80, 24,
                  window, reinterpret_cast<HMENU>(kAskId), instance, nullptr);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        Create(window);
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR *>(lParam)->code == LVN_ITEMCHANGED)
            ShowTicked();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kAskId)
            Ask(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    InitCommonControls();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "E2EDriverTarget";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("E2EDriverTarget", "Driver target", WS_OVERLAPPEDWINDOW, 100, 100,
                                240, 220, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
