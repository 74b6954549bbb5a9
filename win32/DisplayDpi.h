// The DPI a window is shown at, fonts made for it, and the room a control's
// text takes in the control's own font.
#pragma once

#include "GdiHandle.h"

#include <windows.h>

#include <string>

namespace brenvald {

// GetDpiForWindow where the system has it (Windows 10 1607 and later),
// else the screen's logical DPI, which older systems use for every window.
int WindowDpi(HWND window);

// Moves the window, keeping its size, to the centre of its monitor: of the
// whole monitor, or of the monitor's work area (without the task bar).
enum class MonitorArea { Whole, Work };
void CentreOnMonitor(HWND window, MonitorArea area);

// A font of the face and point size for this DPI.
GdiObject<HFONT> CreateScaledFont(const char *face, int points, int dpi, bool bold,
                                  bool underline = false);

// The height of a line of text in the font (its cell height).
int FontLineHeight(HFONT font);

// The extent of the text in the control's font (WM_GETFONT); a prefix
// ampersand takes no room, a doubled one shows as one. With a wrap width
// the text breaks into lines at words, and the height is theirs together.
SIZE ControlTextExtent(HWND control, const std::string &text, int wrapWidth = 0);
// The same for the control's own caption.
SIZE ControlCaptionExtent(HWND control, int wrapWidth = 0);

} // namespace brenvald
