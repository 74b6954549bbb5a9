// The scan run: the Scan, Pause and Stop commands, the folder walk and the
// per-file check, with everything they show or ask going through IScanHost
// (the window's lists, labels, pages and buttons) and IPrompts (modal boxes,
// shell opens). The window, the console tool and the tests each implement
// these two interfaces; nothing here touches a window.
#pragma once

#include "FolderSearch.h"
#include "ScanHost.h"

#include <string>
#include <vector>

namespace scanner {

class IEngine;
class TDefinitions;

// What the scan reports to and asks of whoever shows it. Every call is made
// on the thread that runs the scan.
//
// Texts given to the host are UTF-8 and show each path with its real name,
// as the user knows it (older callers may still hand in ANSI text, which
// never reads as UTF-8: hosts fall back to the ANSI code page for it). The
// engine is given ANSI paths instead, which may be short forms of the real
// ones; AddResultFile carries both.
class IScanHost {
public:
    virtual ~IScanHost() = default;

    // Appends one line at the end of the log list (LogList).
    virtual void AddToLog(const std::string &text, LogKind kind) = 0;
    // Appends one unchecked row to the results list (ListView2), showing path.
    virtual void AddResult(const std::string &path) = 0;
    // The same for a detected file: shownPath is its real path (the row's
    // caption), ansiPath the path the engine checked, for hosts that report
    // both.
    virtual void AddResultFile(const std::string &shownPath, const std::string &ansiPath) {
        (void)ansiPath;
        AddResult(shownPath);
    }
    // Empties the results list (ListView2) and the quarantine list (ListView1).
    virtual void ClearResults() = 0;
    // Writes the four counter labels from the state, in this order:
    // lb_scannedfiles, lb_scannedmb (MegabytesText), lb_infected, lb_skipped.
    virtual void ShowCounters(const ScanState &state) = 0;
    // The status label (Label4).
    virtual void SetStatus(const std::string &text) = 0;
    // The progress bar (ProgressBar1), range 0 to 1000.
    virtual int GetProgress() = 0;
    virtual void SetProgress(int position) = 0;
    // Enables the Scan, Pause and Stop buttons and menu items for a state.
    virtual void SetCommandState(CommandState state) = 0;
    // Shows a page and re-lays out its list: DriveList for Drives, LogList for
    // Log and for Counters (the scan start shows the counters page and
    // re-lays out the log), ListView2 for Results, ListView1 for Quarantine.
    virtual void ShowPage(Page page) = 0;
    // Lets the window handle all pending messages; command handlers (Pause,
    // Stop, Exit...) may run inside this call.
    virtual void ProcessMessages() = 0;
    // The drive list, read live: the user may tick items during a run.
    virtual int DriveCount() = 0;
    virtual bool DriveChecked(int index) = 0;
    virtual std::string DriveCaption(int index) = 0;
};

// The label text of ScannedMB: rounded to the nearest integer, halves to the
// even integer.
std::string MegabytesText(double megabytes);

// Opens the product's trial page, maximised.
void OpenTrialPage(IPrompts &prompts);

class TScanRun {
public:
    // definitions may be null or unavailable (the table could not be
    // allocated): Scan then tells the user instead of scanning.
    TScanRun(IScanHost &host, IPrompts &prompts, const TDefinitions *definitions);
    TScanRun(IScanHost &host, IPrompts &prompts, const TDefinitions *definitions,
             IEngine &engine);

    // Scan: starts a run over the checked drives, or resumes a paused one.
    void BitBtn3Click();
    // Pause.
    void BitBtn4Click();
    // Stop.
    void BitBtn5Click();
    // Exit, and a close of the window by any other way during a scan: clears
    // Scanning and Paused so that a running scan unwinds. A run under way
    // then ends without its closing box and page change (the window is going).
    void ClearScanFlags();
    // True while a Scan command is under way (on the call stack); the window
    // must not be torn down then, but close once BitBtn3Click returns.
    bool RunInProgress() const { return runDepth_ > 0; }

    // The walk of one folder path ending with a backslash, and the check of one
    // file; both need Scanning set, as a run sets it for each drive. ScanFile
    // takes the ANSI path the engine opens; the log and the results show the
    // walk's real path for it when the walk passed one.
    void ScanFolder(const std::string &folder);
    void ScanFile(const std::string &path);
    // The drive loop of a run over fixed roots (folder paths ending with a
    // backslash), without boxes or pages: the console tool's run.
    void ScanRoots(const std::vector<std::string> &roots);

    const ScanState &State() const { return state_; }
    ScanState &State() { return state_; }

private:
    bool StartRun();
    bool WalkRoot(const std::string &root);
    void WalkFolder(const TWalkFolder &root);
    bool WalkFile(const TWalkFolder &folder, bool excluded, const FolderEntry &entry);
    void SkipUnreachableFile(const std::string &shownPath, AnsiPathTrouble trouble);
    const std::string &ShownPath(const std::string &path) const;
    void EndRun();
    void WaitWhilePaused();
    bool ReadFileOnce(const std::string &path, std::string &fingerprint);
    void TakeSizeAndFingerprint(const std::string &path, std::string &fingerprint);
    void CountSize(uint64_t bytes);
    void ReportDetection(const std::string &path, int32_t slot);

    IScanHost &host_;
    IPrompts &prompts_;
    const TDefinitions *definitions_;
    IEngine &engine_;
    ScanState state_;
    int runDepth_ = 0;
    bool windowClosing_ = false;
    TEnteredFolders enteredFolders_;
    // The real path of the file the walk is checking, for its log lines.
    std::string shownPath_;
    std::string shownFor_;
};

} // namespace scanner
