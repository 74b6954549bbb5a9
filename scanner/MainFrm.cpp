#include "MainFrm.h"

#include "BaseReport.h"
#include "DisplayDpi.h"
#include "DriveList.h"
#include "PointedPaths.h"
#include "SingleInstance.h"
#include "TextConversion.h"
#include "WebAddresses.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>

namespace window {

namespace {

// Resizable: the lists take what the window grows by.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                             WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr COLORREF kCounterRed = RGB(176, 0, 0);
constexpr COLORREF kMissingRow = RGB(255, 208, 208);
constexpr LPARAM kStoredFileMissing = 1;
// The results list's column with each detection's definition name.
constexpr int kResultNameColumn = 1;

constexpr char kMoreSpywareQuestion[] = "Do you want to detect and clean more spyware?";
constexpr char kUpToDate[] = "Spyware database is up to date. You do not need to update it now.";
constexpr char kLoadingStatus[] = "Loading spyware definitions...";
constexpr char kReadyStatus[] = "Ready";
constexpr char kStillLoading[] =
    "Spyware definitions are still loading. Please wait until they are loaded.";

bool IsDarkRedValue(int controlId) {
    return controlId == IDC_LB_INFECTED || controlId == IDC_LB_SKIPPED ||
           controlId == IDC_LABEL13 || controlId == IDC_LABEL11;
}

// The path the engine opens for a pointed root: the root itself when the code
// page spells it exactly, else its short form; empty when neither will do.
std::string ScanRootForEngine(const std::wstring &root) {
    std::string exact = brenvald::ExactAnsiFromWide(root);
    if (!exact.empty())
        return exact;
    const DWORD length = GetShortPathNameW(root.c_str(), nullptr, 0);
    if (length == 0)
        return std::string();
    std::wstring shortForm(length, L'\0');
    shortForm.resize(GetShortPathNameW(root.c_str(), &shortForm[0], length));
    return brenvald::ExactAnsiFromWide(shortForm);
}

bool ClassIs(HWND window, const char *className) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, className) == 0;
}

// The columns beside a list's first keep their share of it at a new DPI;
// the first is fitted afterwards.
void RescaleColumnsBesideFirst(HWND list, int oldDpi, int newDpi) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int column = 1; column < columns; ++column) {
        const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
        SendMessageA(list, LVM_SETCOLUMNWIDTH, column, MulDiv(width, newDpi, oldDpi));
    }
}

bool IsHeading(int controlId) {
    return controlId >= IDC_HEADINGTEXT1 && controlId <= IDC_HEADINGTEXT5;
}

// The list each page shows, re-laid out whenever the page is shown; the
// counters page re-lays out the log, as the scan start wants.
int ListOfPage(scanner::Page page) {
    switch (page) {
    case scanner::Page::Drives: return IDC_DRIVELIST;
    case scanner::Page::Log: return IDC_LOGLIST;
    case scanner::Page::Results: return IDC_LISTVIEW2;
    case scanner::Page::Counters: return IDC_LOGLIST;
    case scanner::Page::Quarantine: return IDC_LISTVIEW1;
    }
    return IDC_DRIVELIST;
}

} // namespace

TMainForm::TMainForm()
    : programFolder_(scanner::RunningProgramFolder()),
      scanRun_(std::make_unique<scanner::TScanRun>(*this, prompts_, &definitions_)),
      quarantine_(std::make_unique<scanner::SystemQuarantine>(programFolder_.Shown)),
      aboutForm_(std::make_unique<TAboutForm>(programFolder_, prompts_)) {}

// The window is gone by now: its fonts, images and icons go with the form.
TMainForm::~TMainForm() = default;

