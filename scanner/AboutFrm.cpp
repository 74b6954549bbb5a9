#include "AboutFrm.h"

#include "SystemErrorText.h"
#include "VersionText.h"
#include "WebAddresses.h"
#include "resource.h"

namespace window {

namespace {

constexpr int kClientWidth = 299;
constexpr int kClientHeight = 209;
constexpr COLORREF kLinkColour = RGB(0, 0, 255);

std::string SystemReason(DWORD error) {
    return brenvald::SystemErrorTextUtf8(error).value_or("I/O error " + std::to_string(error));
}

// The first bytes of a file (wide path, UTF-8 name for the error), enough
// for its first line; false with the error text when the file cannot be
// opened or read.
bool ReadHead(const std::wstring &path, const std::string &shownPath, std::string &content,
              std::string &error) {
    brenvald::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        error = "Cannot open file \"" + shownPath + "\". " + SystemReason(GetLastError());
        return false;
    }
    char buffer[4096];
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
        error = "Cannot read file \"" + shownPath + "\". " + SystemReason(GetLastError());
        return false;
    }
    content.assign(buffer, read);
    return true;
}

brenvald::GdiObject<HFONT> DerivedFont(HWND dialog, int pointSize, bool bold, bool underline) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    if (pointSize) {
        const brenvald::WindowDC screen(nullptr);
        font.lfHeight = -MulDiv(pointSize, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
        font.lfWidth = 0;
    }
    if (bold)
        font.lfWeight = FW_BOLD;
    font.lfUnderline = underline ? TRUE : FALSE;
    return brenvald::GdiObject<HFONT>(CreateFontIndirectA(&font));
}

bool IsLink(int controlId) {
    return controlId == IDC_ABOUT_LABEL5 || controlId == IDC_ABOUT_LABEL6;
}

} // namespace

TAboutForm::TAboutForm(scanner::TProgramFolder programFolder, scanner::IPrompts &prompts)
    : programFolder_(std::move(programFolder)), prompts_(prompts) {}

void TAboutForm::ShowModal(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTFORM), owner,
                    DialogProc, reinterpret_cast<LPARAM>(this));
}

// Every showing: Label2 becomes "Version " + the first line of ver.ini. When
// the file cannot be read the error is reported, Label2 keeps its last text
// and the dialog opens all the same.
void TAboutForm::FormShow(HWND dialog) {
    std::string content;
    std::string error;
    if (ReadHead(programFolder_.Wide + L"ver.ini", programFolder_.Shown + "ver.ini", content, error))
        versionText_ = VersionCaption(content);
    else
        prompts_.ErrorReport(error);
    SetDlgItemTextA(dialog, IDC_ABOUT_LABEL2, versionText_.c_str());
}

void TAboutForm::SetClientSize(HWND dialog) const {
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
}

// Dialog units come to different pixels with different fonts: the texts that
// span the dialog end at the same margin as they start, and OK sits at the
// bottom centre of the 299 x 209 client area.
void TAboutForm::FitControls(HWND dialog) const {
    auto placeOf = [dialog](int controlId) {
        RECT place;
        GetWindowRect(GetDlgItem(dialog, controlId), &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&place), 2);
        return place;
    };
    const int margin = placeOf(IDC_ABOUT_LABEL7).left;
    for (int controlId : {IDC_ABOUT_LABEL7, IDC_ABOUT_BEVEL, IDC_ABOUT_LABEL8, IDC_ABOUT_LABEL6,
                          IDC_ABOUT_LABEL5, IDC_ABOUT_LABEL2}) {
        const RECT place = placeOf(controlId);
        SetWindowPos(GetDlgItem(dialog, controlId), nullptr, 0, 0,
                     kClientWidth - margin - place.left, place.bottom - place.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    const RECT ok = placeOf(IDC_ABOUT_BITBTN1);
    const int width = ok.right - ok.left;
    const int height = ok.bottom - ok.top;
    SetWindowPos(GetDlgItem(dialog, IDC_ABOUT_BITBTN1), nullptr, (kClientWidth - width) / 2,
                 kClientHeight - margin - height, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void TAboutForm::MakeFonts(HWND dialog) {
    if (!titleFont_)
        titleFont_ = DerivedFont(dialog, 10, true, false);
    if (!linkFont_)
        linkFont_ = DerivedFont(dialog, 0, false, true);
    SendDlgItemMessageA(dialog, IDC_ABOUT_LABEL1, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), 0);
    SendDlgItemMessageA(dialog, IDC_ABOUT_LABEL5, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), 0);
    SendDlgItemMessageA(dialog, IDC_ABOUT_LABEL6, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), 0);
}

void TAboutForm::Label6Click() { prompts_.OpenAddress(scanner::WebSiteAddress, false); }

void TAboutForm::Label5Click() { prompts_.OpenAddress(scanner::SupportMailLink, false); }

bool TAboutForm::Command(HWND dialog, int controlId, int notification) {
    if (controlId == IDC_ABOUT_BITBTN1 || controlId == IDCANCEL) {
        EndDialog(dialog, controlId);
        return true;
    }
    if (notification != STN_CLICKED)
        return false;
    if (controlId == IDC_ABOUT_LABEL6)
        Label6Click();
    else if (controlId == IDC_ABOUT_LABEL5)
        Label5Click();
    else
        return false;
    return true;
}

INT_PTR TAboutForm::ColourLabel(HWND label, HDC dc) const {
    if (!IsLink(GetDlgCtrlID(label)))
        return FALSE;
    SetTextColor(dc, kLinkColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

bool TAboutForm::SetLinkCursor(HWND control) const {
    if (!control || !IsLink(GetDlgCtrlID(control)))
        return false;
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    return true;
}

INT_PTR CALLBACK TAboutForm::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto *form = reinterpret_cast<TAboutForm *>(lParam);
        form->MakeFonts(dialog);
        SetDlgItemTextA(dialog, IDC_ABOUT_LABEL6, scanner::WebSiteAddress);
        SetDlgItemTextA(dialog, IDC_ABOUT_LABEL5, scanner::SupportMailAddress);
        form->SetClientSize(dialog);
        form->FitControls(dialog);
        form->FormShow(dialog);
        return TRUE;
    }
    auto *form = reinterpret_cast<TAboutForm *>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!form)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return form->Command(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_CTLCOLORSTATIC:
        return form->ColourLabel(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    case WM_SETCURSOR:
        if (form->SetLinkCursor(reinterpret_cast<HWND>(wParam))) {
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace window
