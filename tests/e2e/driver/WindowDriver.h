// Works another program's window from outside, the way a user would: finds
// its windows and controls, clicks buttons, chooses menu items, reads labels
// and list views across the process boundary, ticks list view check boxes and
// answers modal boxes by pressing their buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Generous limits: Wine on a loaded machine can be slow, and no test measures speed.
constexpr DWORD kWaitMs = 60000;

// Polls the condition every 50 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs = kWaitMs);

// A started program, ended by force if it is still running when the owner goes.
class AppProcess {
public:
    // The arguments follow the quoted program path on its command line.
    explicit AppProcess(const std::string &exePath, const std::string &arguments = std::string());
    // The same for a program whose path only the wide calls can spell.
    explicit AppProcess(const std::wstring &exePath, const std::wstring &arguments = std::wstring());
    ~AppProcess();
    AppProcess(const AppProcess &) = delete;
    AppProcess &operator=(const AppProcess &) = delete;

    HANDLE handle() const { return process_; }
    DWORD id() const { return processId_; }
    bool started() const { return process_ != nullptr; }
    bool WaitExit(DWORD timeoutMs = kWaitMs) const;
    bool Running() const;

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// Waits until no process runs this program file (a name such as
// "e2e_url_recorder.exe", compared without regard to case).
bool WaitProcessesGone(const std::string &exeName, DWORD timeoutMs = kWaitMs);

// The visible top-level window of the process with this caption; a null
// class name accepts any class, a class starting with "!" excludes one.
HWND FindTopWindow(DWORD processId, const std::string &caption, const char *className);
HWND WaitTopWindow(DWORD processId, const std::string &caption, const char *className,
                   DWORD timeoutMs = kWaitMs);

// A descendant window with the control id, at any depth; null when none.
HWND FindControl(HWND root, int controlId);
// A descendant of the class whose text equals the text; null when none.
HWND FindChildByText(HWND root, const char *className, const std::string &text);
std::vector<HWND> Children(HWND root, const char *className);

// Sends a message that carries no pointer, with a time limit; -1 on failure.
LRESULT SendPlain(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window's text, asked of its own thread (WM_GETTEXT is carried across).
std::string GetText(HWND window);
std::string ClassOf(HWND window);

// Clicks a button as a user would: only a visible, enabled button can be
// clicked. The click is posted, so a modal box it opens does not block us.
bool Click(HWND button);
// Clicks a label (a notifying static, such as a link) with the mouse.
bool ClickLabel(HWND label);
// Chooses a menu item of the window by its command id.
void ChooseMenu(HWND window, int commandId);

// Memory in another process, freed with the object.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer &) = delete;
    RemoteBuffer &operator=(const RemoteBuffer &) = delete;

    void *address() const { return address_; }
    bool Write(const void *data, size_t size, size_t offset = 0);
    bool Read(void *data, size_t size, size_t offset = 0) const;

private:
    HANDLE process_;
    void *address_;
};

// A list view of another process.
class RemoteListView {
public:
    RemoteListView(HANDLE process, HWND list) : process_(process), list_(list) {}

    bool valid() const { return list_ != nullptr; }
    int Count() const;
    std::string Text(int item, int column = 0) const;
    std::vector<std::string> Texts() const;
    // Index of the first item with this caption, or -1.
    int Find(const std::string &text) const;
    int Image(int item) const; // the item's image index, -1 when unreadable
    // The item's label rectangle in screen coordinates; empty when unreadable.
    RECT LabelOnScreen(int item) const;
    bool Checked(int item) const;
    bool SetChecked(int item, bool checked);
    // Selects or deselects an item; item -1 stands for every item.
    bool SetSelected(int item, bool selected);
    int SelectedCount() const;
    // In list style, the width of every column of items.
    int ColumnWidth() const;
    // The pixel width of the text in the list's font, as the list measures it.
    int TextWidth(const std::string &text) const;
    // Whether the list shows its horizontal scroll bar.
    bool HasHorizontalScrollBar() const;
    // Gives the list the keyboard focus, its window the foreground, and
    // types Ctrl with the key there, as a user would.
    bool PressCtrlKey(char key) const;

private:
    HANDLE process_;
    HWND list_;
};

// Brings the window's top-level window to the foreground and types the keys
// together, as a user would: each goes down in order, then all come up in
// the reverse order (VK_MENU then 'F' is Alt+F).
bool TypeChord(HWND window, const std::vector<WORD> &keys);
// The window that has the keyboard focus in the window's thread; null when none.
HWND FocusOf(HWND window);

// The clipboard's text (CF_UNICODETEXT) as UTF-8; "(no text)" when it has none.
std::string ClipboardText();
bool SetClipboardText(const std::string &text);

// A context menu (a #32768 window) the process shows; null when none.
HWND FindPopupMenu(DWORD processId);
// Chooses a popup menu's first item with the keyboard, as a user would.
void ChooseFirstMenuItem(HWND menu);

// How many pixels of the screen rectangle have exactly this colour, as the
// display shows them now.
int CountScreenPixels(const RECT &area, COLORREF colour);

// A modal box (a #32770 dialog) of the process.
struct ModalBox {
    HWND window = nullptr;
    std::string caption;
    std::string text; // its static texts joined by line breaks
};

// Waits for a box with the caption, and for its text; an empty caption
// takes any box.
ModalBox WaitBox(DWORD processId, const std::string &caption, DWORD timeoutMs = kWaitMs);
// Presses the button with this caption ("OK", "&Yes", "&No") and waits for
// the box to close.
bool PressBoxButton(const ModalBox &box, const std::string &buttonCaption);

} // namespace e2e
