// The main window's layout: left panel, page control with five pages, their
// heading strips, lists, counters and buttons. The controls are made once;
// Layout places them for the client size, the window's DPI and the font's
// real text: every length is designed for 96 DPI (the 534 x 334 client
// area), scaled, and grown where the text needs more room. The lists take
// what the window grows by.
#include "MainFrm.h"

#include "DisplayDpi.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace window {

namespace {

constexpr int kDesignClientWidth = 534;
constexpr int kDesignClientHeight = 334;
constexpr int kLeftButtonWidth = 98;
constexpr int kButtonHeight = 27;
// A button is at least this much taller than a line of its text.
constexpr int kButtonTextPadding = 10;
constexpr int kLeftButtonTop = 92;
constexpr int kLeftButtonGap = 6;
// The narrowest page button; a wider caption widens its button.
constexpr int kPageButtonWidth = 112;
// A glyph button's content: the glyph with its margins (as given to
// BCM_SETIMAGELIST), the caption, and room for the themed border and focus
// rectangle on both sides.
constexpr int kGlyphSize = 16;
constexpr int kGlyphMarginLeft = 6;
constexpr int kGlyphMarginRight = 2;
constexpr int kCaptionPadding = 16;
constexpr int kPanelGap = 4;
constexpr int kMargin = 6;
constexpr int kIconSize = 32;
constexpr int kStripTop = 8;
constexpr int kStripHeight = 24;
constexpr int kStripTextInset = 8;
constexpr int kBodyGap = 12;
// The lists keep at least this much height when the window is at its smallest.
constexpr int kListMinHeight = 60;
constexpr int kLogoFrameLeft = 8;  // and top
constexpr int kLogoFrameHeight = 72;
constexpr int kLogoInset = 2;
constexpr int kCounterInset = 12;
constexpr int kCounterCaptionWidth = 200;
constexpr int kCounterValueWidth = 140;
constexpr int kCounterRowHeight = 16;
constexpr int kCounterRowStep = 24;
constexpr int kCounterPanelHeight = 184;
constexpr int kErrorsRowGap = 22;
constexpr int kErrorsRowBottom = 30;  // from the top of "Errors:" to the panel's end
constexpr int kProgressHeight = 20;
// The lists' columns beside the path, at 96 DPI: a definition's name, and
// the time a quarantine record was made ("hh:mm dd.mm.yy").
constexpr int kNameColumnWidth = 133;
constexpr int kTimeColumnWidth = 99;

constexpr COLORREF kGreenBegin = 2398037;  // red 85, green 151, blue 36
constexpr COLORREF kGreenEnd = RGB(0, 255, 0);
constexpr COLORREF kRedBegin = RGB(128, 0, 0);
constexpr COLORREF kRedEnd = 6711039;  // red 255, green 102, blue 102

constexpr char kPanelClass[] = "TPanel";
constexpr char kFontFace[] = "MS Sans Serif";

struct LeftButton {
    int id;
    const char *caption;
    int glyph;
    bool enabled;
};
// Top to bottom. The mnemonics differ from each other, from the menu bar's
// (f, t, h) and from those of every page's buttons; only the shown page's
// buttons take theirs, so two pages may share a letter.
constexpr LeftButton kLeftButtons[] = {
    {IDC_BITBTN3, "&Scan", IDB_GLYPH_SCAN, true},
    {IDC_BITBTN4, "&Pause", IDB_GLYPH_PAUSE, false},
    {IDC_BITBTN5, "St&op", IDB_GLYPH_STOP, false},
    {IDC_BITBTN8, "&Quarantine", IDB_GLYPH_QUARANTINE, true},
    {IDC_BITBTN7, "Upd&ate", IDB_GLYPH_UPDATE, true},
    {IDC_BITBTN2, "Abo&ut", IDB_GLYPH_ABOUT, true},
    {IDC_BITBTN1, "&Exit", IDB_GLYPH_EXIT, true},
};

struct CounterRow {
    const char *caption;
    int valueId;
};
// The last row is set apart at the bottom of the panel.
constexpr CounterRow kCounterRows[] = {
    {"Scanned files (total):", IDC_LB_SCANNEDFILES}, {"Scanned (MB):", IDC_LB_SCANNEDMB},
    {"Infected:", IDC_LB_INFECTED},                  {"Skipped:", IDC_LB_SKIPPED},
    {"Suspected:", IDC_LABEL13},                     {"Errors:", IDC_LABEL11},
};
constexpr int kCounterRowCount = sizeof kCounterRows / sizeof kCounterRows[0];

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

HWND CreatePanel(HWND parent, int controlId, DWORD extendedStyle = 0, const char *caption = "") {
    // Tab and the mnemonics reach the controls inside panels and pages.
    return CreateWindowExA(extendedStyle | WS_EX_CONTROLPARENT, kPanelClass, caption,
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0,
                           parent, IdOf(controlId), Instance(), nullptr);
}

HWND CreateLabel(HWND parent, int controlId, const char *caption, DWORD style = SS_LEFT) {
    return CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           parent, IdOf(controlId), Instance(), nullptr);
}

