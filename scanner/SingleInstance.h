// One scanner per user: the first start holds a named lock (a mutex whose
// name carries the user's security identifier); a later start finds the
// running window and hands it the paths it was given (WM_COPYDATA, UTF-16),
// then ends. Also the paths of the command line and of a drop on the window.
#pragma once

#include "WinHandle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace window {

class TSingleInstance {
public:
    // Takes the lock, or finds it taken by the user's running scanner.
    TSingleInstance();
    // True when no other scanner of this user runs.
    bool First() const { return first_; }

private:
    brenvald::FileHandle lock_;
    bool first_ = true;
};

// The command line's paths (after the program's own), each made full
// against this process's current folder.
std::vector<std::wstring> CommandLinePaths();
// The files and folders of a drop, full paths.
std::vector<std::wstring> DroppedPaths(HDROP drop);

// Hands the paths to the running scanner's window and brings it to the
// front; false when no such window answers within the wait.
bool HandOverToRunningScanner(const std::vector<std::wstring> &paths);
// The paths a WM_COPYDATA message hands over; empty when it is no hand-over.
std::vector<std::wstring> HandedOverPaths(const COPYDATASTRUCT &message);

} // namespace window
