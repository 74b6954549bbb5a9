// The main window's layout: left panel, page control with five pages, their
// heading strips, lists, counters and buttons. Positions are in pixels of
// the 534 x 334 client area.
#include "MainFrm.h"

#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace window {

namespace {

constexpr int kLeftPanelWidth = 115;
constexpr int kButtonWidth = 98;
constexpr int kButtonHeight = 27;
// The narrowest page button; a wider caption widens its button (see
// FitButtonRow).
constexpr int kPageButtonWidth = 112;
// A glyph button's content: the 16-pixel glyph with its margins (as given to
// BCM_SETIMAGELIST), the caption, and room for the themed border and focus
// rectangle on both sides.
constexpr int kGlyphSize = 16;
constexpr int kGlyphMarginLeft = 6;
constexpr int kGlyphMarginRight = 2;
constexpr int kCaptionPadding = 16;
constexpr int kPageLeft = 119;
constexpr int kPageTop = 4;
constexpr int kPageWidth = 411;
constexpr int kPageHeight = 326;
constexpr int kMargin = 6;
constexpr int kBodyTop = 44;
constexpr int kBodyWidth = kPageWidth - 2 * kMargin;
constexpr int kPageButtonTop = kPageHeight - kMargin - kButtonHeight;
constexpr int kStripWidth = 362;
// The lists' columns beside the path: a definition's name, and the time a
// quarantine record was made ("hh:mm dd.mm.yy").
constexpr int kNameColumnWidth = kBodyWidth / 3;
constexpr int kTimeColumnWidth = kBodyWidth / 4;
constexpr int kStripHeight = 24;

constexpr COLORREF kGreenBegin = 2398037;  // red 85, green 151, blue 36
constexpr COLORREF kGreenEnd = RGB(0, 255, 0);
constexpr COLORREF kRedBegin = RGB(128, 0, 0);
constexpr COLORREF kRedEnd = 6711039;  // red 255, green 102, blue 102

constexpr char kPanelClass[] = "TPanel";

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

HMENU IdOf(int controlId) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)); }

// Panels and pages hand what their controls tell them to the main window.
LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND CreatePanel(HWND parent, int controlId, int left, int top, int width, int height,
                 DWORD extendedStyle = 0, const char *caption = "") {
    // Tab and the mnemonics reach the controls inside panels and pages.
    return CreateWindowExA(extendedStyle | WS_EX_CONTROLPARENT, kPanelClass, caption,
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, left, top,
                           width, height,
                           parent, IdOf(controlId), Instance(), nullptr);
}

HWND CreateLabel(HWND parent, int controlId, const char *caption, int left, int top, int width,
                 int height, DWORD style = SS_LEFT) {
    return CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_VISIBLE | style, left, top, width,
                           height, parent, IdOf(controlId), Instance(), nullptr);
}

// A strip of 6 glyph frames (one per button state) as an image list.
// The list keeps its own copy of the frames.
brenvald::ImageListHandle LoadImageStrip(int bitmapId, int frames) {
    brenvald::ImageListHandle list(ImageList_Create(16, 16, ILC_COLOR32, frames, 0));
    const brenvald::GdiObject<HBITMAP> strip(static_cast<HBITMAP>(
        LoadImageA(Instance(), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (strip)
        ImageList_Add(list.get(), strip.get(), nullptr);
    return list;
}

// The width the caption needs in the button's own font, the mnemonic's
// ampersand not counted.
int CaptionWidth(HWND button) {
    char caption[128] = {};
    GetWindowTextA(button, caption, sizeof caption);
    const brenvald::WindowDC context(button);
    const brenvald::SelectedObject font(
        context.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(button, WM_GETFONT, 0, 0)));
    RECT extent{0, 0, 0, 0};
    DrawTextA(context.get(), caption, -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    return extent.right - extent.left;
}

int GlyphButtonWidthFor(HWND button) {
    return kGlyphMarginLeft + kGlyphSize + kGlyphMarginRight + CaptionWidth(button) +
           kCaptionPadding;
}

// The buttons at the bottom of a page, right to left.
std::vector<HWND> BottomButtons(HWND page) {
    std::vector<std::pair<int, HWND>> byRightEdge;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        RECT bounds;
        GetWindowRect(child, &bounds);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT *>(&bounds), 2);
        if (lstrcmpiA(className, "Button") == 0 && bounds.top == kPageButtonTop)
            byRightEdge.emplace_back(bounds.right, child);
    }
    std::sort(byRightEdge.begin(), byRightEdge.end(),
              [](const auto &left, const auto &right) { return left.first > right.first; });
    std::vector<HWND> buttons;
    for (const auto &entry : byRightEdge)
        buttons.push_back(entry.second);
    return buttons;
}

// Widens every bottom button whose caption and glyph do not fit, and lines
// the row up again from the right edge with the usual gaps.
void FitButtonRow(HWND page) {
    int right = kPageWidth - kMargin;
    for (HWND button : BottomButtons(page)) {
        const int width = std::max(kPageButtonWidth, GlyphButtonWidthFor(button));
        SetWindowPos(button, nullptr, right - width, kPageButtonTop, width, kButtonHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        right -= width + kMargin;
    }
}

} // namespace

void TMainForm::Register(HINSTANCE instance) {
    WNDCLASSA panelClass{};
    panelClass.lpfnWndProc = PanelProc;
    panelClass.hInstance = instance;
    panelClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    panelClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panelClass.lpszClassName = kPanelClass;
    RegisterClassA(&panelClass);
    TGradientFill::Register(instance);

    WNDCLASSA formClass{};
    formClass.lpfnWndProc = WindowProc;
    formClass.hInstance = instance;
    formClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAINICON));
    formClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    formClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    formClass.lpszClassName = "TMainForm";
    RegisterClassA(&formClass);
}