bool TMainForm::Create(HINSTANCE instance, int showCommand) {
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_MAINMENU));
    window_ = CreateWindowExA(0, "TMainForm", ApplicationTitle, kFormStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, instance,
                              this);
    if (!window_)
        return false;
    // The controls are laid out for the window's DPI by now: the window
    // starts at its smallest size, centred on its monitor's work area.
    SetClientSize(MinimumClientSize());
    brenvald::CentreOnMonitor(window_, brenvald::MonitorArea::Work);
    prompts_.SetOwner(window_);
    DragAcceptFiles(window_, TRUE);
    FormCreate();
    ShowWindow(window_, showCommand);
    // Painted whole before the load starts to compete for the processor.
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    baseLoading_.Start(window_, programFolder_);
    return true;
}

SIZE TMainForm::FrameSize(display::ClientSize client) const {
    RECT frame;
    RECT inside;
    GetWindowRect(window_, &frame);
    GetClientRect(window_, &inside);
    return SIZE{client.width + (frame.right - frame.left) - inside.right,
                client.height + (frame.bottom - frame.top) - inside.bottom};
}

// A menu bar that wraps makes the frame taller once the width is set: the
// client is measured and sized again.
void TMainForm::SetClientSize(display::ClientSize client) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const SIZE frame = FrameSize(client);
        SetWindowPos(window_, nullptr, 0, 0, frame.cx, frame.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT inside;
        GetClientRect(window_, &inside);
        if (inside.right == client.width && inside.bottom == client.height)
            return;
    }
}

void TMainForm::MinMaxInfo(MINMAXINFO &info) const {
    // Before the controls exist nothing is known yet; a minimised window's
    // client area says nothing about its frame.
    if (!pageControl_ || IsIconic(window_))
        return;
    const SIZE frame = FrameSize(MinimumClientSize());
    info.ptMinTrackSize = POINT{frame.cx, frame.cy};
}

void TMainForm::DpiChanged(int dpi, const RECT &suggested) {
    const int oldDpi = scale_.dpi();
    scale_ = display::DisplayScale(dpi);
    CreateFonts();
    ApplyFonts();
    LoadArtwork();
    for (auto &fitted : fittedLists_) {
        RescaleColumnsBesideFirst(Control(fitted.first), oldDpi, dpi);
        fitted.second.Refit();
    }
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The suggested place may be smaller than the text at the new DPI needs.
    RECT client;
    GetClientRect(window_, &client);
    const display::ClientSize minimum = MinimumClientSize();
    if (client.right < minimum.width || client.bottom < minimum.height)
        SetClientSize(display::ClientSize{std::max<int>(client.right, minimum.width),
                                          std::max<int>(client.bottom, minimum.height)});
    Layout();
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// No row focused (the list just filled, or never clicked): the first row
// takes the focus, so the list shows where the keyboard starts. It is not
// selected: Copy takes the selected rows, or all when none is.
void TMainForm::ListFocused(HWND list) const {
    TListView view(list);
    if (view.Count() == 0 ||
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) >= 0)
        return;
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
}

// Creation: list the drives and wait with Scan until the bases are loaded,
// which a worker does once the window shows (their lines come to the log as
// each base is done). Without a table no base is loaded, but the window
// still opens.
void TMainForm::FormCreate() {
    FillDriveList();
    SetStatus(kLoadingStatus);
    EnableCommand(IDC_BITBTN3, IDM_SCAN1, false);
}

void TMainForm::PointAt(const std::vector<std::wstring> &paths, bool startScan) {
    waitingPaths_.insert(waitingPaths_.end(), paths.begin(), paths.end());
    // A run under way keeps its results: the paths wait for its end, but
    // start no run of their own.
    waitingScan_ = waitingScan_ || (startScan && !scanRun_->RunInProgress());
    TakeWaitingPaths();
}

// The Scan command is posted, not called: a scan started here would run
// inside the message that handed the paths over, and hold its sender.
void TMainForm::TakeWaitingPaths() {
    if (!basesLoaded_ || !window_ || closing_ || scanRun_->RunInProgress())
        return;
    std::vector<std::wstring> paths;
    paths.swap(waitingPaths_);
    const bool startScan = waitingScan_ && !paths.empty();
    waitingScan_ = false;
    AddPointedRows(paths);
    if (startScan)
        PostMessageA(window_, WM_COMMAND, IDC_BITBTN3, 0);
}

