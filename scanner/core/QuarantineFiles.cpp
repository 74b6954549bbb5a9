#include "QuarantineFiles.h"

#include <brenvald/WinHandle.h>

#include <windows.h>

#include <chrono>

namespace scanner {

std::string SystemMessage(unsigned long code) {
    char *buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char *>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : "System error " + std::to_string(code);
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

static FileResult LastError() { return FileResult::Failure(SystemMessage(GetLastError())); }

static FileResult Checked(BOOL done) { return done ? FileResult::Success() : LastError(); }

bool Win32QuarantineFiles::Exists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

QuarantineEntry Win32QuarantineFiles::FindEntry(const std::string &path) {
    QuarantineEntry entry;
    WIN32_FIND_DATAA found;
    brenvald::FindHandle search(FindFirstFileA(path.c_str(), &found));
    if (!search.valid()) {
        entry.error = SystemMessage(GetLastError());
        return entry;
    }
    entry.kind = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder
                                                                      : EntryKind::File;
    entry.name = found.cFileName;
    return entry;
}

FileResult Win32QuarantineFiles::CreateFolder(const std::string &path) {
    return Checked(CreateDirectoryA(path.c_str(), nullptr));
}

FileResult Win32QuarantineFiles::Move(const std::string &from, const std::string &to) {
    return Checked(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED));
}

FileResult Win32QuarantineFiles::Delete(const std::string &path) {
    return Checked(DeleteFileA(path.c_str()));
}

IndexContent Win32QuarantineFiles::ReadIndex(const std::string &path) {
    IndexContent content;
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ);
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
    char block[8192];
    DWORD got = 0;
    while (true) {
        if (!ReadFile(file.get(), block, sizeof block, &got, nullptr)) {
            content.state = IndexState::Unreadable;
            content.error = SystemMessage(GetLastError());
            content.text.clear();
            return content;
        }
        if (got == 0)
            break;
        content.text.append(block, got);
    }
    content.state = IndexState::Read;
    return content;
}

static bool WriteAll(HANDLE file, const std::string &text) {
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

FileResult Win32QuarantineFiles::WriteTempIndex(const std::string &path, const std::string &text) {
    FileResult result;
    {
        brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (!file.valid())
            return LastError();
        result = Checked(WriteAll(file.get(), text) && FlushFileBuffers(file.get()));
    }
    if (!result.ok)
        DeleteFileA(path.c_str());
    return result;
}

FileResult Win32QuarantineFiles::ReplaceIndex(const std::string &tempPath,
                                              const std::string &indexPath) {
    return Checked(MoveFileExA(tempPath.c_str(), indexPath.c_str(),
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
    char separator[8] = {};
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, sizeof separator))
        return ":";
    return separator;
}

} // namespace scanner