HWND TMainForm::AddControl(HWND control) {
    if (!control)
        return control;
    allControls_.push_back(control);
    if (GetDlgCtrlID(control) != 0)
        controls_[GetDlgCtrlID(control)] = control;
    return control;
}

HWND TMainForm::Control(int controlId) const {
    auto found = controls_.find(controlId);
    return found == controls_.end() ? nullptr : found->second;
}

void TMainForm::CreateFonts() {
    const int height =
        -MulDiv(8, GetDeviceCaps(brenvald::WindowDC(nullptr).get(), LOGPIXELSY), 72);
    font_.reset(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
    boldFont_.reset(CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
}

void TMainForm::ApplyFonts() {
    for (HWND control : allControls_) {
        const int id = GetDlgCtrlID(control);
        const bool heading = id >= IDC_HEADINGTEXT1 && id <= IDC_HEADINGTEXT5;
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(heading ? boldFont_.get() : font_.get()), FALSE);
    }
}

void TMainForm::CreateControls() {
    CreateFonts();
    CreateLeftPanel();
    CreatePages();
    ApplyFonts();
    // Captions are measured in the fonts just applied.
    for (HWND page : pages_)
        FitButtonRow(page);
}

HWND TMainForm::CreateGlyphButton(HWND parent, int controlId, const char *caption, int glyphId,
                                  int left, int top, int width, bool enabled) {
    HWND button = CreateWindowExA(0, "BUTTON", caption,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, left, top,
                                  width, kButtonHeight, parent, IdOf(controlId), Instance(),
                                  nullptr);
    glyphs_.push_back(LoadImageStrip(glyphId, 6));
    BUTTON_IMAGELIST images{glyphs_.back().get(), {6, 0, 2, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
    EnableWindow(button, enabled ? TRUE : FALSE);
    return AddControl(button);
}

void TMainForm::CreateLeftPanel() {
    leftPanel_ = CreatePanel(window_, 0, 0, 0, kLeftPanelWidth, 334);
    AddControl(CreateLabel(leftPanel_, 0, "", 8, 8, 98, 72, SS_ETCHEDFRAME));
    HWND logo = AddControl(CreateLabel(leftPanel_, IDC_LOGO, "", 10, 10, 94, 68,
                                       SS_BITMAP | SS_CENTERIMAGE));
    // The label shows the bitmap but never frees it: the window keeps it.
    logo_.reset(static_cast<HBITMAP>(
        LoadImageA(Instance(), MAKEINTRESOURCEA(IDB_LOGO), IMAGE_BITMAP, 0, 0, 0)));
    SendMessageA(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.get()));
    SetWindowPos(logo, nullptr, 10, 10, 94, 68, SWP_NOZORDER);

    struct LeftButton {
        int id;
        const char *caption;
        int glyph;
        bool enabled;
    } const buttons[] = {
        {IDC_BITBTN3, "Scan", IDB_GLYPH_SCAN, true},
        {IDC_BITBTN4, "Pause", IDB_GLYPH_PAUSE, false},
        {IDC_BITBTN5, "Stop", IDB_GLYPH_STOP, false},
        {IDC_BITBTN8, "Quarantine", IDB_GLYPH_QUARANTINE, true},
        {IDC_BITBTN7, "Update", IDB_GLYPH_UPDATE, true},
        {IDC_BITBTN2, "Abo&ut", IDB_GLYPH_ABOUT, true},
        {IDC_BITBTN1, "&Exit", IDB_GLYPH_EXIT, true},
    };
    int top = 92;
    for (const LeftButton &button : buttons) {
        CreateGlyphButton(leftPanel_, button.id, button.caption, button.glyph, 8, top, kButtonWidth,
                          button.enabled);
        top += 33;
    }
}

void TMainForm::CreatePages() {
    pageControl_ = CreatePanel(window_, IDC_PAGECONTROL1, kPageLeft, kPageTop, kPageWidth,
                               kPageHeight);
    CreateDrivePage();
    CreateLogPage();
    CreateResultsPage();
    CreateCountersPage();
    CreateQuarantinePage();
    ShowPage(scanner::Page::Drives);
}

// A page with its heading strip: the icon, then the gradient carrying the
// heading in bold white.
HWND TMainForm::CreatePage(int page, const char *caption, const char *heading, bool red,
                           int iconId) {
    HWND sheet = AddControl(CreatePanel(pageControl_, IDC_TABSHEET1 + page - 1, 0, 0, kPageWidth,
                                        kPageHeight, 0, caption));
    pages_[page - 1] = sheet;
    HWND icon = AddControl(CreateLabel(sheet, IDC_PAGEICON1 + page - 1, "", kMargin, kMargin - 2,
                                       32, 32, SS_ICON));
    // As with the logo, the label does not free its icon.
    pageIcons_[page - 1].reset(static_cast<HICON>(
        LoadImageA(Instance(), MAKEINTRESOURCEA(iconId), IMAGE_ICON, 32, 32, 0)));
    SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(pageIcons_[page - 1].get()), 0);
    TGradientFill *strip = TGradientFill::Create(sheet, IDC_HEADING1 + page - 1,
                                                 kPageWidth - kMargin - kStripWidth, 8,
                                                 kStripWidth, kStripHeight);
    strip->SetBeginColor(red ? kRedBegin : kGreenBegin);
    strip->SetEndColor(red ? kRedEnd : kGreenEnd);
    strip->SetFillDirection(gradient::TFillDirection::fdLeftToRight);
    AddControl(strip->Handle());
    AddControl(CreateLabel(strip->Handle(), IDC_HEADINGTEXT1 + page - 1, heading, 8, 5,
                           kStripWidth - 16, 14, SS_OWNERDRAW));
    return sheet;
}

HWND TMainForm::CreateList(HWND page, int controlId, int height, DWORD extendedStyle,
                           DWORD view) {
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | view | LVS_NOSORTHEADER |
                                    LVS_SHOWSELALWAYS,
                                kMargin, kBodyTop, kBodyWidth, height, page, IdOf(controlId),
                                Instance(), nullptr);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
    return AddControl(list);
}

