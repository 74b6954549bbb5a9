// Scoped owners for GDI objects, device contexts, icons and image lists, and
// an object selected into a device context for a scope.
#pragma once

#include "WinHandle.h"

#include <windows.h>
#include <commctrl.h>

namespace brenvald {

namespace detail {
inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DestroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }
} // namespace detail

// A bitmap, brush, font, pen or region: DeleteObject.
template <typename GdiHandle>
using GdiObject = ScopedHandle<NullIsNone<GdiHandle, detail::DeleteGdiObject>>;

// A device context made with CreateCompatibleDC or CreateDC: DeleteDC.
using MemoryDC = ScopedHandle<NullIsNone<HDC, DeleteDC>>;

// An icon or cursor loaded without LR_SHARED: DestroyIcon.
using IconHandle = ScopedHandle<NullIsNone<HICON, DestroyIcon>>;

// ImageList_Destroy comes from comctl32, which only the window links.
using ImageListHandle = ScopedHandle<NullIsNone<HIMAGELIST, detail::DestroyImageList>>;

// A window's device context (GetDC, the screen's for a null window), given
// back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDC(WindowDC &&other) noexcept : window_(other.window_), dc_(other.dc_) {
        other.dc_ = nullptr;
    }
    WindowDC &operator=(WindowDC &&) = delete;
    WindowDC(const WindowDC &) = delete;
    WindowDC &operator=(const WindowDC &) = delete;

    HDC get() const { return dc_; }
    bool valid() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context; the object it replaced is
// selected again when the scope ends. A null object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_)
            SelectObject(dc_, previous_);
    }
    SelectedObject(SelectedObject &&other) noexcept : dc_(other.dc_), previous_(other.previous_) {
        other.previous_ = nullptr;
    }
    SelectedObject &operator=(SelectedObject &&) = delete;
    SelectedObject(const SelectedObject &) = delete;
    SelectedObject &operator=(const SelectedObject &) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace brenvald
