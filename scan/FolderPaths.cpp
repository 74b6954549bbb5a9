// The path rules of the walk that need no system call: joining names to
// folders within the ANSI limit, and the "\\?\" form of wide paths.
#include "FolderPaths.h"

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

bool IsPlainAsciiName(const std::wstring &name) {
    for (wchar_t c : name)
        if (c < 0x20 || c > 0x7e)
            return false;
    return !name.empty() && name.back() != L'.' && name.back() != L' ';
}

} // namespace scanner
