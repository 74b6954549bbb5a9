// TGradientFill: a panel that paints itself as a stepped colour gradient and
// can hold child controls (the page headings sit on it); an owner-drawn
// static on it shows as text straight on the gradient. Its bands come from
// GradientBands; this unit only registers the window class and paints.
#pragma once

#include "GradientBands.h"

#include <windows.h>

namespace window {

class TGradientFill {
public:
    // Registers the window class once; call before the first Create.
    static void Register(HINSTANCE instance);
    // A new strip: 105 x 105 pixels at (0, 0) unless given, blue to black in
    // 64 bands from top to bottom.
    static TGradientFill *Create(HWND parent, int controlId, int left = 0, int top = 0,
                                 int width = 105, int height = 105);

    HWND Handle() const { return window_; }

    COLORREF BeginColor() const { return beginColor_; }
    COLORREF EndColor() const { return endColor_; }
    unsigned char NumberOfColors() const { return numberOfColors_; }
    gradient::TFillDirection FillDirection() const { return fillDirection_; }

    // Each setter stores a changed value and repaints the strip.
    void SetBeginColor(COLORREF colour);
    void SetEndColor(COLORREF colour);
    void SetNumberOfColors(unsigned char count);
    void SetFillDirection(gradient::TFillDirection direction);

private:
    explicit TGradientFill(HWND window) : window_(window) {}
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC target, int left, int top, int width, int height) const;
    void DrawLabel(const DRAWITEMSTRUCT &item) const;
    void Repaint() const { InvalidateRect(window_, nullptr, TRUE); }

    HWND window_;
    COLORREF beginColor_ = RGB(0, 0, 255);
    COLORREF endColor_ = RGB(0, 0, 0);
    unsigned char numberOfColors_ = 64;
    gradient::TFillDirection fillDirection_ = gradient::TFillDirection::fdTopToBottom;
};

} // namespace window