void Place(HWND control, int left, int top, int width, int height) {
    SetWindowPos(control, nullptr, left, top, std::max(width, 0), std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The resource id of a bitmap as drawn for the scaling nearest to the DPI.
int ScaledBitmapId(int bitmapId, int dpi) {
    return bitmapId + display::ArtworkScaleIndex(dpi) * IDB_SCALE_STEP;
}

// A strip of frames of the given 100 % size, drawn for the DPI, as an image
// list. The list keeps its own copy of the frames.
brenvald::ImageListHandle LoadImageStrip(int bitmapId, int frames, int dpi) {
    const int size = display::ArtworkLength(kGlyphSize, dpi);
    brenvald::ImageListHandle list(ImageList_Create(size, size, ILC_COLOR32, frames, 0));
    const brenvald::GdiObject<HBITMAP> strip(static_cast<HBITMAP>(
        LoadImageA(Instance(), MAKEINTRESOURCEA(ScaledBitmapId(bitmapId, dpi)), IMAGE_BITMAP, 0, 0,
                   LR_CREATEDIBSECTION)));
    if (strip)
        ImageList_Add(list.get(), strip.get(), nullptr);
    return list;
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
    font_ = brenvald::CreateScaledFont(kFontFace, 8, scale_.dpi(), false);
    boldFont_ = brenvald::CreateScaledFont(kFontFace, 8, scale_.dpi(), true);
    lineHeight_ = brenvald::FontLineHeight(font_.get());
    boldLineHeight_ = brenvald::FontLineHeight(boldFont_.get());
}

void TMainForm::ApplyFonts() {
    for (HWND control : allControls_) {
        const int id = GetDlgCtrlID(control);
        const bool heading = id >= IDC_HEADINGTEXT1 && id <= IDC_HEADINGTEXT5;
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(heading ? boldFont_.get() : font_.get()), FALSE);
    }
}

// The glyphs, the logo, the page icons and the drive images, drawn for the
// window's DPI; again after every change of the DPI.
void TMainForm::LoadArtwork() {
    const int dpi = scale_.dpi();
    // The buttons take the new glyphs before the old ones go.
    std::vector<brenvald::ImageListHandle> glyphs;
    for (const auto &button : glyphButtons_) {
        glyphs.push_back(LoadImageStrip(button.second, 6, dpi));
        BUTTON_IMAGELIST images{glyphs.back().get(),
                                {scale_.Px(kGlyphMarginLeft), 0, scale_.Px(kGlyphMarginRight), 0},
                                BUTTON_IMAGELIST_ALIGN_LEFT};
        SendMessageA(Control(button.first), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
    }
    glyphs_ = std::move(glyphs);
    // The labels show the pictures but never free them: the window keeps them.
    brenvald::GdiObject<HBITMAP> logo(static_cast<HBITMAP>(LoadImageA(
        Instance(), MAKEINTRESOURCEA(ScaledBitmapId(IDB_LOGO, dpi)), IMAGE_BITMAP, 0, 0, 0)));
    SendMessageA(Control(IDC_LOGO), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo.get()));
    logo_ = std::move(logo);
    const int iconSize = display::ArtworkLength(kIconSize, dpi);
    for (int page = 0; page < 5; ++page) {
        brenvald::IconHandle icon(static_cast<HICON>(LoadImageA(
            Instance(), MAKEINTRESOURCEA(IDB_PAGE_DRIVES + page), IMAGE_ICON, iconSize, iconSize, 0)));
        SendMessageA(Control(IDC_PAGEICON1 + page), STM_SETICON,
                     reinterpret_cast<WPARAM>(icon.get()), 0);
        pageIcons_[page] = std::move(icon);
    }
    brenvald::ImageListHandle drives = LoadImageStrip(IDB_DRIVES, 4, dpi);
    SendMessageA(Control(IDC_DRIVELIST), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(drives.get()));
    driveImages_ = std::move(drives);
}

void TMainForm::CreateControls() {
    scale_ = display::DisplayScale(brenvald::WindowDpi(window_));
    CreateFonts();
    CreateLeftPanel();
    CreatePages();
    ApplyFonts();
    LoadArtwork();
    Layout();
    ShowPage(scanner::Page::Drives);
}

HWND TMainForm::CreateGlyphButton(HWND parent, int controlId, const char *caption, int glyphId,
                                  bool enabled) {
    HWND button = CreateWindowExA(0, "BUTTON", caption,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                                  parent, IdOf(controlId), Instance(), nullptr);
    glyphButtons_.emplace_back(controlId, glyphId);
    EnableWindow(button, enabled ? TRUE : FALSE);
    return AddControl(button);
}

void TMainForm::CreateLeftPanel() {
    leftPanel_ = CreatePanel(window_, 0);
    logoFrame_ = AddControl(CreateLabel(leftPanel_, 0, "", SS_ETCHEDFRAME));
    AddControl(CreateLabel(leftPanel_, IDC_LOGO, "", SS_BITMAP | SS_CENTERIMAGE));
    for (const LeftButton &button : kLeftButtons)
        CreateGlyphButton(leftPanel_, button.id, button.caption, button.glyph, button.enabled);
}

void TMainForm::CreatePages() {
    pageControl_ = CreatePanel(window_, IDC_PAGECONTROL1);
    CreateDrivePage();
    CreateLogPage();
    CreateResultsPage();
    CreateCountersPage();
    CreateQuarantinePage();
}

// A page with its heading strip: the icon, then the gradient carrying the
// heading in bold white.
HWND TMainForm::CreatePage(int page, const char *caption, const char *heading, bool red) {
    HWND sheet = AddControl(CreatePanel(pageControl_, IDC_TABSHEET1 + page - 1, 0, caption));
    pages_[page - 1] = sheet;
    AddControl(CreateLabel(sheet, IDC_PAGEICON1 + page - 1, "", SS_ICON | SS_CENTERIMAGE));
    TGradientFill *strip = TGradientFill::Create(sheet, IDC_HEADING1 + page - 1, 0, 0, 0, 0);
    strip->SetBeginColor(red ? kRedBegin : kGreenBegin);
    strip->SetEndColor(red ? kRedEnd : kGreenEnd);
    strip->SetFillDirection(gradient::TFillDirection::fdLeftToRight);
    AddControl(strip->Handle());
    AddControl(CreateLabel(strip->Handle(), IDC_HEADINGTEXT1 + page - 1, heading, SS_OWNERDRAW));
    return sheet;
}

HWND TMainForm::CreateList(HWND page, int controlId, DWORD extendedStyle, DWORD view) {
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | view | LVS_NOSORTHEADER |
                                    LVS_SHOWSELALWAYS,
                                0, 0, 0, 0, page, IdOf(controlId), Instance(), nullptr);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
    return AddControl(list);
}

