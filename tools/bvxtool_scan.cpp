#include "bvxtool_scan.h"

#include "bvxtool_arguments.h"
#include "BaseReport.h"
#include "ReportText.h"

#include "Definitions.h"
#include "Engine.h"
#include "ProgramFolder.h"
#include "ScanRun.h"
#include "TextConversion.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <ostream>

namespace bvxtool {

namespace {

using scanner::LogKind;
using scanner::ScanState;

constexpr DWORD kProgressIntervalMs = 250;

// Ctrl+C and Ctrl+Break during a scan stop it as the window's Stop would; the
// run then ends normally, with its last log lines and the summary.
std::atomic<bool> stopRequested(false);

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    stopRequested = true;
    return TRUE;
}

class TConsoleCtrlHandler {
public:
    TConsoleCtrlHandler() {
        stopRequested = false;
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    }
    ~TConsoleCtrlHandler() { SetConsoleCtrlHandler(OnConsoleControl, FALSE); }
    TConsoleCtrlHandler(const TConsoleCtrlHandler &) = delete;
    TConsoleCtrlHandler &operator=(const TConsoleCtrlHandler &) = delete;
};

// Shows the scan on a console: every log line as a line of output, and, when
// out is a console, one progress line that each log line first clears.
class TConsoleHost : public scanner::TScanReport {
public:
    TConsoleHost(std::ostream &out, bool showProgress)
        : out_(out), showProgress_(showProgress), startTicks_(GetTickCount()) {}

    bool Interrupted() const { return interrupted_; }

    void Line(const std::string &text, LogKind) override {
        ClearProgress();
        out_ << text << "\n";
    }
    void Counters(const ScanState &state) override {
        DWORD now = GetTickCount();
        if (!showProgress_ || now - lastProgressTicks_ < kProgressIntervalMs)
            return;
        lastProgressTicks_ = now;
        std::string line = ProgressText(state.ScannedFiles, state.ScannedMB,
                                        (now - startTicks_) / 1000.0);
        size_t width = line.size();
        line.resize(std::max(width, progressWidth_), ' ');
        progressWidth_ = width;
        out_ << "\r" << line << std::flush;
    }
    // A Ctrl+C since the last file stops the scan.
    bool GoOn() override {
        if (!stopRequested.exchange(false))
            return true;
        interrupted_ = true;
        return false;
    }

    void ClearProgress() {
        if (progressWidth_ == 0)
            return;
        out_ << "\r" << std::string(progressWidth_, ' ') << "\r";
        progressWidth_ = 0;
    }

private:
    std::ostream &out_;
    bool showProgress_;
    DWORD startTicks_;
    DWORD lastProgressTicks_ = 0;
    size_t progressWidth_ = 0;
    bool interrupted_ = false;
};

// No boxes and no browser on a console: messages go to the error stream.
class TConsolePrompts : public scanner::IPrompts {
public:
    explicit TConsolePrompts(std::ostream &err) : err_(err) {}
    bool ErrorReported() const { return errorReported_; }

    void Information(const std::string &text) override { err_ << text << "\n"; }
    void Warning(const std::string &text) override { err_ << "warning: " << text << "\n"; }
    bool Confirm(const std::string &) override { return false; }
    void ErrorReport(const std::string &text) override {
        err_ << "error: " << text << "\n";
        errorReported_ = true;
    }
    void OpenAddress(const std::string &, bool) override {}

private:
    std::ostream &err_;
    bool errorReported_ = false;
};

// A path to scan: a folder (ending with a backslash) to walk, or a file the
// user named, checked whatever its name.
struct ScanRoot {
    std::string path;
    bool isFile = false;
};

struct ScanOptions {
    // The bases beside the program, unless --bases names a folder.
    scanner::TProgramFolder programFolder;
    std::string basesFolder;  // --bases DIR in ANSI, with a backslash; empty without
    std::string basesShown;   // the bases folder by its real name, for messages
    std::vector<ScanRoot> roots;
    bool strict = false;      // a base that fails to load stops the scan
};

// The full path of an argument, completed by the wide call (the current
// folder's name may be one that ANSI cannot spell), as the commands take it.
std::string FullPath(const std::string &path) {
    const std::wstring wide = brenvald::WideFromAnsi(path);
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), length, &full[0], nullptr);
    if (written == 0 || written >= length)
        return path;
    full.resize(written);
    return ArgumentText(full);
}

