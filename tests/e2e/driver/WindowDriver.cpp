#include "WindowDriver.h"

#include <commctrl.h>
#include <tlhelp32.h>

namespace e2e {

namespace {

constexpr UINT kSendTimeoutMs = 20000;

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs,
                             &result))
        return -1;
    return static_cast<LRESULT>(result);
}

bool ClassMatches(HWND window, const char *className) {
    if (!className)
        return true;
    std::string actual = ClassOf(window);
    if (className[0] == '!')
        return lstrcmpiA(actual.c_str(), className + 1) != 0;
    return lstrcmpiA(actual.c_str(), className) == 0;
}

struct TopSearch {
    DWORD processId;
    const std::string *caption;
    const char *className;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM param) {
    auto &search = *reinterpret_cast<TopSearch *>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window))
        return TRUE;
    if (!ClassMatches(window, search.className))
        return TRUE;
    if (!search.caption->empty() && GetText(window) != *search.caption)
        return TRUE;
    search.found = window;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND> *>(param)->push_back(window);
    return TRUE;
}

std::wstring WideOfAnsi(const std::string &text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(),
                                                        static_cast<int>(text.size()), &wide[0],
                                                        static_cast<int>(wide.size()))));
    return wide;
}

} // namespace

LRESULT SendPlain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendWithTimeout(window, message, wParam, lParam);
}

bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
}

AppProcess::AppProcess(const std::string &exePath, const std::string &arguments)
    : AppProcess(WideOfAnsi(exePath), WideOfAnsi(arguments)) {}

AppProcess::AppProcess(const std::wstring &exePath, const std::wstring &arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    // A current folder far from the program's own: the program must find its
    // files beside itself, not in the current folder.
    if (!CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        L"C:\\", &startup, &info))
        return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
}