// The log, results and quarantine lists: one line per row, top to bottom,
// no header, only the first column shown. They are report views because a
// list view in list style scrolls sideways by whole columns of items and so
// can never bring the end of a line wider than itself into view; here the
// column grows with the widest line (TFittedList) and the scroll bar moves
// by pixels. Further columns carry a row's other texts, unseen but copied.
HWND TMainForm::CreateLineList(HWND page, int controlId, DWORD extendedStyle,
                               const std::vector<TListColumn> &columns) {
    HWND list = CreateList(page, controlId, kPageButtonTop - kMargin - kBodyTop, extendedStyle,
                           LVS_REPORT | LVS_NOCOLUMNHEADER);
    int besideFirst = 0;
    for (size_t column = 1; column < columns.size(); ++column)
        besideFirst += columns[column].width;
    for (size_t column = 0; column < columns.size(); ++column) {
        LVCOLUMNA columnInfo{};
        columnInfo.mask = LVCF_TEXT | LVCF_WIDTH;
        columnInfo.pszText = const_cast<char *>(columns[column].caption);
        columnInfo.cx = column == 0 ? kBodyWidth - 4 - besideFirst : columns[column].width;
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&columnInfo));
    }
    AddFittedList(controlId);
    return list;
}

void TMainForm::CreatePageButton(HWND page, int controlId, const char *caption, int glyphId,
                                 int slot) {
    const int left = kPageWidth - kMargin - (slot + 1) * kPageButtonWidth - slot * kMargin;
    CreateGlyphButton(page, controlId, caption, glyphId, left, kPageButtonTop, kPageButtonWidth,
                      true);
}

