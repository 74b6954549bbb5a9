// The scan run: the Scan, Pause and Stop commands, the folder walk and the
// per-file check, with everything they show or ask going through
// TScanReport (the log, detections, counters, progress, "go on?"),
// TScanWindow (the window's pages, buttons, status and drives) and IPrompts
// (modal boxes, shell opens). The engine is given ANSI paths, which may be
// short forms of the real ones the report shows; a file that no ANSI path
// reaches is decided from the scan's own read of its wide path. Nothing here
// touches a window.
#pragma once

#include "FolderSearch.h"
#include "ScanHost.h"

#include <string>
#include <vector>

namespace scanner {

class IEngine;
class TDefinitions;
struct TFileTexts;
struct TReadWants;

// The label text of ScannedMB: rounded to the nearest integer, halves to the
// even integer.
std::string MegabytesText(double megabytes);

class TScanRun {
public:
    // definitions may be null or unavailable (the table could not be
    // allocated): a Scan command then tells the user instead of scanning.
    // A run without a window scans fixed roots or files (ScanRoots, ScanFile).
    TScanRun(TScanReport &report, IPrompts &prompts, const TDefinitions *definitions);
    TScanRun(TScanReport &report, IPrompts &prompts, const TDefinitions *definitions,
             IEngine &engine);
    TScanRun(TScanWindow &window, IPrompts &prompts, const TDefinitions *definitions);
    TScanRun(TScanWindow &window, IPrompts &prompts, const TDefinitions *definitions,
             IEngine &engine);

    // The Scan command: starts a run over the ticked drives, or resumes a
    // paused one.
    void StartOrResumeScan();
    // The Pause command: the run waits before its next file until resumed.
    void Pause();
    // The Stop command: the run ends at its next file.
    void Stop();
    // Exit, and a close of the window by any other way during a scan: clears
    // Scanning and Paused so that a running scan unwinds. A run under way
    // then ends without its closing box and page change (the window is going).
    void ClearScanFlags();
    // True while a Scan command is under way (on the call stack); the window
    // must not be torn down then, but close once StartOrResumeScan returns.
    bool RunInProgress() const { return runDepth_ > 0; }

    // The walk of one folder path ending with a backslash, and the check of one
    // file; both need Scanning set, as a run sets it for each drive. ScanFile
    // takes the ANSI path the engine opens; the log and the results show the
    // walk's real path for it when the walk passed one.
    void ScanFolder(const std::string &folder);
    void ScanFile(const std::string &path);
    // The drive loop of a run over fixed roots, without boxes or pages: the
    // console tool's run. A root of a run, here or a row of the drive list,
    // is a folder path ending with a backslash, which is walked, or the path
    // of a file the user named, which is checked whatever its name or folder.
    void ScanRoots(const std::vector<std::string> &roots);

    const ScanState &State() const { return state_; }
    ScanState &State() { return state_; }

private:
    bool StartRun();
    bool WalkRoot(const std::string &root);
    void WalkFolder(const TWalkFolder &root);
    void CheckNamedFile(const std::string &path);
    bool WalkFile(const TWalkFolder &folder, bool excluded, const FolderEntry &entry);
    void ScanUnreachableFile(const std::wstring &widePath, AnsiPathTrouble trouble);
    const std::string &ShownPath(const std::string &path) const;
    void EndRun();
    void ShowProgress(int position);
    void LetWindowAnswer();
    void WaitWhilePaused();
    TReadWants ReadWants() const;
    bool ReadFileOnce(const std::string &path, std::string &fingerprint);
    bool ReadFileOnce(const std::wstring &widePath, std::string &fingerprint);
    bool TakeRead(const TFileTexts &texts, std::string &fingerprint);
    void TakeSizeAndFingerprint(const std::string &path, std::string &fingerprint);
    void CountSize(uint64_t bytes);
    void ReportDetection(const std::string &shownPath, const std::string &ansiPath, int32_t slot);

    TScanReport &report_;
    TScanWindow &window_;
    IPrompts &prompts_;
    const TDefinitions *definitions_;
    IEngine &engine_;
    ScanState state_;
    // The position of the window's progress bar, which only the run moves.
    int progress_ = 0;
    int runDepth_ = 0;
    bool windowClosing_ = false;
    TEnteredFolders enteredFolders_;
    // The real path of the file the walk is checking, for its log lines.
    std::string shownPath_;
    std::string shownFor_;
};

} // namespace scanner