// The log, results and quarantine lists: one line per row, top to bottom,
// no header, only the first column shown. They are report views because a
// list view in list style scrolls sideways by whole columns of items and so
// can never bring the end of a line wider than itself into view; here the
// column grows with the widest line (TFittedList) and the scroll bar moves
// by pixels. Further columns carry a row's other texts, shown at their
// width (scaled to the DPI) or, at a width of 0, unseen but copied.
HWND TMainForm::CreateLineList(HWND page, int controlId, DWORD extendedStyle,
                               const std::vector<TListColumn> &columns) {
    HWND list = CreateList(page, controlId, extendedStyle, LVS_REPORT | LVS_NOCOLUMNHEADER);
    for (size_t column = 0; column < columns.size(); ++column) {
        LVCOLUMNA columnInfo{};
        columnInfo.mask = LVCF_TEXT | LVCF_WIDTH;
        columnInfo.pszText = const_cast<char *>(columns[column].caption);
        // The first column takes what the others leave, at every layout.
        columnInfo.cx = column == 0 ? 0 : scale_.Px(columns[column].width);
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&columnInfo));
    }
    AddFittedList(controlId);
    return list;
}

// Page buttons are given right to left.
void TMainForm::CreatePageButton(HWND page, int controlId, const char *caption, int glyphId) {
    pageButtons_[GetDlgCtrlID(page) - IDC_TABSHEET1].push_back(controlId);
    CreateGlyphButton(page, controlId, caption, glyphId, true);
}

