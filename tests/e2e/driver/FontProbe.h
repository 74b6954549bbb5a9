// Which font a control of another process has. Wine does not answer
// WM_GETFONT sent from another process, and a font handle means nothing
// outside the process that made it; so the question is asked inside the
// program: a window hook loads e2e_font_probe.dll there, and the probe
// writes the control's font description into a shared section.
#pragma once

#include <windows.h>

namespace e2e {

constexpr const wchar_t *kFontProbeMessage = L"Brenvald.E2E.FontProbe";
constexpr const wchar_t *kFontProbeSection = L"Local\\Brenvald.E2E.FontProbe";

struct FontProbeAnswer {
    BOOL answered; // the probe ran inside the program
    BOOL hasFont;  // the control had a font set by the program
    LOGFONTW font;
};

// Asks the probe inside the control's process; answered stays FALSE when
// the hook could not be set or the probe did not run.
FontProbeAnswer AskControlFont(HWND control);

} // namespace e2e
