// The scan's window and boxes, answered in-process: every report is recorded,
// and a test can act (Pause, Stop, Exit...) whenever the scan lets the window
// process its messages.
#pragma once

#include "Definitions.h"
#include "Engine.h"
#include "ScanRun.h"

#include "BaseContent.h"
#include "TempDir.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace scantest {

struct LogLine {
    std::string Text;
    scanner::LogKind Kind;
};

struct DriveEntry {
    std::string Caption;
    bool Checked;
};

class TRecordingHost : public scanner::TScanWindow {
public:
    void Line(const std::string &text, scanner::LogKind kind) override {
        Log.push_back({text, kind});
    }
    void Detection(const std::string &shownPath, const std::string &,
                   const std::string &name) override {
        Results.push_back(shownPath);
        ResultNames.push_back(name);
    }
    void Counters(const scanner::ScanState &state) override { CounterHistory.push_back(state); }
    void Progress(int position) override {
        ProgressBar = position;
        ProgressHistory.push_back(position);
    }
    bool GoOn() override {
        ++MessageRounds;
        if (OnMessages)
            OnMessages();
        return true;
    }
    void ClearResults() override {
        Results.clear();
        ResultNames.clear();
        ++ResultClears;
    }
    void SetStatus(const std::string &text) override {
        Status = text;
        StatusHistory.push_back(text);
    }
    void SetCommandState(scanner::CommandState state) override { Commands.push_back(state); }
    void ShowPage(scanner::Page page) override { Pages.push_back(page); }
    int DriveCount() override { return static_cast<int>(Drives.size()); }
    bool DriveTicked(int index, std::string &root) override {
        const DriveEntry &drive = Drives[static_cast<size_t>(index)];
        root = drive.Caption;
        return drive.Checked;
    }

    std::vector<std::string> LogTexts(scanner::LogKind kind) const {
        std::vector<std::string> texts;
        for (const LogLine &line : Log)
            if (line.Kind == kind)
                texts.push_back(line.Text);
        return texts;
    }

    std::vector<LogLine> Log;
    std::vector<std::string> Results;
    // The definition name of each result, as its detection line gives it.
    std::vector<std::string> ResultNames;
    int ResultClears = 0;
    std::vector<scanner::ScanState> CounterHistory;
    std::string Status = "Ready";
    std::vector<std::string> StatusHistory;
    int ProgressBar = 0;
    std::vector<int> ProgressHistory;
    std::vector<scanner::CommandState> Commands;
    std::vector<scanner::Page> Pages;
    int MessageRounds = 0;
    std::function<void()> OnMessages;
    std::vector<DriveEntry> Drives;
};

class TAnsweringPrompts : public scanner::IPrompts {
public:
    void Information(const std::string &text) override {
        Informations.push_back(text);
        if (OnInformation)
            OnInformation(text);
    }
    void Warning(const std::string &text) override { Warnings.push_back(text); }
    bool Confirm(const std::string &text) override {
        Confirms.push_back(text);
        return ConfirmAnswer;
    }
    bool ConfirmWarning(const std::string &text) override {
        WarningConfirms.push_back(text);
        return WarningConfirmAnswer;
    }
    void ErrorReport(const std::string &text) override { Errors.push_back(text); }
    void OpenAddress(const std::string &address, bool maximised) override {
        Addresses.push_back({address, maximised});
    }

    std::vector<std::string> Informations, Warnings, Confirms, WarningConfirms, Errors;
    std::vector<std::pair<std::string, bool>> Addresses;
    bool ConfirmAnswer = false;
    // A run over an empty table goes ahead unless a test says No.
    bool WarningConfirmAnswer = true;
    std::function<void(const std::string &)> OnInformation;
};

// Packs plain base content into a definition base file with the engine.
void WriteBase(const std::string &path, const std::string &plainContent);
// A base of the given records, its RecordCount right.
void WriteBase(const std::string &path, const std::vector<testsupport::BaseRecord> &records);

// The engine's fingerprint text of a file.
std::string Fingerprint(const std::string &path);

// A program folder in a temporary folder, with its Bases folder, loaded
// definitions and a scan run over recorded host and boxes.
class TScanFixture {
public:
    TScanFixture();
    // Bases\ + relative path
    std::string BasePath(const std::string &relative) const;
    // Loads what Bases\ holds.
    void Load();
    // A tree of files below the temporary folder; returns the folder path
    // ending with a backslash.
    std::string MakeFolder(const std::string &relative);
    std::string MakeFile(const std::string &relative, const std::string &content);

    testsupport::TempDir Dir;
    TRecordingHost Host;
    TAnsweringPrompts Prompts;
    scanner::TDefinitions Definitions;
    scanner::TScanRun Run{Host, Prompts, &Definitions};
};

bool SameCounters(const scanner::ScanState &a, const scanner::ScanState &b);
// Expects `got` to have shown what `want` showed: every log line and its
// kind, the results, and the counters at each showing.
void ExpectSameView(const TRecordingHost &got, const TRecordingHost &want);

} // namespace scantest
