// Scoped owners for Win32 handles: each closes its handle on every path and
// can be moved but not copied. A kind is a small traits struct naming its
// handle type, the value that means "none" and the call that closes it.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace brenvald {

template <typename Kind>
class ScopedHandle {
public:
    using Handle = typename Kind::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle &&other) noexcept : handle_(other.release()) {}
    ScopedHandle &operator=(ScopedHandle &&other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle &) = delete;
    ScopedHandle &operator=(const ScopedHandle &) = delete;

    bool valid() const { return Kind::Valid(handle_); }
    explicit operator bool() const { return valid(); }
    Handle get() const { return handle_; }
    // Gives the handle up without closing it.
    Handle release() {
        const Handle handle = handle_;
        handle_ = Kind::None();
        return handle;
    }
    // Closes the handle held, then holds the one given.
    void reset(Handle handle = Kind::None()) {
        if (valid())
            Kind::Close(handle_);
        handle_ = handle;
    }
    // For calls that hand a new handle out through a pointer; the one held
    // before is closed first.
    Handle *put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Kind::None();
};

// Kinds whose "none" is a null pointer.
template <typename HandleType, auto CloseCall>
struct NullIsNone {
    using Handle = HandleType;
    static Handle None() { return nullptr; }
    static bool Valid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { CloseCall(handle); }
};

// Files, tokens and other kernel objects: CreateFile gives
// INVALID_HANDLE_VALUE on failure, most other calls a null handle.
struct KernelObjectKind {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    static void Close(Handle handle) { CloseHandle(handle); }
};

struct FindKind {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle handle) { return handle != INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FindClose(handle); }
};

namespace detail {
inline void FreeLocal(void *memory) { LocalFree(memory); }
inline void FreeTaskMemory(void *memory) { CoTaskMemFree(memory); }
} // namespace detail

using FileHandle = ScopedHandle<KernelObjectKind>;
using FindHandle = ScopedHandle<FindKind>;
using RegistryKey = ScopedHandle<NullIsNone<HKEY, RegCloseKey>>;
using GlobalMemory = ScopedHandle<NullIsNone<HGLOBAL, GlobalFree>>;
using MenuHandle = ScopedHandle<NullIsNone<HMENU, DestroyMenu>>;
// Memory the system allocated for the caller to give back with LocalFree
// (FormatMessage's buffer, CommandLineToArgvW's list), by its own pointer type.
template <typename Pointer>
using LocalMemory = ScopedHandle<NullIsNone<Pointer, detail::FreeLocal>>;
// Memory the shell allocated for the caller to give back with CoTaskMemFree
// (the item list of a picked folder).
template <typename Pointer>
using TaskMemory = ScopedHandle<NullIsNone<Pointer, detail::FreeTaskMemory>>;

// Opens a file with CreateFileA; the handle is invalid when the open failed.
inline FileHandle OpenFile(const char *path, DWORD access, DWORD share,
                           DWORD disposition = OPEN_EXISTING,
                           DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    return FileHandle(CreateFileA(path, access, share, nullptr, disposition, attributes, nullptr));
}

// The clipboard, open while the object lives. Opening may fail while another
// program holds it; the caller decides whether to try again.
class ClipboardOpen {
public:
    ClipboardOpen() = default;
    ~ClipboardOpen() {
        if (open_)
            CloseClipboard();
    }
    ClipboardOpen(ClipboardOpen &&other) noexcept : open_(other.open_) { other.open_ = false; }
    ClipboardOpen &operator=(ClipboardOpen &&) = delete;
    ClipboardOpen(const ClipboardOpen &) = delete;
    ClipboardOpen &operator=(const ClipboardOpen &) = delete;

    // True when the clipboard is open, now or already.
    bool Open(HWND owner) {
        if (!open_)
            open_ = OpenClipboard(owner) != FALSE;
        return open_;
    }
    explicit operator bool() const { return open_; }

private:
    bool open_ = false;
};

} // namespace brenvald