void TMainForm::CreateDrivePage() {
    HWND page = CreatePage(1, "Scan Path", "Scan Drives", false);
    CreateList(page, IDC_DRIVELIST, LVS_EX_CHECKBOXES, LVS_LIST);
}

void TMainForm::CreateLogPage() {
    HWND page = CreatePage(2, "Scan Log", "Report", false);
    // A tip shows a line that is scrolled partly out of view.
    HWND list = CreateLineList(page, IDC_LOGLIST, LVS_EX_LABELTIP, {{"Line", 0}});
    SendMessageA(list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
    CreatePageButton(page, IDC_BITBTN12, "&Continue", IDB_GLYPH_CONTINUE);
    CreatePageButton(page, IDC_BITBTN15, "Scan &Results", IDB_GLYPH_RESULTS);
}

void TMainForm::CreateResultsPage() {
    HWND page = CreatePage(3, "Found viruses", "Scan Results", true);
    // Each detection's path, and beside it the definition's name.
    CreateLineList(page, IDC_LISTVIEW2, LVS_EX_CHECKBOXES | LVS_EX_LABELTIP,
                   {{"File", 0}, {"Name", kNameColumnWidth}});
    CreatePageButton(page, IDC_BITBTN6, "&Report", IDB_GLYPH_REPORT);
    CreatePageButton(page, IDC_BITBTN9, "Fi&x && Continue", IDB_GLYPH_FIX);
}

void TMainForm::CreateCountersPage() {
    HWND page = CreatePage(4, "Scan Table", "Scanning...", false);
    countersPanel_ = AddControl(CreatePanel(page, IDC_COUNTERSPANEL, WS_EX_STATICEDGE));
    for (const CounterRow &row : kCounterRows) {
        counterCaptions_.push_back(AddControl(CreateLabel(countersPanel_, 0, row.caption)));
        AddControl(CreateLabel(countersPanel_, row.valueId, "0", SS_RIGHT));
    }
    AddControl(CreateLabel(page, IDC_LABEL4, "Ready", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS));
    HWND progress = AddControl(CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE,
                                               0, 0, 0, 0, page, IdOf(IDC_PROGRESSBAR1),
                                               Instance(), nullptr));
    SendMessageA(progress, PBM_SETRANGE32, 0, 1000);
}

void TMainForm::CreateQuarantinePage() {
    HWND page = CreatePage(5, "TabSheet5", "Quarantine", true);
    // The rows carry their record's other lines as sub-items; the path, the
    // description (the definition's name) and the time the record was made
    // show, the stored name is copied only.
    CreateLineList(page, IDC_LISTVIEW1, LVS_EX_CHECKBOXES | LVS_EX_LABELTIP,
                   {{"File", 0}, {"Stored as", 0}, {"Description", kNameColumnWidth},
                    {"Time", kTimeColumnWidth}});
    CreatePageButton(page, IDC_BITBTN13, "&Cancel", IDB_GLYPH_CANCEL);
    CreatePageButton(page, IDC_BITBTN14, "&Restore", IDB_GLYPH_RESTORE);
    CreatePageButton(page, IDC_BITBTN11, "&Delete", IDB_GLYPH_DELETE);
}

// --- Placing the controls ---

int TMainForm::ButtonHeight() const {
    return scale_.Fitted(kButtonHeight, lineHeight_, kButtonTextPadding);
}

// The width a glyph button needs for its glyph and its caption in its own
// font (the mnemonic's ampersand not counted).
int TMainForm::GlyphButtonWidth(int buttonId) const {
    return scale_.Px(kGlyphMarginLeft) + display::ArtworkLength(kGlyphSize, scale_.dpi()) +
           scale_.Px(kGlyphMarginRight) + brenvald::ControlCaptionExtent(Control(buttonId)).cx +
           scale_.Px(kCaptionPadding);
}

int TMainForm::LeftButtonWidth() const {
    int width = scale_.Px(kLeftButtonWidth);
    for (const LeftButton &button : kLeftButtons)
        width = std::max(width, GlyphButtonWidth(button.id));
    return width;
}

int TMainForm::LeftPanelWidth() const {
    return scale_.Px(kLogoFrameLeft) + LeftButtonWidth() + scale_.Px(kLogoFrameLeft + 1);
}