// A path no longer there is logged; one the engine can be given no path for
// (a name the code page cannot spell, without a short form) as well. A place
// listed already is ticked again rather than listed twice.
void TMainForm::AddPointedRows(const std::vector<std::wstring> &paths) {
    std::vector<std::wstring> listed;
    for (const TPointedRow &row : pointedRows_)
        listed.push_back(row.shown);
    const std::vector<std::wstring> roots = ExistingRoots(paths);
    TListView drives(Control(IDC_DRIVELIST));
    for (int row = 0; row < drives.Count(); ++row) {
        const LPARAM pointed = drives.Data(row);
        for (const std::wstring &root : roots)
            if (pointed > 0 && scanner::SamePointedRoot(pointedRows_[pointed - 1].shown, root))
                drives.SetChecked(row, true);
    }
    int top = 0;
    for (const std::wstring &root : scanner::NewPointedRoots(listed, roots)) {
        const std::string walked = ScanRootForEngine(root);
        if (walked.empty()) {
            Line("Ignored [" + brenvald::Utf8FromWide(root) + "] - [No path the engine can open]",
                 scanner::LogKind::IgnoredFile);
            continue;
        }
        pointedRows_.push_back({root, walked});
        const int row = drives.InsertWide(top++, root, I_IMAGENONE,
                                          static_cast<LPARAM>(pointedRows_.size()));
        drives.SetChecked(row, true);
    }
}

// The scan root of each path that is there; a path gone is logged.
std::vector<std::wstring> TMainForm::ExistingRoots(const std::vector<std::wstring> &paths) {
    std::vector<std::wstring> roots;
    for (const std::wstring &path : paths) {
        if (!scanner::IsPointablePath(path)) {
            Line("Ignored [" + brenvald::Utf8FromWide(path) + "] - [Not a file or folder on a drive]",
                 scanner::LogKind::IgnoredFile);
            continue;
        }
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            Line("Ignored [" + brenvald::Utf8FromWide(path) + "] - [No such file or folder]",
                 scanner::LogKind::IgnoredFile);
        else
            roots.push_back(
                scanner::PointedScanRoot(path, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0));
    }
    return roots;
}

void TMainForm::BaseLogLine(WPARAM kind, LPARAM text) {
    Line(*TakePostedText(text), static_cast<scanner::LogKind>(kind));
}

void TMainForm::BaseBox(WPARAM box, LPARAM text) {
    const std::unique_ptr<std::string> shown = TakePostedText(text);
    switch (static_cast<LoadBox>(box)) {
    case LoadBox::ErrorReport: prompts_.ErrorReport(*shown); break;
    case LoadBox::Information: prompts_.Information(*shown); break;
    case LoadBox::Warning: prompts_.Warning(*shown); break;
    }
}

// The table is the window's from here on: pointed paths waiting for it are
// added, and a close asked meanwhile goes ahead.
void TMainForm::BasesLoaded() {
    baseLoading_.Finish();
    basesLoaded_ = true;
    SetStatus(kReadyStatus);
    EnableCommand(IDC_BITBTN3, IDM_SCAN1, true);
    TakeWaitingPaths();
    CloseWhenIdle();
}

std::string TMainForm::BasesFolder() const { return programFolder_.Shown + "Bases\\"; }

void TMainForm::FillDriveList() {
    TListView drives(Control(IDC_DRIVELIST));
    drives.Clear();
    for (const scanner::DriveItem &drive : scanner::FillDriveList())
        drives.Append(drive.Caption, drive.ImageIndex);
}

// --- TScanWindow ---

// Log lines and results show real names: wide items from UTF-8 texts.
void TMainForm::Line(const std::string &text, scanner::LogKind) {
    const int row = TListView(Control(IDC_LOGLIST)).AppendWide(brenvald::WideFromShownText(text));
    FittedList(IDC_LOGLIST)->RowAdded(row);
}

