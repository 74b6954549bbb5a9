// The path rules of the walk that need no system call: joining names to
// folders within the ANSI limit, and the "\\?\" form of wide paths.
#include "FolderPaths.h"

#include <algorithm>

namespace scanner {

std::string JoinWithinAnsiLimit(const std::string &folderAnsi, const std::string &ansiName,
                                const char *ending) {
    if (folderAnsi.empty() || ansiName.empty())
        return {};
    std::string joined = folderAnsi + ansiName + ending;
    if (joined.size() > AnsiPathLimit)
        return {};
    return joined;
}

std::wstring LongPathForm(const std::wstring &fullPath) {
    static const std::wstring longPrefix = L"\\\\?\\";
    if (fullPath.compare(0, 4, longPrefix) == 0 || fullPath.compare(0, 4, L"\\\\.\\") == 0)
        return fullPath;
    if (fullPath.compare(0, 2, L"\\\\") == 0)
        return longPrefix + L"UNC\\" + fullPath.substr(2);
    return longPrefix + fullPath;
}

std::wstring PlainPathForm(const std::wstring &path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path.substr(4);
    return path;
}

std::wstring WithFinalBackslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    return path;
}

namespace {

// A character that an 8.3 name may hold besides letters and digits.
bool IsShortNameSymbol(wchar_t c) {
    static const wchar_t symbols[] = L"!#$%&'()-@^_`{}~";
    for (const wchar_t *symbol = symbols; *symbol; ++symbol)
        if (c == *symbol)
            return true;
    return false;
}

bool IsShortNamePart(const std::wstring &part, size_t longest) {
    if (part.empty() || part.size() > longest)
        return false;
    for (wchar_t c : part)
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
              IsShortNameSymbol(c)))
            return false;
    return true;
}

} // namespace

size_t ShortNameFloor(const std::wstring &name) {
    const size_t dot = name.find(L'.');
    const bool isShortName =
        dot == std::wstring::npos
            ? IsShortNamePart(name, 8)
            : IsShortNamePart(name.substr(0, dot), 8) && IsShortNamePart(name.substr(dot + 1), 3);
    return isShortName ? name.size() : std::min<size_t>(name.size(), 1);
}

size_t ShortPathFloor(const std::wstring &plainPath) {
    size_t floor = 0, nameStart = 0;
    for (size_t at = 0; at <= plainPath.size(); ++at) {
        if (at < plainPath.size() && plainPath[at] != L'\\')
            continue;
        floor += ShortNameFloor(plainPath.substr(nameStart, at - nameStart)) + (at < plainPath.size());
        nameStart = at + 1;
    }
    return floor;
}

bool IsPlainAsciiName(const std::wstring &name) {
    for (wchar_t c : name)
        if (c < 0x20 || c > 0x7e)
            return false;
    return !name.empty() && name.back() != L'.' && name.back() != L' ';
}

} // namespace scanner
