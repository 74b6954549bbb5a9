// The window's account of what it loaded: a base that did not load, a base
// whose offset signatures the scan can never use, and no definitions at all,
// each told in the log, and the Scan and Update commands with an empty
// table. Each test gives the installed copy a Bases folder of its own and
// puts the suite's base back afterwards.
#include "WindowFixture.h"
#include "BaseContent.h"
#include "TempDir.h"
#include "driver/Eventually.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

using namespace e2e;

namespace {

const char kUpdateMessage[] = "Spyware database is up to date. You do not need to update it now.";
const char kScanQuestion[] =
    "No spyware definitions are loaded, so a scan cannot find anything. Scan anyway?";
const char kNoDetections[] = "Scan results: 0 infections found.";
const char kLoadingStatus[] = "Loading spyware definitions...";
const char kStillLoading[] = "Spyware definitions are still loading. Please wait until they are loaded.";
// Copies of the suite's base, so that the load lasts long enough to be
// interrupted by a command.
constexpr int kManyBases = 1500;

class BaseLoading : public WindowFixture {
protected:
    void SetUp() override {
        PrepareRun();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(MoveFileA(Bases().c_str(), KeptBases().c_str())) << "cannot set the suite's base aside";
        setAside_ = true;
        testsupport::MakeDir(Bases());
    }
    void TearDown() override {
        app_.reset();
        if (!setAside_)
            return;
        testsupport::RemoveTree(Bases());
        EXPECT_TRUE(MoveFileA(KeptBases().c_str(), Bases().c_str())) << "the suite's base is not back";
    }

    static std::string Bases() { return AppFolder() + "Bases"; }
    static std::string KeptBases() { return AppFolder() + "Bases.kept"; }
    static std::string BasesFolderText() { return Bases() + "\\"; }
    static std::string NoDefinitionsLine() {
        return "No spyware definitions are loaded, so a scan cannot find anything: put definition "
               "bases (.bvx files) into " + BasesFolderText() + " and start Brenvald again.";
    }
    static std::string NoDefinitionsUpdate() {
        return "No spyware definitions are loaded. Put definition bases (.bvx files) into " +
               BasesFolderText() + " and start Brenvald again.";
    }

    // The suite's good base, which detects the sample drive's files.
    void CopySuiteBase(const std::string &name) {
        ASSERT_TRUE(CopyFileA((KeptBases() + "\\e2e.bvx").c_str(), (Bases() + "\\" + name).c_str(), TRUE));
    }
    void PackBase(const std::string &name, const std::vector<testsupport::BaseRecord> &records) {
        const std::string plain = AppFolder() + "records.plain";
        testsupport::WriteFile(plain, testsupport::BaseContent(std::to_string(records.size() - 1), records));
        const std::string error = PackBaseThroughKernel(plain, Bases() + "\\" + name);
        DeleteFileA(plain.c_str());
        ASSERT_EQ(error, "");
    }

    // kManyBases copies of the suite's base; their log lines in the order
    // the folder lists them, which is the order they load in.
    Strings CopyManyBases() {
        for (int copy = 0; copy < kManyBases; ++copy)
            CopySuiteBase("copy" + std::to_string(copy) + ".bvx");
        Strings lines;
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA((Bases() + "\\*.*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE)
            return lines;
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                lines.push_back(std::string("Spyware Definitions Base ") + entry.cFileName + " loaded");
        } while (FindNextFileA(search, &entry));
        FindClose(search);
        lines.push_back("");
        return lines;
    }

    testing::AssertionResult LogIs(const Strings &expected) const {
        return Becomes([&] { return List(IDC_LOGLIST).Texts(); }, expected);
    }
    // Clicks Scan with D: ticked and answers the question as asked.
    void ScanAnswering(const std::string &answer) {
        Tick(IDC_DRIVELIST, "D:\\");
        ClickButton(IDC_BITBTN3);
        ModalBox question = WaitBox(app_->id(), "Confirm");
        ASSERT_NE(question.window, nullptr) << "no question before a scan without definitions";
        EXPECT_EQ(question.text, kScanQuestion);
        ASSERT_NE(FindChildByText(question.window, "Button", "&No"), nullptr);
        ASSERT_TRUE(PressBoxButton(question, answer));
    }

    bool setAside_ = false;
};

TEST_F(BaseLoading, NoBaseIsToldInTheLogAndByUpdate) {
    StartApp();
    EXPECT_TRUE(LogIs(Strings{"", NoDefinitionsLine()}));
    ClickButton(IDC_BITBTN7);
    Answer("Information", NoDefinitionsUpdate(), "OK");
    ChooseMenu(main_, IDM_UPDATE1);
    Answer("Information", NoDefinitionsUpdate(), "OK");
    EXPECT_TRUE(LogIs(Strings{"", NoDefinitionsLine()}));
}

TEST_F(BaseLoading, ScanWithoutDefinitionsAnsweredNoStartsNothing) {
    StartApp();
    ASSERT_TRUE(LogIs(Strings{"", NoDefinitionsLine()}));
    ScanAnswering("&No");
    EXPECT_TRUE(HoldsFor([&] { return FindTopWindow(app_->id(), "Information", "#32770") == nullptr; }, 1000))
        << "a run started after No";
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    EXPECT_TRUE(TextIs(IDC_LABEL4, "Ready"));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN3, true));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN5, false));
    EXPECT_TRUE(LogIs(Strings{"", NoDefinitionsLine()}));
    EXPECT_EQ(testsupport::ReadFile(Setting("BVX_E2E_OPENED")), "") << "the trial page was opened";
}

