// TAboutForm: the modal About dialog (template IDD_ABOUTFORM). Every showing
// reads the version line from ver.ini; the web site and e-mail address are
// links.
#pragma once

#include "GdiHandle.h"
#include "ProgramFolder.h"
#include "ScanHost.h"

#include <windows.h>

#include <string>

namespace window {

class TAboutForm {
public:
    // ver.ini is read from the program folder by its wide path; errors go
    // to the prompts' report, naming the file by its real name.
    TAboutForm(scanner::TProgramFolder programFolder, scanner::IPrompts &prompts);
    TAboutForm(const TAboutForm &) = delete;
    TAboutForm &operator=(const TAboutForm &) = delete;

    // Shows the dialog modally over the owner until OK closes it.
    void ShowModal(HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void FormShow(HWND dialog);
    // Places every control for the dialog's DPI and the texts it shows, and
    // sizes the dialog around them (the 299 x 209 design, or more).
    void Layout(HWND dialog) const;
    // The dialog's fonts for a DPI, given to its controls.
    void MakeFonts(HWND dialog, int dpi);
    void DpiChanged(HWND dialog, int dpi, const RECT &suggested);
    bool Command(HWND dialog, int controlId, int notification);
    INT_PTR ColourLabel(HWND label, HDC dc) const;
    bool SetLinkCursor(HWND control) const;
    void Label6Click();
    void Label5Click();

    scanner::TProgramFolder programFolder_;
    scanner::IPrompts &prompts_;
    // Label2's text: kept between showings, so a failed read leaves the last one.
    std::string versionText_;
    brenvald::GdiObject<HFONT> font_;
    brenvald::GdiObject<HFONT> titleFont_;
    brenvald::GdiObject<HFONT> linkFont_;
};

} // namespace window
