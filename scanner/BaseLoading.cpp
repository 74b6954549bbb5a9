#include "BaseLoading.h"

#include "BaseReport.h"
#include "Engine.h"
#include "ScanHost.h"

#include <exception>

namespace window {

namespace {

constexpr DWORD kFullQueueRestMs = 1;

// Posts a message, waiting while the window's queue is full (it holds only
// so many), so that no line is lost; false when the window is gone.
bool PostToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    while (!PostMessageA(window, message, wParam, lParam)) {
        if (!IsWindow(window))
            return false;
        Sleep(kFullQueueRestMs);
    }
    return true;
}

// Posts a text the window adopts; a window that is gone gets nothing, and
// the text is freed here.
void PostText(HWND window, UINT message, WPARAM wParam, const std::string &text) {
    auto posted = std::make_unique<std::string>(text);
    if (PostToWindow(window, message, wParam, reinterpret_cast<LPARAM>(posted.get())))
        posted.release();
}

// The load's log and boxes on the worker: each goes to the window in order.
class TPostedLoadReport : public scanner::TLogLines, public scanner::IPrompts {
public:
    explicit TPostedLoadReport(HWND window) : window_(window) {}

    void Line(const std::string &text, scanner::LogKind kind) override {
        PostText(window_, kBaseLogLine, static_cast<WPARAM>(kind), text);
    }
    void ErrorReport(const std::string &text) override { Box(LoadBox::ErrorReport, text); }
    void Information(const std::string &text) override { Box(LoadBox::Information, text); }
    void Warning(const std::string &text) override { Box(LoadBox::Warning, text); }
    // A load asks nothing; no answer could come back to the worker anyway.
    bool Confirm(const std::string &) override { return false; }
    void OpenAddress(const std::string &, bool) override {}

private:
    void Box(LoadBox box, const std::string &text) {
        PostText(window_, kBaseBox, static_cast<WPARAM>(box), text);
    }

    HWND window_;
};

void LoadForWindow(HWND window, scanner::TDefinitions &definitions,
                   const scanner::TProgramFolder &programFolder) {
    TPostedLoadReport report(window);
    // An error nothing caught (no memory for the index, say) is the
    // application's error report, as on the window's own thread; the
    // window still learns that the load has ended.
    try {
        definitions.LoadBases(programFolder, report, report, scanner::KernelEngine());
        const std::string shownBasesFolder = programFolder.Shown + "Bases\\";
        for (const std::string &line : scanner::LoadReportLines(definitions, shownBasesFolder))
            report.Line(line, scanner::LogKind::Plain);
    } catch (const std::exception &error) {
        report.ErrorReport(error.what());
    }
    PostToWindow(window, kBasesLoaded, 0, 0);
}

} // namespace

std::unique_ptr<std::string> TakePostedText(LPARAM lParam) {
    return std::unique_ptr<std::string>(reinterpret_cast<std::string *>(lParam));
}

TBaseLoading::~TBaseLoading() {
    RequestStop();
    Finish();
}

void TBaseLoading::Start(HWND window, const scanner::TProgramFolder &programFolder) {
    worker_ = std::thread(LoadForWindow, window, std::ref(definitions_), programFolder);
}

void TBaseLoading::Finish() {
    if (worker_.joinable())
        worker_.join();
}

} // namespace window