bool IsFolder(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string WithBackslash(std::string folder) {
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/'))
        folder += '\\';
    return folder;
}

// Reads [--bases DIR] PATH...; false with a message on err when they are bad.
bool ReadScanOptions(const std::vector<std::string> &arguments, std::ostream &err,
                     ScanOptions &options) {
    options.programFolder = scanner::RunningProgramFolder();
    options.basesShown = options.programFolder.Shown + "Bases\\";
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--bases") {
            if (i + 1 == arguments.size()) {
                err << "scan: --bases needs a folder\n";
                return false;
            }
            const std::string &basesFolder = arguments[++i];
            const std::string fullBasesFolder = FullPath(basesFolder);
            if (!IsFolder(fullBasesFolder)) {
                err << "scan: " << basesFolder << ": no such folder\n";
                return false;
            }
            options.basesFolder = WithBackslash(fullBasesFolder);
            options.basesShown = brenvald::Utf8FromAnsi(options.basesFolder);
            continue;
        }
        if (argument == "--strict") {
            options.strict = true;
            continue;
        }
        const std::string full = FullPath(argument);
        if (IsFolder(full)) {
            options.roots.push_back({WithBackslash(full), false});
        } else if (Exists(full)) {
            options.roots.push_back({full, true});
        } else {
            err << "scan: " << argument << ": no such file or folder\n";
            return false;
        }
    }
    if (options.roots.empty()) {
        err << "scan: nothing to scan\nUsage: bvxtool scan [--bases DIR] [--strict] PATH...\n";
        return false;
    }
    return true;
}

void PrintSummary(const ScanState &state, std::ostream &out) {
    out << "Scanned files (total): " << state.ScannedFiles << "\n"
        << "Scanned (MB): " << scanner::MegabytesText(state.ScannedMB) << "\n"
        << "Infected: " << state.Infected << "\n"
        << "Skipped: " << state.Skipped << "\n";
}

// Checks a file the user named as the walk checks a selected file: the
// selection by name and folder is the walk's, not the user's.
void ScanNamedFile(scanner::TScanRun &run, TConsoleHost &host, const std::string &path) {
    host.GoOn();
    scanner::ScanState &state = run.State();
    state.Scanning = !host.Interrupted();
    state.Paused = false;
    run.ScanFile(path);
    state.Scanning = false;
}

// Walks the folders as a run of the window walks its drives, and checks the
// files, in the order given, with the same end lines in the log.
bool RunScan(scanner::TScanRun &run, TConsoleHost &host, const std::vector<ScanRoot> &roots,
             std::ostream &err) {
    try {
        TConsoleCtrlHandler ctrlHandler;
        for (const ScanRoot &root : roots) {
            if (host.Interrupted())
                break;
            if (root.isFile)
                ScanNamedFile(run, host, root.path);
            else
                run.ScanRoots({root.path});
        }
    } catch (const std::exception &error) {
        host.ClearProgress();
        err << "error: " << error.what() << "\n";
        return false;
    } catch (...) {
        host.ClearProgress();
        err << "error: the scan ended by an unknown error\n";
        return false;
    }
    host.Line("", LogKind::Plain);
    host.Line("Scan Complete", LogKind::Plain);
    return true;
}

} // namespace

std::string ProgressText(int32_t files, double megabytes, double seconds) {
    char text[128];
    double rate = seconds > 0 ? files / seconds : 0.0;
    std::snprintf(text, sizeof text, "%ld files, %.1f MB, %.0f files/s",
                  static_cast<long>(files), megabytes, rate);
    return text;
}

int ScanCommand(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err,
                bool showProgress) {
    ScanOptions options;
    if (!ReadScanOptions(arguments, err, options))
        return kScanError;

    TConsoleHost host(out, showProgress);
    TConsolePrompts prompts(err);
    scanner::TDefinitions definitions;
    const bool started =
        options.basesFolder.empty()
            ? definitions.LoadBases(options.programFolder, host, prompts, scanner::KernelEngine())
            : definitions.LoadBasesFrom(options.basesFolder, host, prompts,
                                        scanner::KernelEngine());
    if (!started)
        return kScanError;
    out.flush();
    std::string noAnsiPath;
    if (options.basesFolder.empty() &&
        options.programFolder.AnsiSubFolder("Bases", noAnsiPath).empty()) {
        err << "scan: " << scanner::NoBasesLine(options.programFolder, noAnsiPath) << "\n";
        return kScanError;
    }
    for (const scanner::BaseFailure &failure : definitions.Failures())
        err << "scan: warning: " << failure.Path << ": " << scanner::BaseFailureText(failure) << "\n";
    if (options.strict && !definitions.Failures().empty()) {
        err << "scan: "
            << Counted(static_cast<int64_t>(definitions.Failures().size()), "definition base",
                       "definition bases")
            << " did not load; nothing scanned (--strict)\n";
        return kScanError;
    }
    if (definitions.RecordCount() == 0) {
        err << "scan: no definitions loaded from " << options.basesShown << "\n";
        return kScanError;
    }

    scanner::TScanRun run(host, prompts, &definitions);
    bool finished = RunScan(run, host, options.roots, err);
    out.flush();
    if (!finished)
        return kScanError;
    PrintSummary(run.State(), out);
    if (host.Interrupted()) {
        err << "scan: stopped by the user\n";
        return kScanError;
    }
    return run.State().Infected > 0 ? kScanFound : kScanClean;
}

} // namespace bvxtool
