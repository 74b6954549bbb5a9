#include "FileStream.h"

#include "SystemErrorText.h"

#include <climits>

namespace kernel {

size_t THandleStream::Read(void *buffer, size_t count) {
    DWORD got = 0;
    if (!ReadFile(file_.get(), buffer, static_cast<DWORD>(count), &got, nullptr))
        throw EReadError("Stream read error");
    position_ += got;
    return got;
}

size_t THandleStream::Write(const void *buffer, size_t count) {
    DWORD written = 0;
    if (!WriteFile(file_.get(), buffer, static_cast<DWORD>(count), &written, nullptr))
        return 0;
    position_ += written;
    return written;
}

int64_t THandleStream::Seek(int64_t offset, SeekOrigin origin) {
    if (origin == SeekOrigin::Current && offset == 0)
        return position_;
    static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER distance, moved;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(file_.get(), distance, &moved, kMethods[static_cast<int>(origin)]))
        return position_;
    position_ = moved.QuadPart;
    return position_;
}

std::string FullPath(const std::string &path) {
    char full[MAX_PATH * 4];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full)
        return path;
    return std::string(full, length);
}

// Blanks before the line end go too, and a code the system has no text for
// is named by its number.
std::string SystemErrorText(unsigned long code) {
    const std::string message = brenvald::SystemErrorTextAnsi(code, "\r\n ").value_or("");
    return message.empty() ? "System error " + std::to_string(code) : message;
}

EFCreateError CreateError(const std::string &path, unsigned long code) {
    return EFCreateError("Cannot create file \"" + FullPath(path) + "\". " + SystemErrorText(code));
}

THandleStream OpenFileForReading(const std::string &path) {
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ);
    if (!file.valid()) {
        DWORD code = GetLastError();
        throw EFOpenError("Cannot open file \"" + FullPath(path) + "\". " + SystemErrorText(code));
    }
    return THandleStream(std::move(file));
}

THandleStream CreateNewFile(const std::string &path, const std::string &displayPath) {
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    if (!file.valid())
        throw CreateError(displayPath, GetLastError());
    return THandleStream(std::move(file));
}

} // namespace kernel
