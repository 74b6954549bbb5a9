// Poses the real bvxscan.exe for `make screenshots`: shows each page and the
// About dialog in turn and, for each pose, writes <sync>\<name>.ready and
// waits for <sync>\<name>.done, which the script writes once it has taken
// the picture. Arguments: the program's path, the sync folder (ending with a
// backslash).
#include "WindowDriver.h"

#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

using namespace e2e;

namespace {

std::string syncFolder;

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool PageShown(HWND window, int pageId) { return IsWindowVisible(FindControl(window, pageId)) != FALSE; }

// Lets the window settle, tells the script to take the picture and waits
// until it has. The settle is for painting only: every pose first waits for
// its page or dialog to show.
bool Pose(const std::string &name) {
    Sleep(800);
    const std::string ready = syncFolder + name + ".ready";
    if (FILE *marker = std::fopen(ready.c_str(), "w"))
        std::fclose(marker);
    return WaitUntil([&] { return Exists(syncFolder + name + ".done"); });
}

// Moves a box to the desktop's bottom left corner, off the main window.
void MoveAside(HWND box) {
    RECT frame;
    GetWindowRect(box, &frame);
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    SetWindowPos(box, nullptr, 0, desktop.bottom - (frame.bottom - frame.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
}

// A run over the ticked drive: the counters page shows behind the closing
// box, which is moved aside for the picture.
bool PoseCounters(const AppProcess &app, HWND window) {
    ChooseMenu(window, IDM_SCAN1);
    ModalBox start = WaitBox(app.id(), "Information");
    if (!start.window || !PressBoxButton(start, "OK"))
        return false;
    ModalBox summary = WaitBox(app.id(), "Information");
    if (!summary.window)
        return false;
    MoveAside(summary.window);
    const bool posed = Pose("page4-counters");
    return PressBoxButton(summary, "OK") && posed;
}

// The log scrolled to the end of its widest line, one line selected and the
// lists' context menu open over it; the menu is closed again afterwards.
bool PoseLogCopyMenu(const AppProcess &app, HWND window) {
    HWND log = FindControl(window, IDC_LOGLIST);
    RemoteListView lines(app.handle(), log);
    SendPlain(log, LVM_SCROLL, static_cast<WPARAM>(SendPlain(log, LVM_GETCOLUMNWIDTH, 0, 0)), 0);
    const int detection = lines.Count() > 2 ? 2 : 0;
    lines.SetSelected(detection, true);
    RECT frame;
    GetWindowRect(log, &frame);
    PostMessageA(log, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(log),
                 MAKELPARAM(frame.left + 150, frame.top + 60));
    HWND menu = nullptr;
    if (!WaitUntil([&] { return (menu = FindPopupMenu(app.id())) != nullptr; }))
        return false;
    const bool posed = Pose("page2-log-copy");
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitUntil([&] { return !IsWindowVisible(menu); });
    lines.SetSelected(detection, false);
    SendPlain(log, LVM_SCROLL, static_cast<WPARAM>(-SendPlain(log, LVM_GETCOLUMNWIDTH, 0, 0)), 0);
    return posed;
}

bool PoseAbout(const AppProcess &app, HWND window) {
    Click(FindControl(window, IDC_BITBTN2));
    HWND about = WaitTopWindow(app.id(), "About", nullptr);
    if (!about)
        return false;
    const bool posed = Pose("about");
    Click(FindControl(about, IDC_ABOUT_BITBTN1));
    return posed;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_shots PROGRAM SYNC-FOLDER\\\n");
        return 2;
    }
    syncFolder = argv[2];
    AppProcess app(argv[1]);
    HWND window = app.started() ? WaitTopWindow(app.id(), "Brenvald", "TMainForm") : nullptr;
    if (!window)
        return 1;
    // The bases load once the window shows; Scan is enabled when they are in.
    if (!WaitUntil([&] { return IsWindowEnabled(FindControl(window, IDC_BITBTN3)) != 0; }))
        return 1;
    // Drive D: holds the demo files when the script could map it.
    RemoteListView drives(app.handle(), FindControl(window, IDC_DRIVELIST));
    const int demoDrive = drives.Find("D:\\");
    if (demoDrive >= 0)
        drives.SetChecked(demoDrive, true);
    bool posed = Pose("page1-drives");
    posed = PoseCounters(app, window) && posed;
    if (!IsWindowVisible(FindControl(window, IDC_TABSHEET3))) {
        ChooseMenu(window, IDM_REPORT1);
        WaitUntil([&] { return PageShown(window, IDC_TABSHEET2); });
        Click(FindControl(window, IDC_BITBTN15));
    }
    WaitUntil([&] { return PageShown(window, IDC_TABSHEET3); });
    posed = Pose("page3-results") && posed;
    Click(FindControl(window, IDC_BITBTN6));
    WaitUntil([&] { return PageShown(window, IDC_TABSHEET2); });
    posed = Pose("page2-log") && posed;
    posed = PoseLogCopyMenu(app, window) && posed;
    ChooseMenu(window, IDM_QUARANTINE1);
    WaitUntil([&] { return PageShown(window, IDC_TABSHEET5); });
    posed = Pose("page5-quarantine") && posed;
    posed = PoseAbout(app, window) && posed;

    Click(FindControl(window, IDC_BITBTN1));
    ModalBox question = WaitBox(app.id(), "Confirm");
    if (question.window)
        PressBoxButton(question, "&No");
    app.WaitExit();
    return posed ? 0 : 1;
}
