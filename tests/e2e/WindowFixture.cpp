#include "WindowFixture.h"

#include "TempDir.h"
#include "driver/Eventually.h"

#include "resource.h"

#include <cstdlib>

namespace e2e {

const char kStartMessage[] = "Scan in progress. You have a time to try other software.";
const char kCloseQuestion[] = "Do you want to detect and clean more spyware?";
const char kMovedMessage[] = "Selected infections were moved to Quarantine.";
const char kDeleteOneQuestion[] =
    "Delete the selected file from Quarantine for good?\nA deleted file cannot be restored.";

std::string Setting(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string WindowFixture::suiteError_;

void WindowFixture::SetUpTestSuite() {
    suiteError_.clear();
    if (AppFolder().empty() || Setting("BVX_E2E_OPENED").empty()) {
        suiteError_ = "run through run-e2e.sh: the prefix settings are missing";
        return;
    }
    SampleDrive drive(Setting("BVX_E2E_DRIVE"));
    drive.Write();
    const std::string fingerprint = FingerprintThroughKernel(drive.file("spyagent.exe").path);
    if (fingerprint.empty()) {
        suiteError_ = "Kernel.dll gives no fingerprint for the sample";
        return;
    }
    testsupport::MakeDir(AppFolder() + "Bases");
    const std::string plain = AppFolder() + "e2e-base.plain";
    testsupport::WriteFile(plain, drive.PlainBase(fingerprint));
    suiteError_ = PackBaseThroughKernel(plain, AppFolder() + "Bases\\e2e.bvx");
    DeleteFileA(plain.c_str());
}

void WindowFixture::SetUp() {
    PrepareRun();
    StartApp();
}

void WindowFixture::PrepareRun() {
    ASSERT_TRUE(suiteError_.empty()) << suiteError_;
    drive_.Write();
    testsupport::RemoveTree(AppFolder() + "Quarantine");
    testsupport::WriteFile(Setting("BVX_E2E_OPENED"), "");
}

void WindowFixture::LaunchApp() { LaunchApp(std::make_unique<AppProcess>(AppFolder() + "bvxscan.exe")); }

void WindowFixture::LaunchApp(std::unique_ptr<AppProcess> app) {
    app_ = std::move(app);
    ASSERT_TRUE(app_->started()) << "bvxscan.exe did not start";
    main_ = WaitTopWindow(app_->id(), "Brenvald", "!#32770");
    ASSERT_NE(main_, nullptr) << "no main window with the caption Brenvald";
}

void WindowFixture::StartApp() { StartApp(std::make_unique<AppProcess>(AppFolder() + "bvxscan.exe")); }

void WindowFixture::StartApp(const std::wstring &exePath) {
    app_.reset();
    StartApp(std::make_unique<AppProcess>(exePath));
}

void WindowFixture::StartApp(std::unique_ptr<AppProcess> app) {
    LaunchApp(std::move(app));
    ASSERT_TRUE(EnabledIs(IDC_BITBTN3, true)) << "the bases never finished loading";
}

std::vector<int> WindowFixture::ShownPages() const {
    std::vector<int> shown;
    for (int page : {IDC_TABSHEET1, IDC_TABSHEET2, IDC_TABSHEET3, IDC_TABSHEET4, IDC_TABSHEET5})
        if (PageShown(page))
            shown.push_back(page);
    return shown;
}

testing::AssertionResult WindowFixture::OnlyPageShown(int page) const {
    return Becomes([&] { return ShownPages(); }, std::vector<int>{page});
}

testing::AssertionResult WindowFixture::TextIs(int id, const std::string &expected) const {
    return Becomes([&] { return TextOf(id); }, expected);
}

testing::AssertionResult WindowFixture::EnabledIs(int id, bool expected) const {
    return Becomes([&] { return Enabled(id); }, expected);
}

testing::AssertionResult WindowFixture::ListIs(int id, const Strings &expected) const {
    return Becomes([&] { return List(id).Texts(); }, expected);
}

testing::AssertionResult WindowFixture::CountIs(int id, int expected) const {
    return Becomes([&] { return List(id).Count(); }, expected);
}

void WindowFixture::FixAndContinue(const std::string &path, const std::string &answer) {
    Tick(IDC_LISTVIEW2, path);
    ClickButton(IDC_BITBTN9);
    Answer("Information", kMovedMessage, "OK");
    Answer("Confirm", kCloseQuestion, answer);
}

void WindowFixture::OpenQuarantinePage() {
    ClickButton(IDC_BITBTN8);
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET5));
}

void WindowFixture::ClickButton(int id) {
    ASSERT_TRUE(Click(Control(id))) << "control " << id << " is missing, hidden or disabled";
}

void WindowFixture::Answer(const std::string &caption, const std::string &text, const std::string &button) {
    ModalBox box = WaitBox(app_->id(), caption);
    ASSERT_NE(box.window, nullptr) << "no \"" << caption << "\" box";
    EXPECT_EQ(box.text, text);
    ASSERT_TRUE(PressBoxButton(box, button)) << "cannot press " << button;
}

void WindowFixture::Tick(int listId, const std::string &caption) {
    int row = -1;
    ASSERT_TRUE(WaitUntil([&] { return (row = List(listId).Find(caption)) >= 0; }))
        << caption << " is not in list " << listId;
    ASSERT_TRUE(List(listId).SetChecked(row, true));
}

std::string WindowFixture::Scan() {
    ExclusiveOpen lock(drive_.LockedPath());
    EXPECT_TRUE(lock.held());
    if (!Click(Control(IDC_BITBTN3)))
        return "Scan could not be clicked";
    ModalBox start = WaitBox(app_->id(), "Information");
    if (!start.window)
        return "no start message";
    EXPECT_EQ(start.text, kStartMessage);
    if (!PressBoxButton(start, "OK"))
        return "the start message could not be answered";
    ModalBox end = WaitBox(app_->id(), "Information");
    if (!end.window)
        return "no end message";
    if (!PressBoxButton(end, "OK"))
        return "the end message could not be answered";
    // The run ends by leaving the counters page for the results or the drives.
    EXPECT_TRUE(WaitUntil([&] {
        std::vector<int> shown = ShownPages();
        return shown == std::vector<int>{IDC_TABSHEET1} || shown == std::vector<int>{IDC_TABSHEET3};
    })) << "the run did not end on the results or the drives";
    return end.text;
}

void WindowFixture::ScanDriveD(size_t planted) {
    Tick(IDC_DRIVELIST, "D:\\");
    const size_t found = drive_.DetectedPaths().size() + planted;
    ASSERT_EQ(Scan(), "Scan results: " + std::to_string(found) + " infections found.");
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET3)) << "no results page";
}

} // namespace e2e
