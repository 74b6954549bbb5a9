#include "ScanRun.h"

#include "BaseReport.h"
#include "Definitions.h"
#include "Engine.h"
#include "FileSelection.h"
#include "FolderSearch.h"
#include "IntegerText.h"
#include "WebAddresses.h"

#include <cmath>
#include <memory>
#include <utility>
#include <vector>
#include <windows.h>

namespace scanner {

namespace {

constexpr int ProgressWalkLimit = 93;
constexpr int ProgressFull = 1000;
constexpr DWORD PauseSleepMilliseconds = 2;

const char UnsearchableFolderReason[] = "the folder cannot be searched";
const char UnspellableNameReason[] =
    "the ANSI code page cannot spell the name and the system gives it no short name";
const char TooLongPathReason[] = "the path is too long for the engine, even in its short form";
const char UnresolvedLinkReason[] =
    "the folder link is not followed: the system cannot say where it leads";

const char StartMessage[] = "Scan in progress. You have a time to try other software.";
const char NoDefinitionsMessage[] =
    "The spyware definitions could not be loaded: there was not enough memory for them. "
    "Scanning is not possible; please close other programs and start Brenvald again.";

// Keeps count of the Scan handlers under way, on every way out.
class TRunDepth {
public:
    explicit TRunDepth(int &depth) : depth_(depth) { ++depth_; }
    ~TRunDepth() { --depth_; }
    TRunDepth(const TRunDepth &) = delete;
    TRunDepth &operator=(const TRunDepth &) = delete;

private:
    int &depth_;
};

// The bytes to count for a file whose size text reads sizeText: the size
// text wraps at 2 GiB, so the file system's 64-bit size is taken when its
// low 32 bits agree with the text, "-1" included (a file of 4 GiB - 1 bytes,
// or of 8 GiB - 1...); else (the file changed or vanished in between) the
// text read as an unsigned 32-bit number, but nothing for "-1", which then
// means that the engine could not open the file.
uint64_t CountedFileSize(const std::string &path, int32_t sizeText) {
    const uint32_t textBytes = static_cast<uint32_t>(sizeText);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        data.nFileSizeLow != textBytes)
        return sizeText == -1 ? 0 : textBytes;
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// The window of a run that has none: nothing to show, no drive to walk.
class TNoWindow : public TScanWindow {
public:
    void ClearResults() override {}
    void SetStatus(const std::string &) override {}
    void SetCommandState(CommandState) override {}
    void ShowPage(Page) override {}
    int DriveCount() override { return 0; }
    bool DriveTicked(int, std::string &) override { return false; }
};

TNoWindow NoWindow;

} // namespace

std::string MegabytesText(double megabytes) {
    // nearbyint rounds in the default mode: to nearest, halves to even.
    return std::to_string(static_cast<long long>(std::nearbyint(megabytes)));
}

TScanRun::TScanRun(TScanReport &report, IPrompts &prompts, const TDefinitions *definitions)
    : TScanRun(report, prompts, definitions, KernelEngine()) {}

TScanRun::TScanRun(TScanReport &report, IPrompts &prompts, const TDefinitions *definitions,
                   IEngine &engine)
    : report_(report), window_(NoWindow), prompts_(prompts), definitions_(definitions),
      engine_(engine) {}

TScanRun::TScanRun(TScanWindow &window, IPrompts &prompts, const TDefinitions *definitions)
    : TScanRun(window, prompts, definitions, KernelEngine()) {}

TScanRun::TScanRun(TScanWindow &window, IPrompts &prompts, const TDefinitions *definitions,
                   IEngine &engine)
    : report_(window), window_(window), prompts_(prompts), definitions_(definitions),
      engine_(engine) {}

// --- Commands ---

void TScanRun::StartOrResumeScan() {
    if (state_.Paused) {
        state_.Paused = false;
        window_.SetCommandState(CommandState::Busy);
        return;
    }
    // Scan is disabled while busy; a stray call never starts a second run.
    if (RunInProgress())
        return;
    TRunDepth depth(runDepth_);
    windowClosing_ = false;
    if (!StartRun())
        return;
    // An Exit while the start message showed leaves no drive to walk.
    const int driveCount = windowClosing_ ? 0 : window_.DriveCount();
    std::string root;
    for (int index = 0; index < driveCount; ++index) {
        if (window_.DriveTicked(index, root) && !WalkRoot(root))
            break;
        window_.SetCommandState(CommandState::Idle);
        state_.Scanning = false;
    }
    EndRun();
}

void TScanRun::Pause() {
    state_.Paused = true;
    window_.SetCommandState(CommandState::Paused);
}

void TScanRun::Stop() {
    window_.SetCommandState(CommandState::Idle);
    state_.Scanning = false;
    state_.Paused = false;
}

void TScanRun::ClearScanFlags() {
    state_.Scanning = false;
    state_.Paused = false;
    // The window is going: the run unwinds without its closing boxes.
    if (RunInProgress())
        windowClosing_ = true;
}

void TScanRun::ScanRoots(const std::vector<std::string> &roots) {
    for (const std::string &root : roots) {
        if (!WalkRoot(root))
            break;
        window_.SetCommandState(CommandState::Idle);
        state_.Scanning = false;
    }
}

bool TScanRun::StartRun() {
    if (!definitions_ || !definitions_->Available()) {
        prompts_.Warning(NoDefinitionsMessage);
        return false;
    }
    // An empty table finds nothing: the user decides whether such a run is
    // worth making, and No starts nothing.
    if (definitions_->RecordCount() == 0 && !prompts_.ConfirmWarning(NoDefinitionsScanQuestion()))
        return false;
    state_.ScannedFiles = 0;
    state_.Skipped = 0;
    state_.Infected = 0;
    state_.ScannedMB = 0.0;
    window_.ClearResults();
    ShowProgress(0);
    window_.ShowPage(Page::Counters);
    prompts_.Information(StartMessage);
    OpenTrialPage(prompts_);
    return true;
}

// Walks one checked drive; false when Stop or Exit ended the run during it
// (the idle state is then already set).
bool TScanRun::WalkRoot(const std::string &root) {
    window_.SetCommandState(CommandState::Busy);
    state_.Scanning = true;
    state_.Paused = false;
    if (!root.empty() && root.back() != '\\')
        CheckNamedFile(root);
    else
        ScanFolder(root);
    if (state_.Scanning)
        return true;
    window_.SetCommandState(CommandState::Idle);
    return false;
}

void TScanRun::EndRun() {
    report_.Line("", LogKind::Plain);
    ShowProgress(ProgressFull);
    report_.Line("Scan Complete", LogKind::Plain);
    window_.SetStatus("Complete");
    // The labels are otherwise written only before each file's check, so the
    // last file's detection would never reach them: show the final numbers.
    report_.Counters(state_);
    if (windowClosing_)
        return;
    prompts_.Information("Scan results: " + std::to_string(state_.Infected) + " infections found.");
    window_.ShowPage(state_.Infected > 0 ? Page::Results : Page::Drives);
}

void TScanRun::ShowProgress(int position) {
    progress_ = position;
    report_.Progress(position);
}

// A host that says not to go on stops the run as the Stop command does.
void TScanRun::LetWindowAnswer() {
    if (!report_.GoOn())
        Stop();
}

// --- The walk ---

void TScanRun::ScanFolder(const std::string &folder) {
    enteredFolders_.Clear();
    WalkFolder(WalkRootFolder(folder));
}

// A stop ends the walk of each folder at its next file entry; sub-folders met
// on the way are still entered, but check nothing. The folders of the path
// being walked are held in a list rather than on the call stack, so no depth
// of tree can exhaust the stack; each keeps its search open.
void TScanRun::WalkFolder(const TWalkFolder &root) {
    struct TLevel {
        explicit TLevel(TWalkFolder folder)
            : Folder(std::move(folder)), Listing(Folder.Wide),
              Excluded(IsExcludedFolder(Folder.Shown)) {}
        TWalkFolder Folder;
        TFolderListing Listing;
        bool Excluded;
    };
    std::vector<std::unique_ptr<TLevel>> path;
    const auto ignoreFolder = [&](const TWalkFolder &folder, const char *reason) {
        report_.Line("Ignored [" + folder.Shown + "] - [" + reason + "]", LogKind::IgnoredFile);
    };
    const auto enter = [&](TWalkFolder folder) {
        // A folder link back into the tree would otherwise be walked again
        // and again, its files checked each time; so would a link whose
        // target is unknown, if it led back.
        if (folder.Resolved.empty())
            return ignoreFolder(folder, UnresolvedLinkReason);
        if (!enteredFolders_.Enter(folder))
            return;
        auto level = std::make_unique<TLevel>(std::move(folder));
        if (level->Listing.IsOpen())
            path.push_back(std::move(level));
        else if (!path.empty())
            // A drive without a medium lists nothing, as ever; a folder below
            // the root that cannot be searched hides its files, so it is said.
            ignoreFolder(level->Folder, UnsearchableFolderReason);
    };
    enter(root);
    FolderEntry entry;
    while (!path.empty()) {
        TLevel &level = *path.back();
        if (!level.Listing.Next(entry))
            path.pop_back();
        else if (entry.IsFolder)
            enter(EnterSubFolder(level.Folder, entry));
        else if (!WalkFile(level.Folder, level.Excluded, entry))
            path.pop_back();
    }
}

bool TScanRun::WalkFile(const TWalkFolder &folder, bool excluded, const FolderEntry &entry) {
    LetWindowAnswer();
    if (excluded || !IsSelectedName(entry.Name))
        return state_.Scanning;
    window_.SetStatus("Scan: " + entry.Name);
    AnsiPathTrouble trouble;
    const std::string ansiPath = AnsiFilePath(folder, entry, trouble);
    shownPath_ = folder.Shown + entry.Name;
    shownFor_ = ansiPath;
    if (ansiPath.empty())
        ScanUnreachableFile(folder.Wide + entry.WideName, trouble);
    else
        ScanFile(ansiPath);
    if (progress_ < ProgressWalkLimit)
        ShowProgress(progress_ + 1);
    return state_.Scanning;
}

// A file the user pointed at (a drive list row that is a file): checked as
// bvxtool scan checks a named file, whatever its name or folder.
void TScanRun::CheckNamedFile(const std::string &path) {
    LetWindowAnswer();
    window_.SetStatus("Scan: " + path);
    shownFor_.clear();
    ScanFile(path);
    if (progress_ < ProgressWalkLimit)
        ShowProgress(progress_ + 1);
}

// A file that the engine cannot be given any path for is read through its
// wide path, and every definition decided from that read alone; one that
// cannot be read so either is counted and logged like one the engine cannot
// read, with the reason it could not be given the file.
void TScanRun::ScanUnreachableFile(const std::wstring &widePath, AnsiPathTrouble trouble) {
    WaitWhilePaused();
    if (!state_.Scanning)
        return;
    ++state_.ScannedFiles;
    std::string fingerprint;
    if (!ReadFileOnce(widePath, fingerprint)) {
        ++state_.Skipped;
        const char *reason =
            trouble == AnsiPathTrouble::TooLong ? TooLongPathReason : UnspellableNameReason;
        report_.Line("Ignored [" + shownPath_ + "] - [" + reason + "]", LogKind::IgnoredFile);
        report_.Counters(state_);
        return;
    }
    report_.Counters(state_);
    if (!definitions_ || !state_.Scanning)
        return;
    const TSlotMatch match = definitions_->FirstMatchOfContentAlone(fingerprint);
    if (match.Slot >= 0)
        ReportDetection(shownPath_, std::string(), match.Slot);
}

const std::string &TScanRun::ShownPath(const std::string &path) const {
    return !shownFor_.empty() && path == shownFor_ ? shownPath_ : path;
}

// --- The check of one file ---

void TScanRun::ScanFile(const std::string &path) {
    WaitWhilePaused();
    if (!state_.Scanning)
        return;
    ++state_.ScannedFiles;
    std::string fingerprint;
    const bool readOnce = ReadFileOnce(path, fingerprint);
    if (!readOnce)
        TakeSizeAndFingerprint(path, fingerprint);
    // The one read may leave the fingerprint out, but only of a file it read.
    const bool ignored = !readOnce && fingerprint.empty();
    if (ignored) {
        ++state_.Skipped;
        report_.Line("Ignored [" + ShownPath(path) + "]", LogKind::IgnoredFile);
    }
    report_.Counters(state_);
    if (!definitions_ || !state_.Scanning)
        return;
    const TSlotMatch match = readOnce ? definitions_->FirstMatchOfContent(fingerprint, path, engine_)
                                      : definitions_->FirstMatch(fingerprint, path, engine_);
    // The file's bytes held a definition the engine could not look at, as
    // another process holds the file open for writing: it is not clean. A
    // file already ignored for its fingerprint is not counted twice.
    if (match.Unconfirmed && !ignored) {
        ++state_.Skipped;
        report_.Line("Ignored [" + ShownPath(path) + "]", LogKind::IgnoredFile);
    }
    if (match.Slot >= 0)
        ReportDetection(ShownPath(path), path, match.Slot);
}

void TScanRun::WaitWhilePaused() {
    while (state_.Paused) {
        Sleep(PauseSleepMilliseconds);
        LetWindowAnswer();
    }
}

// One read of the file answers the size and fingerprint steps and gives the
// definitions the bytes they look at. The fingerprint is taken only of a
// file whose size text some kind "0" definition names: no other can match
// one, and its fingerprint is then left empty, which no kind "0" signature
// is while fingerprints are left out (an empty signature, being of no
// fingerprint's form, has every file hashed). The bytes are read only when
// the fingerprint or the definitions need them. False when the file cannot
// be read so (someone else has it open, it vanished): each step then asks
// the engine, as the file may give other answers to the engine's own opens.
TReadWants TScanRun::ReadWants() const {
    TReadWants wants;
    wants.Fingerprint = [this](const std::string &sizeText) {
        return definitions_ && definitions_->FingerprintMayMatch(sizeText);
    };
    if (definitions_ && definitions_->WantsContent()) {
        definitions_->StartContent();
        wants.Content = [this](const unsigned char *data, size_t length) {
            definitions_->FeedContent(data, length);
        };
    }
    return wants;
}

bool TScanRun::ReadFileOnce(const std::string &path, std::string &fingerprint) {
    TFileTexts texts;
    return engine_.ReadOnce(path, kContentChunkSize, ReadWants(), texts) && TakeRead(texts, fingerprint);
}

bool TScanRun::ReadFileOnce(const std::wstring &widePath, std::string &fingerprint) {
    TFileTexts texts;
    return engine_.ReadWideOnce(widePath, kContentChunkSize, ReadWants(), texts) &&
           TakeRead(texts, fingerprint);
}

// The file system gave the 64-bit size, whatever the size text says.
bool TScanRun::TakeRead(const TFileTexts &texts, std::string &fingerprint) {
    CountSize(texts.Size);
    fingerprint = texts.Fingerprint;
    return true;
}

void TScanRun::TakeSizeAndFingerprint(const std::string &path, std::string &fingerprint) {
    try {
        CountSize(CountedFileSize(path, brenvald::StrToInt(engine_.GetSize(path))));
        fingerprint = engine_.GetFileMd5Hash(path);
    } catch (...) {
        // Counted here, and once more as an ignored file, since the
        // fingerprint stays empty.
        ++state_.Skipped;
    }
}

// Scanned (MB) grows by whole kilobytes.
void TScanRun::CountSize(uint64_t bytes) {
    state_.ScannedMB += static_cast<double>(bytes / 1024) / 1024.0;
}

void TScanRun::ReportDetection(const std::string &shownPath, const std::string &ansiPath, int32_t slot) {
    const std::string name(definitions_->Slot(slot).Name);
    report_.Line("Found infection in [" + shownPath + "] - [" + name + "]", LogKind::Detection);
    report_.Detection(shownPath, ansiPath, name);
    ++state_.Infected;
}

} // namespace scanner
