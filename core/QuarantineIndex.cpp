#include "QuarantineIndex.h"

#include <cstdio>

namespace scanner {

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

bool StartsWithByteOrderMark(const std::string &bytes) {
    return bytes.compare(0, sizeof kUtf8ByteOrderMark - 1, kUtf8ByteOrderMark) == 0;
}

// Converts each line of text on its own and keeps the line ends between them
// as they are; false when a line does not convert.
template <typename Convert>
bool ConvertLines(const std::string &text, std::string &converted, Convert convert) {
    converted.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && !IsLineEnd(text[end]))
            ++end;
        std::string line;
        if (end > start && !convert(text.substr(start, end - start), line))
            return false;
        converted += line;
        while (end < text.size() && IsLineEnd(text[end]))
            converted += text[end++];
        start = end;
    }
    return true;
}

} // namespace

std::string DecodeIndexText(const std::string &bytes, const IAnsiCodePage &codePage) {
    if (StartsWithByteOrderMark(bytes))
        return bytes.substr(sizeof kUtf8ByteOrderMark - 1);
    std::string text;
    ConvertLines(bytes, text, [&](const std::string &ansi, std::string &utf8) {
        utf8 = codePage.Utf8FromAnsi(ansi);
        return true;
    });
    return text;
}

// ANSI bytes that happened to begin like the mark would be read back as
// UTF-8, so such a text is written in UTF-8 as well.
std::string EncodeIndexText(const std::string &text, const IAnsiCodePage &codePage) {
    std::string ansi;
    const bool spelled = ConvertLines(text, ansi, [&](const std::string &utf8, std::string &line) {
        return codePage.ExactAnsiFromUtf8(utf8, line);
    });
    if (spelled && !StartsWithByteOrderMark(ansi))
        return ansi;
    return kUtf8ByteOrderMark + text;
}

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

std::string IndexLineText(const std::string &text) {
    std::string line = text;
    for (char &c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            c = ' ';
    return line;
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

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

static bool HasForbiddenCharacter(const std::string &name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
    return name.find_first_of("\\/:*?\"<>|") != std::string::npos;
}

// The part before the first dot, without the blanks the system ignores there:
// "nul.txt" and "COM1 .x" open devices, not files.
static std::string DeviceStem(const std::string &name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    std::string lower;
    for (char c : stem)
        lower += LowerAscii(c);
    return lower;
}

static bool IsDeviceName(const std::string &name) {
    const std::string stem = DeviceStem(name);
    for (const char *device : {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"})
        if (stem == device)
            return true;
    if (stem.size() != 4 || (stem.compare(0, 3, "com") != 0 && stem.compare(0, 3, "lpt") != 0))
        return false;
    // COM0 to COM9 and the superscript digits 1, 2 and 3 of the ANSI code page.
    const unsigned char digit = static_cast<unsigned char>(stem[3]);
    return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

bool IsPlainFileName(const std::string &name) {
    if (name.empty() || HasForbiddenCharacter(name))
        return false;
    if (name.find_first_not_of(". ") == std::string::npos)
        return false;
    if (name.back() == '.' || name.back() == ' ')
        return false;
    return !IsDeviceName(name);
}

bool IsStoredFileName(const std::string &name) {
    return IsPlainFileName(name) && !SameFileName(name, kIndexFileName) &&
           !SameFileName(name, kTempIndexFileName);
}

std::string FileNameOfPath(const std::string &path) {
    const std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool SameFileName(const std::string &left, const std::string &right) {
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i)
        if (LowerAscii(left[i]) != LowerAscii(right[i]))
            return false;
    return true;
}

} // namespace scanner
