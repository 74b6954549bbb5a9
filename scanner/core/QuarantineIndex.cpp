#include "QuarantineIndex.h"

#include <cstdio>

namespace scanner {

std::vector<std::string> SplitIndexLines(const std::string &text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            current += c;
            continue;
        }
        lines.push_back(current);
        current.clear();
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    if (!current.empty())
        lines.push_back(current);
    return lines;
}

std::string JoinIndexLines(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

std::size_t CompleteRecordCount(const std::vector<std::string> &lines) {
    return lines.size() / kLinesPerRecord;
}

QuarantineRecord RecordAt(const std::vector<std::string> &lines, std::size_t record) {
    std::size_t first = record * kLinesPerRecord;
    return {lines.at(first), lines.at(first + 1), lines.at(first + 2), lines.at(first + 3)};
}

void InsertRecord(std::vector<std::string> &lines, const QuarantineRecord &record) {
    auto at = lines.begin() + static_cast<std::ptrdiff_t>(CompleteRecordCount(lines) * kLinesPerRecord);
    lines.insert(at, {record.originalPath, record.storedName, record.description, record.timeStamp});
}

void EraseRecord(std::vector<std::string> &lines, std::size_t record) {
    auto first = lines.begin() + static_cast<std::ptrdiff_t>(record * kLinesPerRecord);
    lines.erase(first, first + kLinesPerRecord);
}

std::string StoredNameFor(uint32_t number) {
    return "INFECTED(" + std::to_string(number) + ").Vir";
}

static std::string TwoDigits(int value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

std::string FormatQuarantineTime(const LocalTime &time, const std::string &timeSeparator) {
    return TwoDigits(time.hour) + timeSeparator + TwoDigits(time.minute) + " " +
           TwoDigits(time.day) + "." + TwoDigits(time.month) + "." + TwoDigits(time.year);
}

bool IsBareFileName(const std::string &name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find_first_of("\\/:") == std::string::npos;
}

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameFileName(const std::string &left, const std::string &right) {
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i)
        if (LowerAscii(left[i]) != LowerAscii(right[i]))
            return false;
    return true;
}

} // namespace scanner
