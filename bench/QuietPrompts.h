// The prompts the benchmarks run the scan core with: boxes are printed,
// never asked.
#pragma once

#include "ScanHost.h"

#include <cstdio>
#include <string>

class TQuietPrompts : public scanner::IPrompts {
public:
    void Information(const std::string &) override {}
    void Warning(const std::string &text) override { std::printf("warning: %s\n", text.c_str()); }
    bool Confirm(const std::string &) override { return false; }
    void ErrorReport(const std::string &text) override { std::printf("error: %s\n", text.c_str()); }
    void OpenAddress(const std::string &, bool) override {}
};
