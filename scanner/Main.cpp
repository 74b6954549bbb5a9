// Program start: one scanner per user (a later start hands its paths to the
// running window and ends), the common controls, the main window (which
// loads the bases and lists the drives while it is created), the paths of
// the command line, then the message loop until the main window closes.
#include "MainFrm.h"
#include "SingleInstance.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const std::vector<std::wstring> pointedPaths = window::CommandLinePaths();
    window::TSingleInstance single;
    if (!single.First())
        return window::HandOverToRunningScanner(pointedPaths) ? 0 : 1;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    window::TMainForm::Register(instance);

    window::TMainForm mainForm;
    if (!mainForm.Create(instance, showCommand))
        return 1;
    mainForm.PointAt(pointedPaths, true);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (mainForm.TranslateDialogKeys(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
