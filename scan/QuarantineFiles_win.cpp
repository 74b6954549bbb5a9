#include "QuarantineFiles_win.h"

#include "FolderPaths.h"

#include "SystemErrorText.h"
#include "TextConversion.h"
#include "WinHandle.h"

#include <windows.h>

#include <chrono>
#include <string>

namespace scanner {

namespace {

bool IsDriveRoot(const std::wstring &path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// A full path that the "\\?\" form reaches unchanged: from a drive or a
// server, single backslashes only, no "." or ".." part to resolve.
bool TakesLongForm(const std::wstring &path) {
    if (path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\\\.\\") == 0)
        return false;
    if (!IsDriveRoot(path) && path.compare(0, 2, L"\\\\") != 0)
        return false;
    if (path.find(L'/') != std::wstring::npos || path.find(L"\\\\", 2) != std::wstring::npos)
        return false;
    const std::wstring padded = path + L"\\";
    return padded.find(L"\\.\\") == std::wstring::npos && padded.find(L"\\..\\") == std::wstring::npos;
}

// The wide path of the file calls. A full path takes the "\\?\" form, so
// that paths beyond 260 characters and names ending in a dot or blank are
// reached as they are; any other (an old index may hold a relative path or
// "/") stays for the system to complete, as the ANSI calls did.
bool WidePath(const std::string &utf8, std::wstring &wide) {
    if (!brenvald::WideFromUtf8Exactly(utf8, wide) || wide.empty())
        return false;
    if (TakesLongForm(wide))
        wide = LongPathForm(wide);
    return true;
}

FileResult Failure(DWORD code) { return FileResult::Failure(SystemMessage(code)); }

FileResult LastError() { return Failure(GetLastError()); }

FileResult Checked(BOOL done) { return done ? FileResult::Success() : LastError(); }

// A path that is not UTF-8 names no file.
FileResult NotAPath() { return Failure(ERROR_INVALID_NAME); }

brenvald::FileHandle OpenWide(const std::wstring &path, DWORD access, DWORD share,
                              DWORD disposition) {
    return brenvald::FileHandle(CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(HANDLE file, const std::string &text) {
    std::size_t written = 0;
    while (written < text.size()) {
        DWORD chunk = 0;
        DWORD wanted = static_cast<DWORD>(text.size() - written);
        if (!WriteFile(file, text.data() + written, wanted, &chunk, nullptr) || chunk == 0)
            return false;
        written += chunk;
    }
    return true;
}

} // namespace

// Blanks before the line end go too.
std::string SystemMessage(unsigned long code) {
    return brenvald::SystemErrorTextUtf8(code, "\r\n ").value_or("System error " + std::to_string(code));
}

std::string Win32AnsiCodePage::Utf8FromAnsi(const std::string &ansi) const {
    return brenvald::Utf8FromAnsi(ansi);
}

// A UTF-8 code page spells every text, and its bytes are the UTF-8 already.
bool Win32AnsiCodePage::ExactAnsiFromUtf8(const std::string &utf8, std::string &ansi) const {
    std::wstring wide;
    if (!brenvald::WideFromUtf8Exactly(utf8, wide))
        return false;
    if (wide.empty() || GetACP() == CP_UTF8) {
        ansi = utf8;
        return true;
    }
    bool inexact = false;
    const std::string spelled = brenvald::AnsiFromWideNoBestFit(wide, inexact);
    if (inexact)
        return false;
    ansi = spelled;
    return Utf8FromAnsi(ansi) == utf8;
}

bool Win32QuarantineFiles::Exists(const std::string &path) {
    std::wstring wide;
    return WidePath(path, wide) && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

QuarantineEntry Win32QuarantineFiles::FindEntry(const std::string &path) {
    QuarantineEntry entry;
    std::wstring wide;
    if (!WidePath(path, wide)) {
        entry.error = NotAPath().error;
        return entry;
    }
    WIN32_FIND_DATAW found;
    brenvald::FindHandle search(FindFirstFileW(wide.c_str(), &found));
    if (!search.valid()) {
        entry.error = SystemMessage(GetLastError());
        return entry;
    }
    entry.kind = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder
                                                                      : EntryKind::File;
    entry.name = brenvald::Utf8FromWide(found.cFileName);
    return entry;
}

FileResult Win32QuarantineFiles::CreateFolder(const std::string &path) {
    std::wstring wide;
    if (!WidePath(path, wide))
        return NotAPath();
    return Checked(CreateDirectoryW(wide.c_str(), nullptr));
}

FileResult Win32QuarantineFiles::Move(const std::string &from, const std::string &to) {
    std::wstring wideFrom, wideTo;
    if (!WidePath(from, wideFrom) || !WidePath(to, wideTo))
        return NotAPath();
    return Checked(MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_COPY_ALLOWED));
}

FileResult Win32QuarantineFiles::Delete(const std::string &path) {
    std::wstring wide;
    if (!WidePath(path, wide))
        return NotAPath();
    return Checked(DeleteFileW(wide.c_str()));
}

IndexContent Win32QuarantineFiles::ReadIndex(const std::string &path) {
    IndexContent content;
    std::wstring wide;
    if (!WidePath(path, wide)) {
        content.state = IndexState::Unreadable;
        content.error = NotAPath().error;
        return content;
    }
    brenvald::FileHandle file = OpenWide(wide, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (!file.valid()) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            content.state = IndexState::Missing;
        } else {
            content.state = IndexState::Unreadable;
            content.error = SystemMessage(code);
        }
        return content;
    }
    std::string bytes;
    char block[8192];
    DWORD got = 0;
    while (true) {
        if (!ReadFile(file.get(), block, sizeof block, &got, nullptr)) {
            content.state = IndexState::Unreadable;
            content.error = SystemMessage(GetLastError());
            return content;
        }
        if (got == 0)
            break;
        bytes.append(block, got);
    }
    content.state = IndexState::Read;
    content.text = DecodeIndexText(bytes, codePage_);
    return content;
}

FileResult Win32QuarantineFiles::WriteTempIndex(const std::string &path, const std::string &text) {
    std::wstring wide;
    if (!WidePath(path, wide))
        return NotAPath();
    FileResult result;
    {
        brenvald::FileHandle file = OpenWide(wide, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (!file.valid())
            return LastError();
        result = Checked(WriteAll(file.get(), EncodeIndexText(text, codePage_)) &&
                         FlushFileBuffers(file.get()));
    }
    if (!result.ok)
        DeleteFileW(wide.c_str());
    return result;
}

FileResult Win32QuarantineFiles::ReplaceIndex(const std::string &tempPath,
                                              const std::string &indexPath) {
    std::wstring wideTemp, wideIndex;
    if (!WidePath(tempPath, wideTemp) || !WidePath(indexPath, wideIndex))
        return NotAPath();
    return Checked(MoveFileExW(wideTemp.c_str(), wideIndex.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

SeededNameDraw::SeededNameDraw() {
    std::random_device entropy;
    auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{entropy(), static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32),
                       static_cast<uint32_t>(GetCurrentProcessId())};
    engine_.seed(seed);
}

uint32_t SeededNameDraw::Draw() { return numbers_(engine_); }

LocalTime SystemClock::Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
}

std::string SystemClock::TimeSeparator() {
    wchar_t separator[8] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, 8);
    if (length <= 1)
        return ":";
    return brenvald::Utf8FromWide(std::wstring(separator, length - 1));
}

} // namespace scanner
