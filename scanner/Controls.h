// Thin wrappers over the common controls the window uses: each method is one
// message to the control. They own nothing; the window owns the controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace window {

// A list view, its rows from the top (0).
class TListView {
public:
    explicit TListView(HWND list = nullptr) : list_(list) {}
    HWND Handle() const { return list_; }

    int Count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

    std::string Text(int row, int column = 0) const {
        std::vector<char> buffer(512);
        for (;;) {
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            const LRESULT length = SendMessageA(list_, LVM_GETITEMTEXTA, row,
                                                reinterpret_cast<LPARAM>(&item));
            if (length < static_cast<LRESULT>(buffer.size()) - 1)
                return std::string(buffer.data(), static_cast<size_t>(length));
            buffer.resize(buffer.size() * 2);
        }
    }

    // A row's text as the list holds it, real names included.
    std::wstring TextWide(int row, int column = 0) const {
        std::vector<wchar_t> buffer(512);
        for (;;) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            const LRESULT length = SendMessageW(list_, LVM_GETITEMTEXTW, row,
                                                reinterpret_cast<LPARAM>(&item));
            if (length < static_cast<LRESULT>(buffer.size()) - 1)
                return std::wstring(buffer.data(), static_cast<size_t>(length));
            buffer.resize(buffer.size() * 2);
        }
    }

    // Columns added with LVM_INSERTCOLUMN; a list without any still shows one.
    int ColumnCount() const {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH;
        int count = 0;
        while (SendMessageA(list_, LVM_GETCOLUMNA, count, reinterpret_cast<LPARAM>(&column)))
            ++count;
        return count;
    }

    // The pixel width of a text in the list's font.
    int TextWidth(const std::wstring &text) const {
        return static_cast<int>(
            SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }

    // The first column's width (in list style, every column of items).
    void SetColumnWidth(int width) {
        SendMessageA(list_, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(width, 0));
    }

    // The width of the images shown before each caption (check box, icon).
    int ImageWidth(int whichList) const {
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list_, LVM_GETIMAGELIST, whichList, 0));
        int width = 0, height = 0;
        return images && ImageList_GetIconSize(images, &width, &height) ? width : 0;
    }

    std::vector<int> SelectedRows() const {
        std::vector<int> rows;
        for (int row = -1;;) {
            row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, row, LVNI_SELECTED));
            if (row < 0)
                return rows;
            rows.push_back(row);
        }
    }

    void SelectAll() {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    }

    // Appends a row (unchecked) and returns its position.
    int Append(const std::string &caption, int image = 0, LPARAM data = 0) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = Count();
        item.pszText = const_cast<char *>(caption.c_str());
        item.iImage = image;
        item.lParam = data;
        return static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0,
                                             reinterpret_cast<LPARAM>(&item)));
    }

    // Inserts a row (unchecked) at a position, showing a wide caption and an
    // image; returns its position.
    int InsertWide(int position, const std::wstring &caption, int image, LPARAM data) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = position;
        item.pszText = const_cast<wchar_t *>(caption.c_str());
        item.iImage = image;
        item.lParam = data;
        return static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0,
                                             reinterpret_cast<LPARAM>(&item)));
    }

    // Appends a row (unchecked) showing a wide caption; returns its position.
    int AppendWide(const std::wstring &caption, LPARAM data = 0) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = Count();
        item.pszText = const_cast<wchar_t *>(caption.c_str());
        item.lParam = data;
        return static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0,
                                             reinterpret_cast<LPARAM>(&item)));
    }

    // The value a row was appended with.
    LPARAM Data(int row) const {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        return SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam
                                                                                     : 0;
    }

    void SetText(int row, int column, const std::string &text) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = const_cast<char *>(text.c_str());
        SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }

    // A row's text in a column, real names included.
    void SetTextWide(int row, int column, const std::wstring &text) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t *>(text.c_str());
        SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }

    // The width of every column after the first: what the first one leaves
    // of the list's width for them.
    int WidthBesideFirstColumn() const {
        int width = 0;
        for (int column = 1; column < ColumnCount(); ++column)
            width += static_cast<int>(SendMessageA(list_, LVM_GETCOLUMNWIDTH, column, 0));
        return width;
    }

    bool Checked(int row) const {
        const auto state = SendMessageA(list_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
        return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
    }

    void SetChecked(int row, bool checked) {
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        SendMessageA(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

    void Remove(int row) { SendMessageA(list_, LVM_DELETEITEM, row, 0); }
    void Clear() { SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0); }

    // Switches a list-style view to report and straight back (a report view
    // to list and back), so that the list arranges its items for its
    // current size.
    void Relayout() {
        const LONG_PTR style = GetWindowLongPtrA(list_, GWL_STYLE);
        const LONG_PTR view = style & LVS_TYPEMASK;
        const LONG_PTR other = view == LVS_REPORT ? LVS_LIST : LVS_REPORT;
        SetWindowLongPtrA(list_, GWL_STYLE, (style & ~LONG_PTR(LVS_TYPEMASK)) | other);
        SetWindowLongPtrA(list_, GWL_STYLE, style);
    }

private:
    HWND list_;
};

inline void SetCaption(HWND control, const std::string &text) {
    SetWindowTextA(control, text.c_str());
}

} // namespace window