AppProcess::~AppProcess() {
    if (!process_)
        return;
    if (Running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
}

bool AppProcess::WaitExit(DWORD timeoutMs) const {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool AppProcess::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

static bool ProcessRuns(const std::string &exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return true; // cannot tell yet
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0;
    CloseHandle(snapshot);
    return found;
}

bool WaitProcessesGone(const std::string &exeName, DWORD timeoutMs) {
    return WaitUntil([&] { return !ProcessRuns(exeName); }, timeoutMs);
}

HWND FindTopWindow(DWORD processId, const std::string &caption, const char *className) {
    TopSearch search{processId, &caption, className, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitTopWindow(DWORD processId, const std::string &caption, const char *className,
                   DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(processId, caption, className)) != nullptr; },
              timeoutMs);
    return found;
}

std::vector<HWND> Children(HWND root, const char *className) {
    std::vector<HWND> all;
    EnumChildWindows(root, CollectChild, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> matching;
    for (HWND child : all)
        if (ClassMatches(child, className))
            matching.push_back(child);
    return matching;
}

HWND FindControl(HWND root, int controlId) {
    for (HWND child : Children(root, nullptr))
        if (GetDlgCtrlID(child) == controlId)
            return child;
    return nullptr;
}

HWND FindChildByText(HWND root, const char *className, const std::string &text) {
    for (HWND child : Children(root, className))
        if (GetText(child) == text)
            return child;
    return nullptr;
}

std::string GetText(HWND window) {
    LRESULT length = SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT copied = SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool Click(HWND button) {
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button))
        return false;
    return PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

bool ClickLabel(HWND label) {
    if (!label || !IsWindowVisible(label) || !IsWindowEnabled(label))
        return false;
    LPARAM inside = MAKELPARAM(2, 2);
    return PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, inside) &&
           PostMessageA(label, WM_LBUTTONUP, 0, inside);
}

void ChooseMenu(HWND window, int commandId) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

RemoteBuffer::RemoteBuffer(HANDLE process, size_t size)
    : process_(process),
      address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

RemoteBuffer::~RemoteBuffer() {
    if (address_)
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

bool RemoteBuffer::Write(const void *data, size_t size, size_t offset) {
    SIZE_T written = 0;
    return address_ &&
           WriteProcessMemory(process_, static_cast<char *>(address_) + offset, data, size,
                              &written) &&
           written == size;
}

bool RemoteBuffer::Read(void *data, size_t size, size_t offset) const {
    SIZE_T read = 0;
    return address_ &&
           ReadProcessMemory(process_, static_cast<char *>(address_) + offset, data, size,
                             &read) &&
           read == size;
}

int RemoteListView::Count() const {
    return static_cast<int>(SendWithTimeout(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteListView::Text(int item, int column) const {
    constexpr size_t kTextRoom = 2048;
    RemoteBuffer remote(process_, sizeof(LVITEMA) + kTextRoom);
    LVITEMA request{};
    request.iSubItem = column;
    request.cchTextMax = kTextRoom;
    request.pszText = static_cast<char *>(remote.address()) + sizeof(LVITEMA);
    if (!remote.Write(&request, sizeof request))
        return std::string();
    LRESULT length = SendWithTimeout(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                            reinterpret_cast<LPARAM>(remote.address()));
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length), '\0');
    remote.Read(&text[0], text.size(), sizeof(LVITEMA));
    return text;
}

std::vector<std::string> RemoteListView::Texts() const {
    std::vector<std::string> texts;
    int count = Count();
    for (int item = 0; item < count; ++item)
        texts.push_back(Text(item));
    return texts;
}

int RemoteListView::Find(const std::string &text) const {
    int count = Count();
    for (int item = 0; item < count; ++item)
        if (Text(item) == text)
            return item;
    return -1;
}

int RemoteListView::Image(int item) const {
    RemoteBuffer remote(process_, sizeof(LVITEMA));
    LVITEMA request{};
    request.mask = LVIF_IMAGE;
    request.iItem = item;
    LVITEMA answer{};
    if (!remote.Write(&request, sizeof request) ||
        SendWithTimeout(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.address())) <= 0 ||
        !remote.Read(&answer, sizeof answer))
        return -1;
    return answer.iImage;
}

RECT RemoteListView::LabelOnScreen(int item) const {
    RECT rect{LVIR_LABEL, 0, 0, 0};
    RemoteBuffer remote(process_, sizeof rect);
    if (!remote.Write(&rect, sizeof rect) ||
        SendWithTimeout(list_, LVM_GETITEMRECT, static_cast<WPARAM>(item),
                        reinterpret_cast<LPARAM>(remote.address())) <= 0 ||
        !remote.Read(&rect, sizeof rect))
        return RECT{};
    MapWindowPoints(list_, nullptr, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

bool RemoteListView::Checked(int item) const {
    LRESULT state = SendWithTimeout(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK);
    return state != -1 && ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

bool RemoteListView::SetChecked(int item, bool checked) {
    RemoteBuffer remote(process_, sizeof(LVITEMA));
    LVITEMA change{};
    change.stateMask = LVIS_STATEIMAGEMASK;
    change.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    if (!remote.Write(&change, sizeof change))
        return false;
    SendWithTimeout(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
           reinterpret_cast<LPARAM>(remote.address()));
    return Checked(item) == checked;
}

bool RemoteListView::SetSelected(int item, bool selected) {
    RemoteBuffer remote(process_, sizeof(LVITEMA));
    LVITEMA change{};
    change.stateMask = LVIS_SELECTED;
    change.state = selected ? LVIS_SELECTED : 0;
    return remote.Write(&change, sizeof change) &&
           SendWithTimeout(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                           reinterpret_cast<LPARAM>(remote.address())) > 0;
}

int RemoteListView::SelectedCount() const {
    return static_cast<int>(SendWithTimeout(list_, LVM_GETSELECTEDCOUNT, 0, 0));
}

int RemoteListView::ColumnWidth() const {
    return static_cast<int>(SendWithTimeout(list_, LVM_GETCOLUMNWIDTH, 0, 0));
}

int RemoteListView::TextWidth(const std::string &text) const {
    RemoteBuffer remote(process_, text.size() + 1);
    if (!remote.Write(text.c_str(), text.size() + 1))
        return -1;
    return static_cast<int>(SendWithTimeout(list_, LVM_GETSTRINGWIDTHA, 0,
                                            reinterpret_cast<LPARAM>(remote.address())));
}

bool RemoteListView::HasHorizontalScrollBar() const {
    return (GetWindowLongA(list_, GWL_STYLE) & WS_HSCROLL) != 0;
}

// The list's thread shares our input state for a moment, so that the focus
// can be set from here; the keys then go through the system's input queue.
bool RemoteListView::PressCtrlKey(char key) const {
    HWND top = GetAncestor(list_, GA_ROOT);
    const DWORD listThread = GetWindowThreadProcessId(list_, nullptr);
    const DWORD ownThread = GetCurrentThreadId();
    if (!AttachThreadInput(ownThread, listThread, TRUE))
        return false;
    SetForegroundWindow(top);
    SetFocus(list_);
    const bool focused = GetFocus() == list_;
    AttachThreadInput(ownThread, listThread, FALSE);
    if (!focused)
        return false;
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_CONTROL, static_cast<WORD>(key), static_cast<WORD>(key), VK_CONTROL};
    for (int index = 0; index < 4; ++index) {
        keys[index].type = INPUT_KEYBOARD;
        keys[index].ki.wVk = codes[index];
        keys[index].ki.dwFlags = index < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    return SendInput(4, keys, sizeof(INPUT)) == 4;
}

bool TypeChord(HWND window, const std::vector<WORD> &keys) {
    HWND top = GetAncestor(window, GA_ROOT);
    const DWORD windowThread = GetWindowThreadProcessId(top, nullptr);
    const DWORD ownThread = GetCurrentThreadId();
    if (!AttachThreadInput(ownThread, windowThread, TRUE))
        return false;
    SetForegroundWindow(top);
    const bool foreground = GetForegroundWindow() == top;
    AttachThreadInput(ownThread, windowThread, FALSE);
    if (!foreground)
        return false;
    std::vector<INPUT> strokes;
    for (WORD key : keys) {
        INPUT stroke{};
        stroke.type = INPUT_KEYBOARD;
        stroke.ki.wVk = key;
        strokes.push_back(stroke);
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        INPUT stroke{};
        stroke.type = INPUT_KEYBOARD;
        stroke.ki.wVk = *key;
        stroke.ki.dwFlags = KEYEVENTF_KEYUP;
        strokes.push_back(stroke);
    }
    return SendInput(static_cast<UINT>(strokes.size()), strokes.data(), sizeof(INPUT)) ==
           strokes.size();
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

std::string ClipboardText() {
    std::string text = "(no text)";
    if (!OpenClipboard(nullptr))
        return "(clipboard busy)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *wide = static_cast<const wchar_t *>(GlobalLock(data))) {
            const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
            text.assign(static_cast<size_t>(size > 0 ? size : 1), '\0');
            WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], size, nullptr, nullptr);
            text.resize(text.size() - 1);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool SetClipboardText(const std::string &text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<size_t>(size) * sizeof(wchar_t));
    if (!memory)
        return false;
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, static_cast<wchar_t *>(GlobalLock(memory)), size);
    GlobalUnlock(memory);
    bool set = false;
    if (OpenClipboard(nullptr)) {
        set = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        CloseClipboard();
    }
    if (!set)
        GlobalFree(memory);
    return set;
}

HWND FindPopupMenu(DWORD processId) { return FindTopWindow(processId, std::string(), "#32768"); }

// The menu's own loop reads every key message of its thread.
void ChooseFirstMenuItem(HWND menu) {
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}

int CountScreenPixels(const RECT &area, COLORREF colour) {
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return 0;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top-down rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = nullptr;
    HBITMAP copy = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    int count = 0;
    const DWORD wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    const DWORD *pixel = static_cast<const DWORD *>(bits);
    for (int index = 0; bits && index < width * height; ++index)
        if ((pixel[index] & 0xFFFFFF) == wanted)
            ++count;
    SelectObject(memory, previous);
    DeleteObject(copy);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return count;
}

static std::string BoxText(HWND box) {
    std::string joined;
    for (HWND label : Children(box, "Static")) {
        std::string text = GetText(label);
        if (text.empty())
            continue;
        if (!joined.empty())
            joined += "\n";
        joined += text;
    }
    return joined;
}

ModalBox WaitBox(DWORD processId, const std::string &caption, DWORD timeoutMs) {
    ModalBox box;
    box.window = WaitTopWindow(processId, caption, "#32770", timeoutMs);
    if (!box.window)
        return box;
    box.caption = GetText(box.window);
    // Every box of the program says something: wait until its text is there.
    WaitUntil([&] { return !(box.text = BoxText(box.window)).empty() || !IsWindow(box.window); },
              timeoutMs);
    return box;
}

bool PressBoxButton(const ModalBox &box, const std::string &buttonCaption) {
    HWND button = FindChildByText(box.window, "Button", buttonCaption);
    if (!Click(button))
        return false;
    HWND window = box.window;
    return WaitUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); });
}

} // namespace e2e
