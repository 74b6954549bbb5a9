#include "PointedPaths.h"

namespace scanner {

namespace {

wchar_t LowerAscii(wchar_t unit) { return unit >= L'A' && unit <= L'Z' ? unit + (L'a' - L'A') : unit; }

bool Fits(const std::wstring &path) { return !path.empty() && path.size() <= kMaxPointedPathLength; }

} // namespace

std::wstring EncodePointedPaths(const std::vector<std::wstring> &paths) {
    std::wstring body;
    std::size_t count = 0;
    for (const std::wstring &path : paths) {
        if (!Fits(path) || path.find(L'\0') != std::wstring::npos || count == kMaxPointedPaths)
            continue;
        body += path;
        body += L'\0';
        ++count;
    }
    return body;
}

// Units are copied out one by one: the message's memory need not be aligned.
std::vector<std::wstring> DecodePointedPaths(const void *data, std::size_t bytes) {
    constexpr std::size_t unitSize = 2;
    if (!data || bytes == 0 || bytes % unitSize != 0)
        return {};
    const auto *bytesIn = static_cast<const unsigned char *>(data);
    std::vector<std::wstring> paths;
    std::wstring path;
    for (std::size_t at = 0; at < bytes; at += unitSize) {
        const wchar_t unit = static_cast<wchar_t>(bytesIn[at] | (bytesIn[at + 1] << 8));
        if (unit != L'\0') {
            path += unit;
            if (path.size() > kMaxPointedPathLength)
                return {};
            continue;
        }
        if (path.empty())
            return {};
        paths.push_back(path);
        path.clear();
        if (paths.size() > kMaxPointedPaths)
            return {};
    }
    if (!path.empty())
        return {}; // no closing zero unit: cut short
    return paths;
}

bool IsPointablePath(const std::wstring &fullPath) {
    const auto isLetter = [](wchar_t unit) {
        return (unit >= L'A' && unit <= L'Z') || (unit >= L'a' && unit <= L'z');
    };
    const auto onDrive = [&](const std::wstring &path) {
        return path.size() >= 3 && isLetter(path[0]) && path[1] == L':' && path[2] == L'\\';
    };
    const std::wstring longForm = L"\\\\?\\";
    if (fullPath.compare(0, longForm.size(), longForm) == 0) {
        const std::wstring rest = fullPath.substr(longForm.size());
        return onDrive(rest) || (rest.size() > 4 && SamePointedRoot(rest.substr(0, 4), L"UNC\\"));
    }
    if (onDrive(fullPath))
        return true;
    // A share: two backslashes, then a server name that is not "." or "?".
    return fullPath.size() > 2 && fullPath.compare(0, 2, L"\\\\") == 0 && fullPath[2] != L'.' &&
           fullPath[2] != L'?' && fullPath[2] != L'\\';
}

std::wstring PointedScanRoot(const std::wstring &fullPath, bool isFolder) {
    std::wstring root = fullPath;
    if (!isFolder)
        return root;
    while (root.size() > 1 && (root.back() == L'\\' || root.back() == L'/'))
        root.pop_back();
    return root + L'\\';
}

bool SamePointedRoot(const std::wstring &left, const std::wstring &right) {
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i)
        if (LowerAscii(left[i]) != LowerAscii(right[i]))
            return false;
    return true;
}

std::vector<std::wstring> NewPointedRoots(const std::vector<std::wstring> &existing,
                                          const std::vector<std::wstring> &pointed) {
    std::vector<std::wstring> known = existing;
    std::vector<std::wstring> added;
    for (const std::wstring &root : pointed) {
        bool seen = false;
        for (const std::wstring &other : known)
            seen = seen || SamePointedRoot(root, other);
        if (seen || root.empty())
            continue;
        known.push_back(root);
        added.push_back(root);
    }
    return added;
}

std::wstring InstanceLockName(const std::wstring &userSid) {
    return L"Local\\Brenvald.Scanner." + userSid;
}

} // namespace scanner
