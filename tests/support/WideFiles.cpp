#include "WideFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace testsupport {

namespace {

// A path that the "\\?\" form reaches unchanged: from a drive, with no "/".
bool IsFullDrivePath(const std::wstring &path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
           path.find(L'/') == std::wstring::npos;
}

// RAII for the file handles of these helpers.
struct TWideFile {
    explicit TWideFile(HANDLE handle) : Handle(handle) {}
    ~TWideFile() {
        if (Handle != INVALID_HANDLE_VALUE)
            CloseHandle(Handle);
    }
    TWideFile(const TWideFile &) = delete;
    TWideFile &operator=(const TWideFile &) = delete;
    bool Valid() const { return Handle != INVALID_HANDLE_VALUE; }
    HANDLE Handle;
};

} // namespace

std::wstring WideFrom(const std::string &text, unsigned codePage) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(codePage, 0, text.data(), size,
                                                              nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], static_cast<int>(wide.size()));
    return wide;
}

std::wstring LongForm(const std::string &utf8Path) {
    const std::wstring wide = WideFrom(utf8Path, CP_UTF8);
    return IsFullDrivePath(wide) ? L"\\\\?\\" + wide : wide;
}

std::wstring LongFormOfAnsi(const std::string &ansiPath) {
    const std::wstring wide = WideFrom(ansiPath, CP_ACP);
    return IsFullDrivePath(wide) ? L"\\\\?\\" + wide : wide;
}

void MakeWideFolder(const std::string &utf8Path) {
    const std::wstring wide = LongForm(utf8Path);
    // Every level from the drive down; those that exist stay.
    for (size_t end = wide.find(L'\\', 7); ; end = wide.find(L'\\', end + 1)) {
        const std::wstring level = wide.substr(0, end);
        if (!CreateDirectoryW(level.c_str(), nullptr)) {
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << utf8Path;
        }
        if (end == std::wstring::npos || end + 1 == wide.size())
            return;
    }
}

void WriteWideFile(const std::string &utf8Path, const std::string &content) {
    TWideFile file(CreateFileW(LongForm(utf8Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.Valid()) << utf8Path << ": " << GetLastError();
    DWORD written = 0;
    WriteFile(file.Handle, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ASSERT_EQ(written, content.size()) << utf8Path;
}

std::string ReadWideFile(const std::string &utf8Path) {
    TWideFile file(CreateFileW(LongForm(utf8Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    if (!file.Valid())
        return "<missing>";
    std::string content;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file.Handle, block, sizeof block, &got, nullptr) && got > 0)
        content.append(block, got);
    return content;
}

bool WideExists(const std::string &utf8Path) {
    return GetFileAttributesW(LongForm(utf8Path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CopyToWidePath(const std::string &ansiFrom, const std::string &utf8To) {
    ASSERT_TRUE(CopyFileW(WideFrom(ansiFrom, CP_ACP).c_str(), LongForm(utf8To).c_str(), TRUE))
        << ansiFrom << " to " << utf8To << ": " << GetLastError();
}

void RemoveWideTree(const std::wstring &given) {
    // A long-form path is taken as it stands: a trailing backslash would
    // double in the names below it.
    std::wstring path = given;
    while (path.size() > 1 && path.back() == L'\\')
        path.pop_back();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!DeleteFileW(path.c_str()))
            RemoveDirectoryW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..")
                RemoveWideTree(path + L"\\" + name);
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace testsupport
