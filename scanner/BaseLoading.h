// The load of the definition bases on a worker thread of its own, so that
// the window paints at once and answers while a large base unpacks. Until
// the worker is done it alone touches the definition table; all it has to
// show (the log lines in their order, an error report) goes to the window as
// posted messages, which the window's thread takes in the order they were
// posted.
#pragma once

#include "Definitions.h"
#include "ProgramFolder.h"

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

namespace window {

// Posted by the worker. kBaseLogLine: lParam a std::string* to adopt,
// wParam its scanner::LogKind. kBaseBox: lParam a std::string* to adopt,
// wParam the LoadBox to show it in. kBasesLoaded: the load has ended.
constexpr UINT kBaseLogLine = WM_APP + 1;
constexpr UINT kBaseBox = WM_APP + 2;
constexpr UINT kBasesLoaded = WM_APP + 3;

enum class LoadBox : WPARAM { ErrorReport, Information, Warning };

// The text a kBaseLogLine or kBaseBox message carries, now owned by the
// caller.
std::unique_ptr<std::string> TakePostedText(LPARAM lParam);

class TBaseLoading {
public:
    explicit TBaseLoading(scanner::TDefinitions &definitions) : definitions_(definitions) {}
    // Asks the worker to stop after its base and waits for it.
    ~TBaseLoading();
    TBaseLoading(const TBaseLoading &) = delete;
    TBaseLoading &operator=(const TBaseLoading &) = delete;

    // Starts loading every base below the program folder's Bases\ for
    // window:
    // the bases' lines, the empty line, then the lines of what did not load
    // or cannot be used, and kBasesLoaded last.
    void Start(HWND window, const scanner::TProgramFolder &programFolder);
    // True from Start until Finish: the table is not the window's to read.
    bool Loading() const { return worker_.joinable(); }
    // The close of the window: the worker ends after the base being read.
    void RequestStop() { definitions_.RequestStop(); }
    // On kBasesLoaded: waits for the worker's last step; the table is the
    // window's from here on.
    void Finish();

private:
    scanner::TDefinitions &definitions_;
    std::thread worker_;
};

} // namespace window
