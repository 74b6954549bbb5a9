#include "AboutFrm.h"

#include "DisplayDpi.h"
#include "DisplayScale.h"
#include "SystemErrorText.h"
#include "VersionText.h"
#include "WebAddresses.h"
#include "resource.h"

#include <algorithm>
#include <utility>

namespace window {

namespace {

constexpr int kClientWidth = 299;
constexpr int kClientHeight = 209;
constexpr int kMargin = 12;
constexpr int kOkWidth = 75;
constexpr int kOkHeight = 25;
constexpr COLORREF kLinkColour = RGB(0, 0, 255);
constexpr char kFontFace[] = "MS Sans Serif";

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

void Place(HWND control, int left, int top, int width, int height) {
    SetWindowPos(control, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE CaptionExtent(HWND dialog, int controlId, int wrapWidth = 0) {
    return brenvald::ControlCaptionExtent(GetDlgItem(dialog, controlId), wrapWidth);
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

// From top to bottom: the name with the version to its right, the rights
// notice, the separator, the web site and e-mail rows, the legal notice
// (broken into lines at the dialog's width) and OK at the bottom centre.
void TAboutForm::Layout(HWND dialog) const {
    const display::DisplayScale scale(brenvald::WindowDpi(dialog));
    const int margin = scale.Px(kMargin);
    const int line = brenvald::FontLineHeight(font_.get());
    const SIZE title = CaptionExtent(dialog, IDC_ABOUT_LABEL1);
    const int rowCaption = std::max<int>(CaptionExtent(dialog, IDC_ABOUT_WEBSITE).cx,
                                         CaptionExtent(dialog, IDC_ABOUT_EMAIL).cx) +
                           scale.Px(6);
    const int linkWidth = std::max<int>(CaptionExtent(dialog, IDC_ABOUT_LABEL6).cx,
                                        CaptionExtent(dialog, IDC_ABOUT_LABEL5).cx) +
                          scale.Px(2);
    const int rightsWidth = CaptionExtent(dialog, IDC_ABOUT_LABEL7).cx + scale.Px(2);
    const int width = std::max({scale.Px(kClientWidth), 2 * margin + rightsWidth,
                                2 * margin + rowCaption + linkWidth});
    const int inner = width - 2 * margin;

    int top = margin;
    Place(GetDlgItem(dialog, IDC_ABOUT_LABEL1), margin, top, title.cx + scale.Px(2), title.cy);
    const int versionLeft = margin + title.cx + scale.Px(10);
    Place(GetDlgItem(dialog, IDC_ABOUT_LABEL2), versionLeft, top + title.cy - line,
          width - margin - versionLeft, line);
    top += title.cy + scale.Px(8);
    Place(GetDlgItem(dialog, IDC_ABOUT_LABEL7), margin, top, inner, line);
    top += line + scale.Px(8);
    const int bevelHeight = std::max(2, scale.Px(2));
    Place(GetDlgItem(dialog, IDC_ABOUT_BEVEL), margin, top, inner, bevelHeight);
    top += bevelHeight + scale.Px(8);
    for (const auto &row : {std::make_pair(IDC_ABOUT_WEBSITE, IDC_ABOUT_LABEL6),
                            std::make_pair(IDC_ABOUT_EMAIL, IDC_ABOUT_LABEL5)}) {
        Place(GetDlgItem(dialog, row.first), margin, top, rowCaption, line);
        Place(GetDlgItem(dialog, row.second), margin + rowCaption, top, inner - rowCaption, line);
        top += line + scale.Px(6);
    }
    top += scale.Px(4);
    const int legalHeight = CaptionExtent(dialog, IDC_ABOUT_LABEL8, inner).cy;
    Place(GetDlgItem(dialog, IDC_ABOUT_LABEL8), margin, top, inner, legalHeight);
    top += legalHeight + scale.Px(12);

    const int okWidth = scale.Fitted(kOkWidth, CaptionExtent(dialog, IDC_ABOUT_BITBTN1).cx, 24);
    const int okHeight = scale.Fitted(kOkHeight, line, 10);
    const int height = std::max(scale.Px(kClientHeight), top + okHeight + margin);
    Place(GetDlgItem(dialog, IDC_ABOUT_BITBTN1), (width - okWidth) / 2, height - margin - okHeight,
          okWidth, okHeight);

    RECT frame;
    RECT client;
    GetWindowRect(dialog, &frame);
    GetClientRect(dialog, &client);
    SetWindowPos(dialog, nullptr, 0, 0, width + (frame.right - frame.left) - client.right,
                 height + (frame.bottom - frame.top) - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TAboutForm::MakeFonts(HWND dialog, int dpi) {
    font_ = brenvald::CreateScaledFont(kFontFace, 8, dpi, false);
    titleFont_ = brenvald::CreateScaledFont(kFontFace, 10, dpi, true);
    linkFont_ = brenvald::CreateScaledFont(kFontFace, 8, dpi, false, true);
    for (HWND control = GetWindow(dialog, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(control);
        HFONT font = id == IDC_ABOUT_LABEL1 ? titleFont_.get()
                     : IsLink(id)           ? linkFont_.get()
                                            : font_.get();
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void TAboutForm::DpiChanged(HWND dialog, int dpi, const RECT &suggested) {
    MakeFonts(dialog, dpi);
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(dialog);
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
        form->MakeFonts(dialog, brenvald::WindowDpi(dialog));
        SetDlgItemTextA(dialog, IDC_ABOUT_LABEL6, scanner::WebSiteAddress);
        SetDlgItemTextA(dialog, IDC_ABOUT_LABEL5, scanner::SupportMailAddress);
        form->Layout(dialog);
        brenvald::CentreOnMonitor(dialog, brenvald::MonitorArea::Whole);
        form->FormShow(dialog);
        return TRUE;
    }
    auto *form = reinterpret_cast<TAboutForm *>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!form)
        return FALSE;
    switch (message) {
    case WM_DPICHANGED:
        form->DpiChanged(dialog, HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return TRUE;
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
