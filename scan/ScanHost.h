// What the scan run, the per-file check and the quarantine commands need from
// whoever shows them: the main window, the console tool, or a test. The scan
// logic lives in units that never touch a window; they report and ask
// through these interfaces only.
#pragma once

#include <cstdint>
#include <string>

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
    // The application's standard error report: a box with the error's text.
    virtual void ErrorReport(const std::string &text) = 0;
    // The shell's default action for an address, no verb, no parameters.
    virtual void OpenAddress(const std::string &address, bool maximised) = 0;
};

} // namespace scanner