int TMainForm::LeftPanelHeight() const {
    const int count = sizeof kLeftButtons / sizeof kLeftButtons[0];
    return scale_.Px(kLeftButtonTop) + count * (ButtonHeight() + scale_.Px(kLeftButtonGap)) +
           scale_.Px(kLeftButtonGap);
}

void TMainForm::LayoutLeftPanel(int height) {
    const int left = scale_.Px(kLogoFrameLeft);
    const int buttonWidth = LeftButtonWidth();
    Place(leftPanel_, 0, 0, LeftPanelWidth(), height);
    Place(logoFrame_, left, left, buttonWidth, scale_.Px(kLogoFrameHeight));
    const int inset = scale_.Px(kLogoInset);
    Place(Control(IDC_LOGO), left + inset, left + inset, buttonWidth - 2 * inset,
          scale_.Px(kLogoFrameHeight) - 2 * inset);
    int top = scale_.Px(kLeftButtonTop);
    for (const LeftButton &button : kLeftButtons) {
        Place(Control(button.id), left, top, buttonWidth, ButtonHeight());
        top += ButtonHeight() + scale_.Px(kLeftButtonGap);
    }
}

int TMainForm::StripHeight() const {
    return scale_.Fitted(kStripHeight, boldLineHeight_, kStripTextInset + 2);
}

int TMainForm::BodyTop() const {
    return scale_.Px(kStripTop) + StripHeight() + scale_.Px(kBodyGap);
}

// The heading: the icon at the top left, the strip to its right with the
// heading text centred in its height.
void TMainForm::LayoutHeading(int page, int width) {
    const int margin = scale_.Px(kMargin);
    const int iconSize = display::ArtworkLength(kIconSize, scale_.dpi());
    Place(Control(IDC_PAGEICON1 + page), margin, margin - scale_.Px(2), iconSize, iconSize);
    const int stripLeft = margin + std::max(iconSize, scale_.Px(kIconSize)) + scale_.Px(5);
    const int stripWidth = width - margin - stripLeft;
    Place(Control(IDC_HEADING1 + page), stripLeft, scale_.Px(kStripTop), stripWidth, StripHeight());
    const int textHeight = scale_.Fitted(14, boldLineHeight_, 1);
    Place(Control(IDC_HEADINGTEXT1 + page), scale_.Px(kStripTextInset),
          (StripHeight() - textHeight) / 2, stripWidth - 2 * scale_.Px(kStripTextInset),
          textHeight);
}

std::vector<int> TMainForm::PageButtonWidths(int page) const {
    std::vector<int> widths;
    for (int buttonId : pageButtons_[page])
        widths.push_back(std::max(scale_.Px(kPageButtonWidth), GlyphButtonWidth(buttonId)));
    return widths;
}

// The page's buttons at its bottom right, each as wide as its caption
// needs, and the page's list above them.
void TMainForm::LayoutPageBody(int page, int width, int height) {
    const int margin = scale_.Px(kMargin);
    const int buttonTop = height - margin - ButtonHeight();
    const std::vector<int> widths = PageButtonWidths(page);
    const std::vector<int> lefts = display::RowFromRight(widths, width - margin, margin);
    for (size_t slot = 0; slot < widths.size(); ++slot)
        Place(Control(pageButtons_[page][slot]), lefts[slot], buttonTop, widths[slot],
              ButtonHeight());
    static const int kListOfPage[] = {IDC_DRIVELIST, IDC_LOGLIST, IDC_LISTVIEW2, 0, IDC_LISTVIEW1};
    if (!kListOfPage[page])
        return;
    const int listBottom = widths.empty() ? height - margin : buttonTop - margin;
    Place(Control(kListOfPage[page]), margin, BodyTop(), width - 2 * margin, listBottom - BodyTop());
    if (TFittedList *fitted = FittedList(kListOfPage[page]))
        fitted->Fit();
}

int TMainForm::CounterRowHeight() const {
    return scale_.Fitted(kCounterRowHeight, lineHeight_, 3);
}

int TMainForm::CounterCaptionWidth() const {
    int width = scale_.Px(kCounterCaptionWidth);
    for (HWND caption : counterCaptions_)
        width = std::max<int>(width, brenvald::ControlCaptionExtent(caption).cx + scale_.Px(2));
    return width;
}

int TMainForm::CounterRowStep() const {
    return scale_.Fitted(kCounterRowStep, CounterRowHeight(), 8);
}

