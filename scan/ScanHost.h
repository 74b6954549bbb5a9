// What the scan run, the per-file check, the loading of bases and the
// quarantine commands report to and ask of whoever shows them: the main
// window, the console tool, a bench or a test. The scan logic lives in units
// that never touch a window; they report and ask through these interfaces
// only.
#pragma once

#include "WebAddresses.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scanner {

// Kinds of log line; the log draws them all alike.
enum class LogKind { Plain = 0, IgnoredFile = 1, Detection = 2, BaseLoaded = 3 };

// Enabled states of the Scan, Pause and Stop buttons and menu items.
enum class CommandState { Idle, Busy, Paused };

// The pages of the main window's page control (TabSheet1 to TabSheet5).
enum class Page { Drives = 1, Log = 2, Results = 3, Counters = 4, Quarantine = 5 };

// The scan flags and counters of one run.
struct ScanState {
    bool Scanning = false;
    bool Paused = false;
    int32_t ScannedFiles = 0;
    int32_t Skipped = 0;
    int32_t Infected = 0;
    double ScannedMB = 0.0;
};

// The log of a load or a scan, and the point where it lets the window answer.
// Every call is made on the thread that runs the scan. Texts are UTF-8 and
// show each path with its real name (older callers may still hand in ANSI
// text, which never reads as UTF-8: hosts fall back to the ANSI code page
// for it). Each method does nothing unless a host overrides it.
class TLogLines {
public:
    virtual ~TLogLines() = default;
    // One line at the end of the log. A file or folder passed over is a line
    // of kind IgnoredFile; a detection, one of kind Detection.
    virtual void Line(const std::string &text, LogKind kind) {
        (void)text;
        (void)kind;
    }
    // "Go on?", asked before each file and while bases load: the window
    // handles its pending messages here, so its Pause, Stop and Exit
    // handlers may run inside this call. False stops a scan (a load goes on).
    virtual bool GoOn() { return true; }
};

// What a scan reports besides its log.
class TScanReport : public TLogLines {
public:
    // A detected file: shownPath is its real path, ansiPath the path the
    // engine checked (perhaps its short form); empty for a file that no ANSI
    // path reaches, which the check decided from its own read alone. name is
    // the matching definition's name, as the detection's log line gives it.
    virtual void Detection(const std::string &shownPath, const std::string &ansiPath,
                           const std::string &name) {
        (void)shownPath;
        (void)ansiPath;
        (void)name;
    }
    // The counters, after each file's check and once more at the end.
    virtual void Counters(const ScanState &state) { (void)state; }
    // The progress of a run, 0 to 1000.
    virtual void Progress(int position) { (void)position; }
};

// A scan or a load that shows nothing and keeps the real path of each
// detection, so that its caller can check what was found: the host of
// bvxtool check and of the benches.
class TQuietScan : public TScanReport {
public:
    void Detection(const std::string &shownPath, const std::string &, const std::string &) override {
        Detected.push_back(shownPath);
    }
    std::vector<std::string> Detected;
};

// What only the window shows of a run started by its Scan command, and the
// drives it walks.
class TScanWindow : public TScanReport {
public:
    // Empties the results list (ListView2) and the quarantine list (ListView1).
    virtual void ClearResults() = 0;
    // The status label (Label4).
    virtual void SetStatus(const std::string &text) = 0;
    // Enables the Scan, Pause and Stop buttons and menu items for a state.
    virtual void SetCommandState(CommandState state) = 0;
    // Shows a page and re-lays out its list: DriveList for Drives, LogList for
    // Log and for Counters (the scan start shows the counters page and
    // re-lays out the log), ListView2 for Results, ListView1 for Quarantine.
    virtual void ShowPage(Page page) = 0;
    // The drive list, read live: its length as the run starts, and before
    // each drive whether it is ticked (the user may tick one during the run)
    // and its root folder.
    virtual int DriveCount() = 0;
    virtual bool DriveTicked(int index, std::string &root) = 0;
};

// Modal boxes and shell opens: the window shows real boxes, tests answer them.
class IPrompts {
public:
    virtual ~IPrompts() = default;
    // Information box: caption "Information", button "OK".
    virtual void Information(const std::string &text) = 0;
    // Warning box: caption "Warning", button "OK".
    virtual void Warning(const std::string &text) = 0;
    // Confirmation box: caption "Confirm", buttons "&Yes" and "&No"; true on Yes.
    virtual bool Confirm(const std::string &text) = 0;
    // The same box with the warning icon, for a question whose Yes goes on
    // against advice; hosts without icons ask it as Confirm does.
    virtual bool ConfirmWarning(const std::string &text) { return Confirm(text); }
    // The application's standard error report: a box with the error's text.
    virtual void ErrorReport(const std::string &text) = 0;
    // The shell's default action for an address, no verb, no parameters.
    virtual void OpenAddress(const std::string &address, bool maximised) = 0;
    // Lets the user pick a folder, the title saying what for; its path in
    // UTF-8, or empty when none was picked. A host that cannot ask picks none.
    virtual std::string PickFolder(const std::string &title) {
        (void)title;
        return std::string();
    }
};

// Opens the product's trial page, maximised.
inline void OpenTrialPage(IPrompts &prompts) { prompts.OpenAddress(TrialPageAddress, true); }

} // namespace scanner
