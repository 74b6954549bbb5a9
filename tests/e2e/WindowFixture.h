// The fixture of the tests that drive the real bvxscan.exe from outside:
// the installed copy that run-e2e.sh made gets a base detecting the sample
// drive's files once per suite; each test writes the drive afresh, starts
// with no quarantine and no openings recorded, and starts the program.
#pragma once

#include "SampleDrive.h"
#include "driver/WindowDriver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace e2e {

using Strings = std::vector<std::string>;

extern const char kStartMessage[];
extern const char kCloseQuestion[];
extern const char kMovedMessage[];
// The question Delete asks before it deletes one ticked file.
extern const char kDeleteOneQuestion[];

// A setting run-e2e.sh passes in the environment; empty when not run by it.
std::string Setting(const char *name);

// Holds a file open with no sharing, so that nothing else can read it.
class ExclusiveOpen {
public:
    explicit ExclusiveOpen(const std::string &path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ExclusiveOpen() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    ExclusiveOpen(const ExclusiveOpen &) = delete;
    ExclusiveOpen &operator=(const ExclusiveOpen &) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

class WindowFixture : public testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    static std::string AppFolder() { return Setting("BVX_E2E_APP"); }
    // A fresh drive, no quarantine, no openings recorded.
    void PrepareRun();
    // Starts the program and waits for its main window; StartApp also waits
    // until its bases are loaded (Scan is enabled then).
    void LaunchApp();
    void LaunchApp(std::unique_ptr<AppProcess> app);
    void StartApp();
    // Ends the program and starts the copy at this path instead.
    void StartApp(const std::wstring &exePath);
    void StartApp(std::unique_ptr<AppProcess> app);

    HWND Control(int id) const { return FindControl(main_, id); }
    std::string TextOf(int id) const { return GetText(Control(id)); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }
    bool PageShown(int id) const { return IsWindowVisible(Control(id)) != 0; }
    RemoteListView List(int id) const { return RemoteListView(app_->handle(), Control(id)); }
    std::vector<int> ShownPages() const;

    // The window's state as the test expects it, waited for.
    testing::AssertionResult OnlyPageShown(int page) const;
    testing::AssertionResult TextIs(int id, const std::string &expected) const;
    testing::AssertionResult EnabledIs(int id, bool expected) const;

    testing::AssertionResult ListIs(int id, const Strings &expected) const;
    testing::AssertionResult CountIs(int id, int expected) const;

    void ClickButton(int id);
    // Waits for a box with the caption and text, presses the button.
    void Answer(const std::string &caption, const std::string &text, const std::string &button);
    // Ticks the row with this caption, waiting for the list to have it.
    void Tick(int listId, const std::string &caption);

    // Scan with the start message answered and the sample's locked file
    // held open with no sharing; returns the end message.
    std::string Scan();
    // A scan of D: that finds the sample drive's detections and as many
    // more as the test planted.
    void ScanDriveD(size_t planted = 0);

    static std::string QuarantineFolder() { return AppFolder() + "Quarantine\\"; }
    // Ticks the result row of the path and runs Fix & Continue, answering the
    // closing question.
    void FixAndContinue(const std::string &path, const std::string &answer);
    void OpenQuarantinePage();

    static std::string suiteError_;
    SampleDrive drive_{Setting("BVX_E2E_DRIVE")};
    std::unique_ptr<AppProcess> app_;
    HWND main_ = nullptr;
};

} // namespace e2e
