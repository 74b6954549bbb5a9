// TMainForm: the scanner's main window. It is a view: it lays out the
// controls, adapts them to the scan run (TScanWindow) and to the quarantine
// commands (ICheckList), and maps every button and menu item to a handler
// that calls the logic in scanner_core.
#pragma once

#include "AboutFrm.h"
#include "BaseLoading.h"
#include "Controls.h"
#include "Definitions.h"
#include "DisplayScale.h"
#include "FolderSearch.h"
#include "GdiHandle.h"
#include "GradFill.h"
#include "ListText_win.h"
#include "QuarantineCommands.h"
#include "QuarantineFiles_win.h"
#include "ScanRun.h"
#include "WindowPrompts.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace window {

// ICheckList over a list view with check boxes. Captions are read wide and
// handed on in UTF-8: a row of the results or the quarantine list stands for
// its file by the real path it shows. The results list shows each row's
// definition name in a column of its own.
class TCheckListAdapter : public scanner::ICheckList {
public:
    static constexpr int kNoNameColumn = -1;
    explicit TCheckListAdapter(TListView list, int nameColumn = kNoNameColumn)
        : list_(list), nameColumn_(nameColumn) {}
    int RowCount() const override { return list_.Count(); }
    std::string Caption(int row) const override { return brenvald::Utf8FromWide(list_.TextWide(row)); }
    bool Checked(int row) const override { return list_.Checked(row); }
    void SetChecked(int row, bool checked) override { list_.SetChecked(row, checked); }
    void RemoveRow(int row) override { list_.Remove(row); }
    std::string Name(int row) const override {
        return nameColumn_ == kNoNameColumn ? std::string()
                                            : brenvald::Utf8FromWide(list_.TextWide(row, nameColumn_));
    }

private:
    TListView list_;
    int nameColumn_;
};

// A column of a line list: its caption (never shown, but copied) and its
// width; the first column takes what the others leave, a width of 0 keeps
// a column's texts unseen.
struct TListColumn {
    const char *caption;
    int width;
};

class TMainForm : public scanner::TScanWindow {
public:
    TMainForm();
    ~TMainForm() override;
    TMainForm(const TMainForm &) = delete;
    TMainForm &operator=(const TMainForm &) = delete;

    static void Register(HINSTANCE instance);
    // Creates the window and its controls, runs FormCreate, then shows the
    // window centred on the desktop. False when the window cannot be made.
    bool Create(HINSTANCE instance, int showCommand);
    // Keyboard navigation between the controls (Tab, arrows, the buttons'
    // mnemonics); true when the message was handled that way.
    bool TranslateDialogKeys(MSG &message) const;
    // Files and folders the user points at (the command line, a drop, a
    // second start): one ticked row each at the top of the drive list, and
    // the Scan command when startScan is set. Before the bases are loaded,
    // and while a run is under way (its drive list must not shift), they
    // wait; a run under way is not followed by another.
    void PointAt(const std::vector<std::wstring> &paths, bool startScan);

    // TScanWindow
    void Line(const std::string &text, scanner::LogKind kind) override;
    void Detection(const std::string &shownPath, const std::string &ansiPath,
                   const std::string &name) override;
    void Counters(const scanner::ScanState &state) override;
    void Progress(int position) override;
    bool GoOn() override;
    void ClearResults() override;
    void SetStatus(const std::string &text) override;
    void SetCommandState(scanner::CommandState state) override;
    void ShowPage(scanner::Page page) override;
    int DriveCount() override;
    bool DriveTicked(int index, std::string &root) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void KeepFocusShown() const;

    // Layout (MainFrmLayout.cpp).
    void CreateControls();
    void CreateLeftPanel();
    void CreatePages();
    HWND CreatePage(int page, const char *caption, const char *heading, bool red);
    void CreateDrivePage();
    void CreateLogPage();
    void CreateResultsPage();
    void CreateCountersPage();
    void CreateQuarantinePage();
    HWND CreateList(HWND page, int controlId, DWORD extendedStyle, DWORD view);
    HWND CreateLineList(HWND page, int controlId, DWORD extendedStyle,
                        const std::vector<TListColumn> &columns);
    void CreatePageButton(HWND page, int controlId, const char *caption, int glyphId);
    HWND CreateGlyphButton(HWND parent, int controlId, const char *caption, int glyphId,
                           bool enabled);
    void CreateFonts();
    void ApplyFonts();
    void LoadArtwork();
    // Places every control for the client size and the DPI.
    void Layout();
    void LayoutLeftPanel(int height);
    void LayoutHeading(int page, int width);
    void LayoutPageBody(int page, int width, int height);
    void LayoutCounters(int width);
    int ButtonHeight() const;
    int GlyphButtonWidth(int buttonId) const;
    int LeftButtonWidth() const;
    int LeftPanelWidth() const;
    int LeftPanelHeight() const;
    int StripHeight() const;
    int BodyTop() const;
    std::vector<int> PageButtonWidths(int page) const;
    int CounterRowHeight() const;
    int CounterRowStep() const;
    int CounterCaptionWidth() const;
    int ErrorsRowTop() const;
    int CounterPanelHeight() const;
    display::ClientSize PageContentSize() const;
    // Today's client area at the window's DPI, or more where the text needs it.
    display::ClientSize MinimumClientSize() const;
    // The frame around a client area of this size, at the window's DPI.
    SIZE FrameSize(display::ClientSize client) const;
    void SetClientSize(display::ClientSize client);
    // A move to a monitor of another DPI: new fonts and artwork, the
    // system's suggested place, and the layout again.
    void DpiChanged(int dpi, const RECT &suggested);
    void MinMaxInfo(MINMAXINFO &info) const;
    // A list that takes the focus shows a focused row.
    void ListFocused(HWND list) const;

