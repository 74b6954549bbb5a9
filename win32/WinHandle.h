// Owning wrappers for Win32 handles, closed on every path.
#pragma once

#include <windows.h>

namespace brenvald {

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { reset(); }
    FileHandle(FileHandle &&other) noexcept : handle_(other.release()) {}
    FileHandle &operator=(FileHandle &&other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.release();
        }
        return *this;
    }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }
    void reset() {
        if (valid())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Opens a file with CreateFileA; the handle is invalid when the open failed.
inline FileHandle OpenFile(const char *path, DWORD access, DWORD share,
                           DWORD disposition = OPEN_EXISTING,
                           DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    return FileHandle(CreateFileA(path, access, share, nullptr, disposition, attributes, nullptr));
}

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (valid())
            FindClose(handle_);
    }
    FindHandle(const FindHandle &) = delete;
    FindHandle &operator=(const FindHandle &) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

} // namespace brenvald