// The quarantine acts on the real path (wide calls); beside it the row shows
// the definition's name, which Fix & Continue records with the file.
void TMainForm::Detection(const std::string &shownPath, const std::string &,
                          const std::string &name) {
    TListView results(Control(IDC_LISTVIEW2));
    const int row = results.AppendWide(brenvald::WideFromShownText(shownPath));
    results.SetTextWide(row, kResultNameColumn, brenvald::WideFromShownText(name));
    FittedList(IDC_LISTVIEW2)->RowAdded(row);
}

void TMainForm::ClearResults() {
    TListView(Control(IDC_LISTVIEW2)).Clear();
    TListView(Control(IDC_LISTVIEW1)).Clear();
    FittedList(IDC_LISTVIEW2)->Cleared();
    FittedList(IDC_LISTVIEW1)->Cleared();
}

void TMainForm::Counters(const scanner::ScanState &state) {
    SetCaption(Control(IDC_LB_SCANNEDFILES), std::to_string(state.ScannedFiles));
    SetCaption(Control(IDC_LB_SCANNEDMB), scanner::MegabytesText(state.ScannedMB));
    SetCaption(Control(IDC_LB_INFECTED), std::to_string(state.Infected));
    SetCaption(Control(IDC_LB_SKIPPED), std::to_string(state.Skipped));
}

void TMainForm::SetStatus(const std::string &text) {
    SetWindowTextW(Control(IDC_LABEL4), brenvald::WideFromShownText(text).c_str());
}

void TMainForm::Progress(int position) {
    SendMessageA(Control(IDC_PROGRESSBAR1), PBM_SETPOS, position, 0);
}

void TMainForm::EnableCommand(int buttonId, int menuId, bool enabled) {
    EnableWindow(Control(buttonId), enabled ? TRUE : FALSE);
    EnableMenuItem(GetMenu(window_), menuId, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void TMainForm::SetCommandState(scanner::CommandState state) {
    EnableCommand(IDC_BITBTN3, IDM_SCAN1, state != scanner::CommandState::Busy);
    EnableCommand(IDC_BITBTN4, IDM_PAUSE1, state != scanner::CommandState::Idle);
    EnableCommand(IDC_BITBTN5, IDM_STOP1, state != scanner::CommandState::Idle);
}

void TMainForm::RelayoutList(int listId) {
    TListView(Control(listId)).Relayout();
    if (TFittedList *fitted = FittedList(listId))
        fitted->Fit();
}

TFittedList *TMainForm::FittedList(int listId) {
    auto found = fittedLists_.find(listId);
    return found == fittedLists_.end() ? nullptr : &found->second;
}

void TMainForm::AddFittedList(int listId) { fittedLists_[listId] = TFittedList(Control(listId)); }

// The old page is hidden before the new one shows, so no one ever sees two
// pages at once, not even a program reading the window from outside.
void TMainForm::ShowPage(scanner::Page page) {
    const int shown = static_cast<int>(page) - 1;
    for (int index = 0; index < 5; ++index)
        if (index != shown)
            ShowWindow(pages_[index], SW_HIDE);
    ShowWindow(pages_[shown], SW_SHOW);
    RelayoutList(ListOfPage(page));
    KeepFocusShown();
}

// A control of a hidden page keeps no focus: the keys would go to it, and
// Alt with a letter would press a button of the hidden page. The focus moves
// to the first control the Tab key reaches.
void TMainForm::KeepFocusShown() const {
    HWND focus = GetFocus();
    if (!focus || !IsChild(window_, focus) || IsWindowVisible(focus))
        return;
    if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE))
        SetFocus(first);
}

