#include "ListText.h"

#include <algorithm>

namespace window {

std::vector<int> RowsToCopy(int rowCount, std::vector<int> selectedRows) {
    selectedRows.erase(std::remove_if(selectedRows.begin(), selectedRows.end(),
                                      [rowCount](int row) { return row < 0 || row >= rowCount; }),
                       selectedRows.end());
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    if (!selectedRows.empty())
        return selectedRows;
    std::vector<int> all(static_cast<size_t>(std::max(rowCount, 0)));
    for (size_t row = 0; row < all.size(); ++row)
        all[row] = static_cast<int>(row);
    return all;
}

std::wstring CopyLine(const std::vector<std::wstring> &columns) {
    std::wstring line;
    for (size_t column = 0; column < columns.size(); ++column) {
        if (column > 0)
            line += L'\t';
        for (wchar_t character : columns[column])
            line += character == L'\t' || character == L'\r' || character == L'\n' ? L' '
                                                                                  : character;
    }
    return line;
}

std::wstring CopyText(const std::vector<std::vector<std::wstring>> &rows) {
    std::wstring text;
    for (const std::vector<std::wstring> &row : rows)
        text += CopyLine(row) + L"\r\n";
    return text;
}

bool TColumnFit::Note(int lineWidth) {
    if (lineWidth <= widest_)
        return false;
    const int steps = lineWidth / Step + (lineWidth % Step != 0 ? 1 : 0);
    const int grown = steps > MaxWidth / Step ? MaxWidth : steps * Step;
    const bool grew = grown > widest_;
    widest_ = grown;
    return grew;
}

int TColumnFit::ColumnWidth(int clientWidth, int margin) const {
    const long long needed = static_cast<long long>(widest_) + std::max(margin, 0);
    const long long width = std::max<long long>(clientWidth, needed);
    return static_cast<int>(std::min<long long>(width, MaxWidth));
}

} // namespace window
