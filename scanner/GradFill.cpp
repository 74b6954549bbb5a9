#include "GradFill.h"

#include "GdiHandle.h"

namespace window {

namespace {

constexpr char kClassName[] = "TGradientFill";

gradient::Rgb ToRgb(COLORREF colour) {
    return gradient::Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

// Panels pass what their children tell them on to the window that owns the
// page, which decides colours and handles the commands.
bool ForwardsToOwner(UINT message) {
    return message == WM_COMMAND || message == WM_NOTIFY || message == WM_CTLCOLORSTATIC ||
           message == WM_CTLCOLORBTN;
}

} // namespace

void TGradientFill::Register(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
}

TGradientFill *TGradientFill::Create(HWND parent, int controlId, int left, int top, int width,
                                     int height) {
    HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                  left, top, width,
                                  height, parent, reinterpret_cast<HMENU>(INT_PTR(controlId)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window)
        return nullptr;
    auto *strip = new TGradientFill(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(strip));
    return strip;
}

void TGradientFill::SetBeginColor(COLORREF colour) {
    if (colour == beginColor_)
        return;
    beginColor_ = colour;
    Repaint();
}

void TGradientFill::SetEndColor(COLORREF colour) {
    if (colour == endColor_)
        return;
    endColor_ = colour;
    Repaint();
}

void TGradientFill::SetNumberOfColors(unsigned char count) {
    if (count == numberOfColors_)
        return;
    numberOfColors_ = count;
    Repaint();
}

void TGradientFill::SetFillDirection(gradient::TFillDirection direction) {
    if (direction == fillDirection_)
        return;
    fillDirection_ = direction;
    Repaint();
}

// Paints the part of the strip at (left, top) of the given size into a
// memory bitmap first and copies it in one go, so the strip never flickers
// (the control is double-buffered). Where the bands leave the strip
// uncovered (no bands at all) the panel's black shows.
void TGradientFill::Paint(HDC target, int left, int top, int width, int height) const {
    RECT client;
    GetClientRect(window_, &client);
    // Torn down in reverse: the bitmap is put out of the DC before either goes.
    const brenvald::MemoryDC memory(CreateCompatibleDC(target));
    const brenvald::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(target, width, height));
    const brenvald::SelectedObject selected(memory.get(), bitmap.get());
    RECT whole{0, 0, width, height};
    FillRect(memory.get(), &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    for (const gradient::Band &band :
         gradient::GradientBands(ToRgb(beginColor_), ToRgb(endColor_), numberOfColors_,
                                 fillDirection_, client.right, client.bottom)) {
        RECT area{band.left - left, band.top - top, band.right - left, band.bottom - top};
        const brenvald::GdiObject<HBRUSH> brush(
            CreateSolidBrush(RGB(band.colour.red, band.colour.green, band.colour.blue)));
        FillRect(memory.get(), &area, brush.get());
    }
    BitBlt(target, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

// A label on the strip (an owner-drawn static) shows the gradient through:
// the strip paints its own part under the label, the owner sets the text
// colour as for any label, and the text goes on top without a background.
void TGradientFill::DrawLabel(const DRAWITEMSTRUCT &item) const {
    RECT place;
    GetWindowRect(item.hwndItem, &place);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT *>(&place), 2);
    Paint(item.hDC, place.left, place.top, place.right - place.left, place.bottom - place.top);
    SendMessageA(GetParent(window_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(item.hDC),
                 reinterpret_cast<LPARAM>(item.hwndItem));
    SetBkMode(item.hDC, TRANSPARENT);
    char text[256];
    GetWindowTextA(item.hwndItem, text, sizeof text);
    // The label's font, when it has one, for the drawing only.
    const brenvald::SelectedObject font(
        item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    RECT area = item.rcItem;
    DrawTextA(item.hDC, text, -1, &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK TGradientFill::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto *strip = reinterpret_cast<TGradientFill *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC target = BeginPaint(window, &paint);
        if (strip) {
            RECT client;
            GetClientRect(window, &client);
            strip->Paint(target, 0, 0, client.right, client.bottom);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DRAWITEM: {
        const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (strip && item.CtlType == ODT_STATIC) {
            strip->DrawLabel(item);
            return TRUE;
        }
        break;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete strip;
        break;
    default:
        if (ForwardsToOwner(message))
            return SendMessageA(GetParent(window), message, wParam, lParam);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace window
