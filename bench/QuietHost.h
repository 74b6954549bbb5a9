// The scan host and prompts the benchmarks run the scan core with: nothing
// is shown; detections and ignored files are kept so that each bench can
// check its scan found what it should, and boxes are printed, never asked.
#pragma once

#include "ScanRun.h"

#include <cstdio>
#include <string>
#include <vector>

class TQuietHost : public scanner::IScanHost {
public:
    void AddToLog(const std::string &, scanner::LogKind kind) override {
        ignored += kind == scanner::LogKind::IgnoredFile;
    }
    void AddResult(const std::string &path) override { detected.push_back(path); }
    void ClearResults() override {}
    void ShowCounters(const scanner::ScanState &) override {}
    void SetStatus(const std::string &) override {}
    int GetProgress() override { return 0; }
    void SetProgress(int) override {}
    void SetCommandState(scanner::CommandState) override {}
    void ShowPage(scanner::Page) override {}
    void ProcessMessages() override {}
    int DriveCount() override { return 0; }
    bool DriveChecked(int) override { return false; }
    std::string DriveCaption(int) override { return {}; }
    std::vector<std::string> detected;
    int ignored = 0;
};

class TQuietPrompts : public scanner::IPrompts {
public:
    void Information(const std::string &) override {}
    void Warning(const std::string &text) override { std::printf("warning: %s\n", text.c_str()); }
    bool Confirm(const std::string &) override { return false; }
    void ErrorReport(const std::string &text) override { std::printf("error: %s\n", text.c_str()); }
    void OpenAddress(const std::string &, bool) override {}
};