// The scan's way of keeping the window alive: every pending message is
// handled, command handlers included, which stop the run themselves. A quit
// request is left in the queue for the main loop.
bool TMainForm::GoOn() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return true;
        }
        if (TranslateDialogKeys(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

bool TMainForm::TranslateDialogKeys(MSG &message) const {
    return window_ && IsDialogMessageA(window_, &message);
}

int TMainForm::DriveCount() { return TListView(Control(IDC_DRIVELIST)).Count(); }

bool TMainForm::DriveTicked(int index, std::string &root) {
    TListView drives(Control(IDC_DRIVELIST));
    if (!drives.Checked(index))
        return false;
    const LPARAM pointed = drives.Data(index);
    root = pointed > 0 ? pointedRows_[static_cast<size_t>(pointed) - 1].walked : drives.Text(index);
    return true;
}

// --- Closing ---

// Every way of closing asks the question; the answer never keeps the window
// open. A scan under way is told to stop, and the window is destroyed only
// once the scan's handler has returned, never under its feet.
void TMainForm::FormCloseQuery() {
    if (closing_)
        return;  // asked already; waiting for the scan to unwind
    closing_ = true;
    if (prompts_.Confirm(kMoreSpywareQuestion))
        scanner::OpenTrialPage(prompts_);
    closeAnswered_ = true;
    scanRun_->ClearScanFlags();
    baseLoading_.RequestStop();
    CloseWhenIdle();
}

// A load under way ends after its base; the window goes once it has, and
// never while the close question is still showing (a load may end then).
void TMainForm::CloseWhenIdle() {
    if (closeAnswered_ && window_ && !scanRun_->RunInProgress() && !baseLoading_.Loading())
        DestroyWindow(window_);
}

// --- Command handlers ---

void TMainForm::BitBtn1Click() {
    scanRun_->ClearScanFlags();
    SendMessageA(window_, WM_CLOSE, 0, 0);
}

void TMainForm::BitBtn2Click() { aboutForm_->ShowModal(window_); }

void TMainForm::BitBtn3Click() {
    // Scan is disabled while bases load: the table is the worker's then.
    if (baseLoading_.Loading())
        return;
    scanRun_->StartOrResumeScan();
    CloseWhenIdle();
    TakeWaitingPaths();
}

void TMainForm::BitBtn4Click() { scanRun_->Pause(); }

void TMainForm::BitBtn5Click() { scanRun_->Stop(); }

void TMainForm::BitBtn6Click() { ShowPage(scanner::Page::Log); }

// With no definition loaded, "up to date" would be a comfort that means nothing.
void TMainForm::BitBtn7Click() {
    if (baseLoading_.Loading())
        prompts_.Information(kStillLoading);
    else if (definitions_.RecordCount() == 0)
        prompts_.Information(scanner::NoDefinitionsUpdateText(BasesFolder()));
    else
        prompts_.Information(kUpToDate);
}

scanner::QuarantineHost TMainForm::QuarantineCommandHost() {
    return scanner::QuarantineHost{
        prompts_,
        [this](const std::string &line) { Line(line, scanner::LogKind::Plain); },
        [this](scanner::Page page) { ShowPage(page); }};
}

void TMainForm::FillQuarantineList(const std::vector<scanner::QuarantineRow> &rows) {
    TListView list(Control(IDC_LISTVIEW1));
    list.Clear();
    FittedList(IDC_LISTVIEW1)->Cleared();
    for (const scanner::QuarantineRow &row : rows) {
        const int position = list.AppendWide(brenvald::WideFromShownText(row.caption),
                                             row.present ? 0 : kStoredFileMissing);
        list.SetTextWide(position, 1, brenvald::WideFromShownText(row.storedName));
        list.SetTextWide(position, 2, brenvald::WideFromShownText(row.description));
        list.SetTextWide(position, 3, brenvald::WideFromShownText(row.timeStamp));
        FittedList(IDC_LISTVIEW1)->RowAdded(position);
    }
}

void TMainForm::BitBtn8Click() {
    scanner::QuarantineHost host = QuarantineCommandHost();
    FillQuarantineList(scanner::OpenQuarantine(quarantine_->store(), host));
    RelayoutList(IDC_LISTVIEW1);
}

void TMainForm::BitBtn9Click() {
    scanner::QuarantineHost host = QuarantineCommandHost();
    TCheckListAdapter results(TListView(Control(IDC_LISTVIEW2)), kResultNameColumn);
    scanner::FixAndContinue(quarantine_->store(), results, host);
}

void TMainForm::BitBtn10Click() { ShowPage(scanner::Page::Drives); }

void TMainForm::BitBtn11Click() {
    scanner::QuarantineHost host = QuarantineCommandHost();
    TCheckListAdapter rows(TListView(Control(IDC_LISTVIEW1)));
    scanner::DeleteChecked(quarantine_->store(), rows, host);
}

void TMainForm::BitBtn14Click() {
    scanner::QuarantineHost host = QuarantineCommandHost();
    TCheckListAdapter rows(TListView(Control(IDC_LISTVIEW1)));
    scanner::RestoreChecked(quarantine_->store(), rows, host);
}

void TMainForm::RestoreTo1Click() {
    scanner::QuarantineHost host = QuarantineCommandHost();
    TCheckListAdapter rows(TListView(Control(IDC_LISTVIEW1)));
    scanner::RestoreCheckedTo(quarantine_->store(), rows, host);
}

void TMainForm::BitBtn15Click() { ShowPage(scanner::Page::Results); }

void TMainForm::Morefeatures1Click() { scanner::OpenTrialPage(prompts_); }

void TMainForm::Homepage1Click() { prompts_.OpenAddress(scanner::WebSiteAddress, false); }

void TMainForm::Support1Click() { prompts_.OpenAddress(scanner::SupportMailLink, false); }

// Buttons and menu items that share a command share its handler.
bool TMainForm::Command(int controlId) {
    switch (controlId) {
    case IDC_BITBTN3: case IDM_SCAN1: BitBtn3Click(); break;
    case IDC_BITBTN4: case IDM_PAUSE1: BitBtn4Click(); break;
    case IDC_BITBTN5: case IDM_STOP1: BitBtn5Click(); break;
    case IDC_BITBTN8: case IDM_QUARANTINE1: BitBtn8Click(); break;
    case IDC_BITBTN7: case IDM_UPDATE1: BitBtn7Click(); break;
    case IDC_BITBTN2: case IDM_ABOUT1: BitBtn2Click(); break;
    case IDC_BITBTN1: case IDM_EXIT1: BitBtn1Click(); break;
    case IDC_BITBTN6: case IDM_REPORT1: BitBtn6Click(); break;
    case IDC_BITBTN9: BitBtn9Click(); break;
    case IDC_BITBTN11: BitBtn11Click(); break;
    case IDC_BITBTN14: BitBtn14Click(); break;
    case IDC_BITBTN15: BitBtn15Click(); break;
    case IDC_BITBTN12: case IDC_BITBTN13: BitBtn10Click(); break;
    case IDM_MOREFEATURES1: Morefeatures1Click(); break;
    case IDM_HOMEPAGE1: Homepage1Click(); break;
    case IDM_SUPPORT1: Support1Click(); break;
    default: return false;
    }
    return true;
}

// --- Drawing ---

// Attached to the log, drawing nothing of its own: every line looks alike.
LRESULT TMainForm::LogListCustomDrawItem(NMLVCUSTOMDRAW &) { return CDRF_DODEFAULT; }

// Rows whose stored file has gone from the quarantine folder show light red.
LRESULT TMainForm::ListView1CustomDrawItem(NMLVCUSTOMDRAW &draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw.nmcd.lItemlParam == kStoredFileMissing) {
        draw.clrTextBk = kMissingRow;
        return CDRF_NEWFONT;
    }
    return CDRF_DODEFAULT;
}

// Ctrl+C copies the selected lines of a list (all when none is selected),
// Ctrl+A selects every line.
bool TMainForm::ListKeyDown(const NMLVKEYDOWN &key) {
    if (!FittedList(static_cast<int>(key.hdr.idFrom)) || GetKeyState(VK_CONTROL) >= 0)
        return false;
    TListView list(key.hdr.hwndFrom);
    if (key.wVKey == 'C') {
        if (!CopyRowsToClipboard(window_, list))
            MessageBeep(MB_ICONWARNING);
        return true;
    }
    if (key.wVKey == 'A') {
        list.SelectAll();
        return true;
    }
    return false;
}

bool TMainForm::ListContextMenu(HWND list, LPARAM position) {
    if (!list || !FittedList(GetDlgCtrlID(list)) || Control(GetDlgCtrlID(list)) != list)
        return false;
    const bool quarantineList = GetDlgCtrlID(list) == IDC_LISTVIEW1;
    const int chosen =
        TrackListMenu(window_, list, position, quarantineList ? IDM_QUARANTINEMENU : IDM_LISTMENU);
    if (chosen == IDM_COPY && !CopyRowsToClipboard(window_, TListView(list)))
        MessageBeep(MB_ICONWARNING);
    if (chosen == IDM_RESTORETO)
        RestoreTo1Click();
    return true;
}

LRESULT TMainForm::Notify(const NMHDR &header) {
    if (header.code == NM_SETFOCUS && Control(static_cast<int>(header.idFrom)) == header.hwndFrom &&
        ClassIs(header.hwndFrom, WC_LISTVIEWA)) {
        ListFocused(header.hwndFrom);
        return 0;
    }
    if (header.code == LVN_KEYDOWN) {
        ListKeyDown(*reinterpret_cast<const NMLVKEYDOWN *>(&header));
        return 0;
    }
    if (header.code != NM_CUSTOMDRAW)
        return 0;
    auto &draw = *reinterpret_cast<NMLVCUSTOMDRAW *>(const_cast<NMHDR *>(&header));
    if (header.idFrom == IDC_LOGLIST)
        return LogListCustomDrawItem(draw);
    if (header.idFrom == IDC_LISTVIEW1)
        return ListView1CustomDrawItem(draw);
    return CDRF_DODEFAULT;
}

// Headings are white on their strips (which draw them); four counter values
// are dark red.
HBRUSH TMainForm::ColourStatic(HWND label, HDC dc) {
    const int controlId = GetDlgCtrlID(label);
    if (IsHeading(controlId)) {
        SetTextColor(dc, RGB(255, 255, 255));
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    if (IsDarkRedValue(controlId))
        SetTextColor(dc, kCounterRed);
    return GetSysColorBrush(COLOR_BTNFACE);
}

// --- Window procedure ---

LRESULT TMainForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND:
        if (Command(LOWORD(wParam)))
            return 0;
        break;
    case WM_NOTIFY:
        return Notify(*reinterpret_cast<NMHDR *>(lParam));
    case WM_CONTEXTMENU:
        if (ListContextMenu(reinterpret_cast<HWND>(wParam), lParam))
            return 0;
        break;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(
            ColourStatic(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
    case WM_DROPFILES: {
        const auto drop = reinterpret_cast<HDROP>(wParam);
        std::vector<std::wstring> dropped = DroppedPaths(drop);
        DragFinish(drop);
        PointAt(dropped, false);
        return 0;
    }
    case WM_COPYDATA: {
        std::vector<std::wstring> handed = HandedOverPaths(*reinterpret_cast<COPYDATASTRUCT *>(lParam));
        if (handed.empty())
            return FALSE;
        PointAt(handed, true);
        return TRUE;
    }
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO:
        MinMaxInfo(*reinterpret_cast<MINMAXINFO *>(lParam));
        return 0;
    case WM_DPICHANGED:
        DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_CLOSE:
        FormCloseQuery();
        return 0;
    case kBaseLogLine:
        BaseLogLine(wParam, lParam);
        return 0;
    case kBaseBox:
        BaseBox(wParam, lParam);
        return 0;
    case kBasesLoaded:
        BasesLoaded();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK TMainForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto *form = static_cast<TMainForm *>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto *form = reinterpret_cast<TMainForm *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        form->window_ = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return form->Handle(message, wParam, lParam);
}

} // namespace window