void TMainForm::CreateDrivePage() {
    HWND page = CreatePage(1, "Scan Path", "Scan Drives", false, IDB_PAGE_DRIVES);
    HWND list = CreateList(page, IDC_DRIVELIST, kPageHeight - kMargin - kBodyTop,
                           LVS_EX_CHECKBOXES, LVS_LIST);
    driveImages_ = LoadImageStrip(IDB_DRIVES, 4);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(driveImages_.get()));
}

void TMainForm::CreateLogPage() {
    HWND page = CreatePage(2, "Scan Log", "Report", false, IDB_PAGE_LOG);
    // A tip shows a line that is scrolled partly out of view.
    HWND list = CreateLineList(page, IDC_LOGLIST, LVS_EX_LABELTIP, {{"Line", 0}});
    SendMessageA(list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
    CreatePageButton(page, IDC_BITBTN12, "Continue", IDB_GLYPH_CONTINUE, 0);
    CreatePageButton(page, IDC_BITBTN15, "Scan Results", IDB_GLYPH_RESULTS, 1);
}

void TMainForm::CreateResultsPage() {
    HWND page = CreatePage(3, "Found viruses", "Scan Results", true, IDB_PAGE_RESULTS);
    // Each detection's path, and beside it the definition's name.
    CreateLineList(page, IDC_LISTVIEW2, LVS_EX_CHECKBOXES | LVS_EX_LABELTIP,
                   {{"File", 0}, {"Name", kNameColumnWidth}});
    CreatePageButton(page, IDC_BITBTN6, "Report", IDB_GLYPH_REPORT, 0);
    CreatePageButton(page, IDC_BITBTN9, "Fix && Continue", IDB_GLYPH_FIX, 1);
}

void TMainForm::CreateCounterRow(HWND panel, int top, const char *caption, int valueId) {
    AddControl(CreateLabel(panel, 0, caption, 12, top, 200, 16));
    AddControl(CreateLabel(panel, valueId, "0", kBodyWidth - 16 - 140, top, 140, 16, SS_RIGHT));
}

void TMainForm::CreateCountersPage() {
    HWND page = CreatePage(4, "Scan Table", "Scanning...", false, IDB_PAGE_COUNTERS);
    const int panelHeight = 184;
    countersPanel_ = AddControl(CreatePanel(page, IDC_COUNTERSPANEL, kMargin, kBodyTop,
                                            kBodyWidth, panelHeight, WS_EX_STATICEDGE));
    CreateCounterRow(countersPanel_, 12, "Scanned files (total):", IDC_LB_SCANNEDFILES);
    CreateCounterRow(countersPanel_, 36, "Scanned (MB):", IDC_LB_SCANNEDMB);
    CreateCounterRow(countersPanel_, 60, "Infected:", IDC_LB_INFECTED);
    CreateCounterRow(countersPanel_, 84, "Skipped:", IDC_LB_SKIPPED);
    CreateCounterRow(countersPanel_, 108, "Suspected:", IDC_LABEL13);
    CreateCounterRow(countersPanel_, panelHeight - 30, "Errors:", IDC_LABEL11);

    const int statusTop = kBodyTop + panelHeight + 14;
    AddControl(CreateLabel(page, IDC_LABEL4, "Ready", kMargin, statusTop, kBodyWidth, 16,
                           SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS));
    HWND progress = AddControl(CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE,
                                               kMargin, statusTop + 22, kBodyWidth, 20, page,
                                               IdOf(IDC_PROGRESSBAR1), Instance(), nullptr));
    SendMessageA(progress, PBM_SETRANGE32, 0, 1000);
}

void TMainForm::CreateQuarantinePage() {
    HWND page = CreatePage(5, "TabSheet5", "Quarantine", true, IDB_PAGE_QUARANTINE);
    // The rows carry their record's other lines as sub-items; the path, the
    // description (the definition's name) and the time the record was made
    // show, the stored name is copied only.
    CreateLineList(page, IDC_LISTVIEW1, LVS_EX_CHECKBOXES | LVS_EX_LABELTIP,
                   {{"File", 0}, {"Stored as", 0}, {"Description", kNameColumnWidth},
                    {"Time", kTimeColumnWidth}});
    CreatePageButton(page, IDC_BITBTN13, "Cancel", IDB_GLYPH_CANCEL, 0);
    CreatePageButton(page, IDC_BITBTN14, "Restore", IDB_GLYPH_RESTORE, 1);
    CreatePageButton(page, IDC_BITBTN11, "Delete", IDB_GLYPH_DELETE, 2);
}

} // namespace window
