// The window driver and the prefix's recorder, checked against a small
// window of our own before they are trusted with the scanner.
#include "TempDir.h"
#include "driver/Eventually.h"
#include "driver/WindowDriver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

using namespace e2e;

namespace {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

std::string OpenedLog() {
    const char *path = std::getenv("BVX_E2E_OPENED");
    return path ? path : "";
}

class DriverSelfTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(OpenedLog().empty()) << "run through run-e2e.sh";
        testsupport::WriteFile(OpenedLog(), "");
        target_ = std::make_unique<AppProcess>(ProgramFolder() + "e2e_driver_target.exe");
        ASSERT_TRUE(target_->started());
        window_ = WaitTopWindow(target_->id(), "Driver target", nullptr);
        ASSERT_NE(window_, nullptr);
    }

    void AnswerAndWaitForAddress(const std::string &button, const std::string &recorded) {
        ASSERT_TRUE(Click(FindChildByText(window_, "Button", "&Ask")));
        ModalBox box = WaitBox(target_->id(), "Confirm");
        ASSERT_NE(box.window, nullptr);
        EXPECT_EQ(box.text, "Open the answer?");
        ASSERT_TRUE(PressBoxButton(box, button));
        EXPECT_TRUE(Becomes([] { return testsupport::ReadFile(OpenedLog()); }, recorded + "\r\n"));
        testsupport::WriteFile(OpenedLog(), "");
    }

    std::unique_ptr<AppProcess> target_;
    HWND window_ = nullptr;
};

TEST_F(DriverSelfTest, ReadsAndTicksListViewAcrossProcesses) {
    RemoteListView list(target_->handle(), FindControl(window_, 10));
    ASSERT_TRUE(list.valid());
    ASSERT_TRUE(Becomes([&] { return list.Texts(); }, std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_EQ(list.Find("gamma"), 2);
    EXPECT_EQ(list.Find("delta"), -1);
    EXPECT_FALSE(list.Checked(1));
    ASSERT_TRUE(list.SetChecked(1, true));
    ASSERT_TRUE(list.SetChecked(2, true));
    EXPECT_TRUE(list.Checked(1));
    // The window saw the ticks as a user's: its label names them.
    auto label = [&] { return GetText(FindControl(window_, 11)); };
    EXPECT_TRUE(Becomes(label, std::string("Ticked: beta gamma")));
    ASSERT_TRUE(list.SetChecked(1, false));
    EXPECT_TRUE(Becomes(label, std::string("Ticked: gamma")));
}

TEST_F(DriverSelfTest, AnswersBoxesAndRecorderSeesTheShellOpens) {
    AnswerAndWaitForAddress("&Yes", "http://answer.example/yes\t1"); // SW_SHOWNORMAL
    AnswerAndWaitForAddress("&No", "mailto:no@answer.example\t1");
}

TEST_F(DriverSelfTest, DisabledOrMissingButtonIsNotClicked) {
    HWND button = FindChildByText(window_, "Button", "&Ask");
    ASSERT_NE(button, nullptr);
    EnableWindow(button, FALSE);
    EXPECT_FALSE(Click(button));
    EXPECT_FALSE(Click(nullptr));
    // Nothing was posted, so no box can come later either.
    EXPECT_EQ(FindTopWindow(target_->id(), "Confirm", "#32770"), nullptr);
}

} // namespace
