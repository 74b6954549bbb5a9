// The window side of the lists' text: a list whose column follows its widest
// line, Copy onto the clipboard, and the lists' context menu.
#pragma once

#include "Controls.h"
#include "ListText.h"

#include <windows.h>

namespace window {

// A list whose first column is as wide as its widest line, so that every
// line shows whole and the scroll bar reaches its end; it fills what the
// other columns leave of the list's width.
class TFittedList {
public:
    explicit TFittedList(HWND list = nullptr) : list_(list) {}

    // After a row was added: measures its caption and widens the column
    // when it needs more room than the widest line so far.
    void RowAdded(int row);
    // After the list was emptied.
    void Cleared() { fit_.Clear(); }
    // Sets the column for the list's current size; after every re-layout.
    void Fit();
    // Measures every row again and fits the column: after the list's font
    // changed (a new display scaling).
    void Refit();

private:
    TListView list_;
    TColumnFit fit_;
};

// Puts the rows to copy (the selected ones, or all when none is) on the
// clipboard as text; false when the clipboard could not be had.
bool CopyRowsToClipboard(HWND owner, const TListView &list);

// Shows a list's context menu (the menu resource menuId) for the list at
// the screen position (the position (-1, -1) of the keyboard's menu key
// places it at the list's focused row) and returns the command chosen, 0 for
// none.
int TrackListMenu(HWND owner, HWND list, LPARAM position, int menuId);

} // namespace window