    // Handlers.
    void FormCreate();
    // The worker's messages: a log line, a box, the end of the load.
    void BaseLogLine(WPARAM kind, LPARAM text);
    void BaseBox(WPARAM box, LPARAM text);
    void BasesLoaded();
    void FormCloseQuery();
    void CloseWhenIdle();
    bool Command(int controlId);
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void BitBtn9Click();
    void BitBtn10Click();
    void BitBtn11Click();
    void BitBtn14Click();
    void BitBtn15Click();
    void RestoreTo1Click();
    void Morefeatures1Click();
    void Homepage1Click();
    void Support1Click();
    LRESULT Notify(const NMHDR &header);
    bool ListKeyDown(const NMLVKEYDOWN &key);
    bool ListContextMenu(HWND list, LPARAM position);
    LRESULT LogListCustomDrawItem(NMLVCUSTOMDRAW &draw);
    LRESULT ListView1CustomDrawItem(NMLVCUSTOMDRAW &draw);
    HBRUSH ColourStatic(HWND label, HDC dc);

    void FillDriveList();
    // Where definition bases go: Bases\ in the program folder.
    std::string BasesFolder() const;
    // Pointed paths waiting for the end of the base loading or of a run.
    void TakeWaitingPaths();
    void AddPointedRows(const std::vector<std::wstring> &paths);
    std::vector<std::wstring> ExistingRoots(const std::vector<std::wstring> &paths);
    void FillQuarantineList(const std::vector<scanner::QuarantineRow> &rows);
    scanner::QuarantineHost QuarantineCommandHost();
    void EnableCommand(int buttonId, int menuId, bool enabled);
    // Every control by its id, whichever panel or page holds it.
    HWND Control(int controlId) const;
    HWND AddControl(HWND control);
    void RelayoutList(int listId);
    // The log, results and quarantine lists, whose column follows the
    // widest line; null for the drive list.
    TFittedList *FittedList(int listId);
    void AddFittedList(int listId);

    HWND window_ = nullptr;
    HWND pageControl_ = nullptr;
    HWND pages_[5] = {};
    HWND leftPanel_ = nullptr;
    HWND countersPanel_ = nullptr;
    HWND logoFrame_ = nullptr;
    std::vector<HWND> counterCaptions_;
    // Each page's buttons, right to left.
    std::vector<int> pageButtons_[5];
    // Every glyph button's id with its glyph's bitmap id.
    std::vector<std::pair<int, int>> glyphButtons_;
    display::DisplayScale scale_;
    int lineHeight_ = 0;
    int boldLineHeight_ = 0;
    std::map<int, HWND> controls_;
    std::vector<HWND> allControls_;
    brenvald::GdiObject<HFONT> font_;
    brenvald::GdiObject<HFONT> boldFont_;
    brenvald::GdiObject<HBITMAP> logo_;
    brenvald::IconHandle pageIcons_[5];
    brenvald::ImageListHandle driveImages_;
    std::vector<brenvald::ImageListHandle> glyphs_;
    std::map<int, TFittedList> fittedLists_;

    scanner::TProgramFolder programFolder_;
    TWindowPrompts prompts_;
    scanner::TDefinitions definitions_;
    // Declared after the table it fills, so that it ends before the table goes.
    TBaseLoading baseLoading_{definitions_};
    std::unique_ptr<scanner::TScanRun> scanRun_;
    std::unique_ptr<scanner::SystemQuarantine> quarantine_;
    std::unique_ptr<TAboutForm> aboutForm_;
    // The close question has been asked (once is enough), and answered: the
    // window goes once no scan handler is on the stack and no load runs.
    bool closing_ = false;
    bool closeAnswered_ = false;
    bool basesLoaded_ = false;
    // Pointed paths waiting for the bases or for the end of a run, and
    // whether the Scan command is to follow them.
    std::vector<std::wstring> waitingPaths_;
    bool waitingScan_ = false;
    // The rows pointed at, by the number each row carries (from 1): the
    // root the row shows (wide) and the ANSI root the run walks.
    struct TPointedRow {
        std::wstring shown;
        std::string walked;
    };
    std::vector<TPointedRow> pointedRows_;
};

} // namespace window