// "Errors:" is set apart below the other rows, at the panel's bottom.
int TMainForm::ErrorsRowTop() const {
    const int afterRows = scale_.Px(kCounterInset) + (kCounterRowCount - 1) * CounterRowStep() +
                          scale_.Px(kErrorsRowGap);
    return std::max(scale_.Px(kCounterPanelHeight - kErrorsRowBottom), afterRows);
}

int TMainForm::CounterPanelHeight() const {
    return ErrorsRowTop() +
           std::max(scale_.Px(kErrorsRowBottom), CounterRowHeight() + scale_.Px(14));
}

// The counter rows: caption on the left, the value right-aligned on the
// right; then the status line and the progress bar below the panel.
void TMainForm::LayoutCounters(int width) {
    const int margin = scale_.Px(kMargin);
    const int bodyWidth = width - 2 * margin;
    const int panelHeight = CounterPanelHeight();
    Place(countersPanel_, margin, BodyTop(), bodyWidth, panelHeight);
    const int inset = scale_.Px(kCounterInset);
    const int rowHeight = CounterRowHeight();
    const int captionWidth = CounterCaptionWidth();
    const int valueLeft = std::max(bodyWidth - scale_.Px(16 + kCounterValueWidth),
                                   inset + captionWidth + scale_.Px(8));
    const int valueWidth = bodyWidth - scale_.Px(16) - valueLeft;
    for (int row = 0; row < kCounterRowCount; ++row) {
        const int top = row == kCounterRowCount - 1 ? ErrorsRowTop() : inset + row * CounterRowStep();
        Place(counterCaptions_[row], inset, top, captionWidth, rowHeight);
        Place(Control(kCounterRows[row].valueId), valueLeft, top, valueWidth, rowHeight);
    }
    const int statusTop = BodyTop() + panelHeight + scale_.Px(14);
    Place(Control(IDC_LABEL4), margin, statusTop, bodyWidth, rowHeight);
    Place(Control(IDC_PROGRESSBAR1), margin, statusTop + rowHeight + scale_.Px(6), bodyWidth,
          scale_.Px(kProgressHeight));
}

// The smallest page that holds every page's content.
display::ClientSize TMainForm::PageContentSize() const {
    const int margin = scale_.Px(kMargin);
    int width = margin + scale_.Px(16) + CounterCaptionWidth() + scale_.Px(8 + 60) + margin;
    for (int page = 0; page < 5; ++page) {
        const std::vector<int> widths = PageButtonWidths(page);
        int row = 2 * margin;
        for (int buttonWidth : widths)
            row += buttonWidth + margin;
        width = std::max(width, row);
    }
    const int listPage = BodyTop() + scale_.Px(kListMinHeight) + 3 * margin + ButtonHeight();
    const int countersPage = BodyTop() + CounterPanelHeight() + scale_.Px(14) +
                             CounterRowHeight() + scale_.Px(6 + kProgressHeight) + margin;
    return display::ClientSize{width, std::max(listPage, countersPage)};
}

// Today's window at this scaling, or more where the text needs it.
display::ClientSize TMainForm::MinimumClientSize() const {
    const display::ClientSize page = PageContentSize();
    const int gap = scale_.Px(kPanelGap);
    return display::MinimumClient(scale_, kDesignClientWidth, kDesignClientHeight,
                                  LeftPanelWidth() + gap + page.width + gap,
                                  std::max(LeftPanelHeight(), page.height + 2 * gap));
}

void TMainForm::Layout() {
    if (!pageControl_)
        return;
    RECT client;
    GetClientRect(window_, &client);
    const display::ClientSize minimum = MinimumClientSize();
    const int width = std::max<int>(client.right, minimum.width);
    const int height = std::max<int>(client.bottom, minimum.height);
    LayoutLeftPanel(height);
    const int gap = scale_.Px(kPanelGap);
    const int pageLeft = LeftPanelWidth() + gap;
    const int pageWidth = width - pageLeft - gap;
    const int pageHeight = height - 2 * gap;
    Place(pageControl_, pageLeft, gap, pageWidth, pageHeight);
    for (int page = 0; page < 5; ++page) {
        Place(pages_[page], 0, 0, pageWidth, pageHeight);
        LayoutHeading(page, pageWidth);
        LayoutPageBody(page, pageWidth, pageHeight);
    }
    LayoutCounters(pageWidth);
}

} // namespace window