TEST_F(BaseLoading, ScanWithoutDefinitionsAnsweredYesRunsAndFindsNothing) {
    StartApp();
    ASSERT_TRUE(LogIs(Strings{"", NoDefinitionsLine()}));
    ScanAnswering("&Yes");
    ExclusiveOpen lock(drive_.LockedPath());
    Answer("Information", kStartMessage, "OK");
    Answer("Information", kNoDetections, "OK");
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET1));
}

TEST_F(BaseLoading, DamagedBaseGetsItsReasonAfterTheLoadedBases) {
    CopySuiteBase("e2e.bvx");
    testsupport::WriteFile(Bases() + "\\broken.bvx", "not a container at all");
    StartApp();
    EXPECT_TRUE(LogIs(Strings{"Spyware Definitions Base e2e.bvx loaded", "",
                              "Spyware Definitions Base broken.bvx not loaded: not a definition "
                              "base (not bzip2 data)"}));
    // The good base still counts: Update and Scan are as they always were.
    ClickButton(IDC_BITBTN7);
    Answer("Information", kUpdateMessage, "OK");
    ScanDriveD();
}

TEST_F(BaseLoading, OnlyADamagedBaseIsToldAsSuchAndAsNoDefinitions) {
    testsupport::WriteFile(Bases() + "\\broken.bvx", "not a container at all");
    StartApp();
    EXPECT_TRUE(LogIs(Strings{"",
                              "Spyware Definitions Base broken.bvx not loaded: not a definition "
                              "base (not bzip2 data)",
                              NoDefinitionsLine()}));
    ClickButton(IDC_BITBTN7);
    Answer("Information", NoDefinitionsUpdate(), "OK");
}

TEST_F(BaseLoading, OffsetsThatAreNoIntegersAreCountedPerBase) {
    CopySuiteBase("e2e.bvx");
    PackBase("offsets.bvx", {{"Bad.Offset.One", "77-90-0-0", '2', "12a"},
                             {"Good.Offset", "77-90-0-0", '2', "12"},
                             {"Bad.Offset.Two", "1-2-3-4", '2', ""}});
    StartApp();
    const Strings loaded{"Spyware Definitions Base e2e.bvx loaded", "Spyware Definitions Base offsets.bvx loaded"};
    // The two bases come in the folder's order, which the test does not fix.
    ASSERT_TRUE(WaitUntil([&] { return List(IDC_LOGLIST).Count() == 4; })) << "four lines";
    Strings log = List(IDC_LOGLIST).Texts();
    std::sort(log.begin(), log.begin() + 2);
    EXPECT_EQ(log, (Strings{loaded[0], loaded[1], "",
                            "Spyware Definitions Base offsets.bvx: 2 definitions of kind 2 with an "
                            "Offset that is not an integer, never used by the scan"}));
    ClickButton(IDC_BITBTN7);
    Answer("Information", kUpdateMessage, "OK");
}

// The window shows and answers at once; Scan waits, the other commands do
// not; the lines come as each base is done, in the folder's order; a scan
// after the load finds what the bases detect.
TEST_F(BaseLoading, AnswersWhileBasesLoadAndScansOnceLoaded) {
    const Strings expected = CopyManyBases();
    ASSERT_EQ(expected.size(), static_cast<size_t>(kManyBases) + 1);
    LaunchApp();
    ClickButton(IDC_BITBTN7);
    ModalBox update = WaitBox(app_->id(), "Information");
    ASSERT_NE(update.window, nullptr) << "Update was not answered";
    EXPECT_EQ(update.text, kStillLoading) << "the load ended before Update was answered";
    // Meanwhile the lines keep coming, each one in its place.
    Strings partial = List(IDC_LOGLIST).Texts();
    ASSERT_LE(partial.size(), expected.size());
    EXPECT_EQ(partial, Strings(expected.begin(), expected.begin() + partial.size()));
    ASSERT_TRUE(PressBoxButton(update, "OK"));
    EXPECT_TRUE(LogIs(expected));
    EXPECT_TRUE(TextIs(IDC_LABEL4, "Ready"));
    EXPECT_TRUE(EnabledIs(IDC_BITBTN3, true));
    ScanDriveD();
}

TEST_F(BaseLoading, ScanWaitsWhileBasesLoad) {
    CopyManyBases();
    LaunchApp();
    const std::string status = TextOf(IDC_LABEL4);
    const bool scanEnabled = Enabled(IDC_BITBTN3);
    const int lines = List(IDC_LOGLIST).Count();
    ASSERT_LE(lines, kManyBases) << "the load ended before the window could be read";
    EXPECT_EQ(status, kLoadingStatus);
    EXPECT_FALSE(scanEnabled);
    EXPECT_TRUE(EnabledIs(IDC_BITBTN3, true));
}

// Exit during the load: the close question, then the program ends cleanly
// once the base being read is done, without loading the rest.
TEST_F(BaseLoading, ExitDuringTheLoadAsksAndEndsCleanly) {
    CopyManyBases();
    LaunchApp();
    ClickButton(IDC_BITBTN1);
    Answer("Confirm", kCloseQuestion, "&No");
    ASSERT_TRUE(app_->WaitExit());
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(app_->handle(), &code);
    EXPECT_EQ(code, 0u);
}

} // namespace
