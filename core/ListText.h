// The text and width bookkeeping behind the window's lists: what Copy puts on
// the clipboard, and how wide a list's one column must be to show its widest
// line whole. No window calls here; ListText_win.cpp does the measuring and
// the clipboard.
#pragma once

#include <string>
#include <vector>

namespace window {

// The rows Copy takes: the selected ones in list order, or every row when
// none is selected. Positions outside the list are dropped.
std::vector<int> RowsToCopy(int rowCount, std::vector<int> selectedRows);

// One row as a line of text: its columns joined by tabs. A tab or line break
// inside a column becomes a blank, so that every row stays one line and
// every tab separates two columns.
std::wstring CopyLine(const std::vector<std::wstring> &columns);

// The rows as clipboard text: one line per row, each ended by CR LF.
std::wstring CopyText(const std::vector<std::vector<std::wstring>> &rows);

// The widest line a list has been given since it was last emptied. Each
// line is measured once, when it is added, so a long log costs the same per
// line however many lines it has. Widths grow in whole steps: a run of lines
// each a little longer than the last resizes the column only now and then.
class TColumnFit {
public:
    // A list view takes a column width of at most this many pixels.
    static constexpr int MaxWidth = 32767;
    static constexpr int Step = 32;

    // Notes a line's width in pixels; true when the column must grow.
    bool Note(int lineWidth);
    void Clear() { widest_ = 0; }
    int Widest() const { return widest_; }
    // The column width for a list whose client area is this wide, with this
    // margin beside the text (check box, icon, padding): never narrower
    // than the list, wide enough for the widest line, at most MaxWidth.
    int ColumnWidth(int clientWidth, int margin) const;

private:
    int widest_ = 0; // rounded up to whole steps
};

} // namespace window
