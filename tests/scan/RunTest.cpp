// Scan runs over folder trees given as the drive list's roots, with the
// user's commands played in while the scan processes messages.
#include "ScanTestHost.h"
#include "UnixSide.h"
#include "WebAddresses.h"

#include <gtest/gtest.h>

#include <algorithm>

using scanner::CommandState;
using scanner::LogKind;
using scanner::Page;
using scantest::TScanFixture;
using testsupport::BaseRecord;

namespace {

const char StartMessage[] = "Scan in progress. You have a time to try other software.";

// A folder of count program files named f0.exe, f1.exe, ...
std::string MakeProgramFolder(TScanFixture &fixture, const std::string &name, int count) {
    const std::string folder = fixture.MakeFolder(name);
    for (int i = 0; i < count; ++i)
        fixture.MakeFile(name + "\\f" + std::to_string(i) + ".exe", "program " + std::to_string(i));
    return folder;
}

std::vector<std::string> ScannedNames(const scantest::TRecordingHost &host) {
    std::vector<std::string> names;
    for (const std::string &status : host.StatusHistory)
        if (status.rfind("Scan: ", 0) == 0)
            names.push_back(status.substr(6));
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectEndSteps(const TScanFixture &fixture, int infected) {
    const auto &log = fixture.Host.Log;
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].Text, "");
    EXPECT_EQ(log.back().Text, "Scan Complete");
    EXPECT_EQ(log.back().Kind, LogKind::Plain);
    EXPECT_EQ(fixture.Host.ProgressBar, 1000);
    EXPECT_EQ(fixture.Host.Status, "Complete");
    // The counters end on the run's final numbers, the last detection included.
    ASSERT_FALSE(fixture.Host.CounterHistory.empty());
    EXPECT_EQ(fixture.Host.CounterHistory.back().Infected, infected);
    ASSERT_FALSE(fixture.Prompts.Informations.empty());
    EXPECT_EQ(fixture.Prompts.Informations.back(),
              "Scan results: " + std::to_string(infected) + " infections found.");
    ASSERT_FALSE(fixture.Host.Pages.empty());
    EXPECT_EQ(fixture.Host.Pages.back(), infected > 0 ? Page::Results : Page::Drives);
    EXPECT_EQ(fixture.Host.Commands.back(), CommandState::Idle);
    EXPECT_FALSE(fixture.Run.State().Scanning);
}

TEST(ScanRun, WithNoDriveCheckedStillRunsTheStartAndEndSteps) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Host.Results = {"stale result"};
    fixture.Host.Drives = {{MakeProgramFolder(fixture, "d", 2), false}};
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(fixture.Host.ResultClears, 1);
    EXPECT_TRUE(fixture.Host.Results.empty());
    EXPECT_EQ(fixture.Host.ProgressHistory.front(), 0);
    EXPECT_EQ(fixture.Host.Pages.front(), Page::Counters);
    ASSERT_EQ(fixture.Prompts.Informations.size(), 2u);
    EXPECT_EQ(fixture.Prompts.Informations[0], StartMessage);
    ASSERT_EQ(fixture.Prompts.Addresses.size(), 1u);
    EXPECT_EQ(fixture.Prompts.Addresses[0].first, scanner::TrialPageAddress);
    EXPECT_TRUE(fixture.Prompts.Addresses[0].second);
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 0);
    ExpectEndSteps(fixture, 0);
}

// An empty table finds nothing: Scan asks first, No starts nothing, Yes
// runs as always; with a definition loaded nothing is asked.
TEST(ScanRun, AnEmptyTableIsConfirmedBeforeARun) {
    const char question[] =
        "No spyware definitions are loaded, so a scan cannot find anything. Scan anyway?";
    const struct {
        bool withBase;
        bool answer;
        size_t questions;
        bool runs;
    } cases[] = {{false, false, 1, false}, {false, true, 1, true}, {true, false, 0, true}};
    for (const auto &c : cases) {
        TScanFixture fixture;
        if (c.withBase)
            scantest::WriteBase(fixture.BasePath("a.bvx"),
                                {BaseRecord{"Spy.None", "00000000000000000000000000000000:1", '0', "0"}});
        fixture.Load();
        fixture.Prompts.WarningConfirmAnswer = c.answer;
        fixture.Host.Results = {"kept result"};
        fixture.Host.Drives = {{MakeProgramFolder(fixture, "d", 2), true}};
        fixture.Run.StartOrResumeScan();
        ASSERT_EQ(fixture.Prompts.WarningConfirms.size(), c.questions) << c.withBase << c.answer;
        if (c.questions > 0) {
            EXPECT_EQ(fixture.Prompts.WarningConfirms[0], question);
        }
        EXPECT_TRUE(fixture.Prompts.Confirms.empty());
        if (c.runs) {
            EXPECT_EQ(fixture.Run.State().ScannedFiles, 2);
            ExpectEndSteps(fixture, 0);
            continue;
        }
        // No: no box, no page, no reset, no trial page, nothing walked.
        EXPECT_TRUE(fixture.Prompts.Informations.empty());
        EXPECT_TRUE(fixture.Prompts.Addresses.empty());
        EXPECT_TRUE(fixture.Host.Pages.empty());
        EXPECT_EQ(fixture.Host.ResultClears, 0);
        EXPECT_EQ(fixture.Host.Results, std::vector<std::string>{"kept result"});
        EXPECT_EQ(fixture.Run.State().ScannedFiles, 0);
        EXPECT_FALSE(fixture.Run.State().Scanning);
    }
}

TEST(ScanRun, ResetsCountersAndEndsOnTheResultsPageWhenInfected) {
    TScanFixture fixture;
    const std::string folder = MakeProgramFolder(fixture, "d", 3);
    scantest::WriteBase(fixture.BasePath("a.bvx"),
                        {BaseRecord{"Spy.Zero", scantest::Fingerprint(folder + "f0.exe"), '0', "0"},
                         BaseRecord{"Spy.Two", scantest::Fingerprint(folder + "f2.exe"), '0', "0"}});
    fixture.Load();
    fixture.Run.State().ScannedFiles = 40;
    fixture.Run.State().Skipped = 4;
    fixture.Run.State().Infected = 9;
    fixture.Run.State().ScannedMB = 7.5;
    fixture.Host.Drives = {{folder, true}};
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 3);
    EXPECT_EQ(fixture.Run.State().Skipped, 0);
    EXPECT_EQ(fixture.Run.State().ScannedMB, 0.0);
    EXPECT_EQ(fixture.Run.State().Infected, 2);
    std::vector<std::string> results = fixture.Host.Results;
    std::sort(results.begin(), results.end());
    EXPECT_EQ(results, (std::vector<std::string>{folder + "f0.exe", folder + "f2.exe"}));
    EXPECT_EQ(fixture.Host.Commands.front(), CommandState::Busy);
    ExpectEndSteps(fixture, 2);
}

// A row without a closing backslash is a file the user named: checked
// whatever its name or folder, reported with its definition's name, beside a
// folder walked by the usual rules.
TEST(ScanRun, ANamedFileRootIsCheckedWhateverItsName) {
    TScanFixture fixture;
    fixture.MakeFolder("Quarantined");
    const std::string notes = fixture.MakeFile("Quarantined\\notes.txt", "named file");
    const std::string folder = MakeProgramFolder(fixture, "d", 2);
    fixture.MakeFile("d\\notes.txt", "named file"); // not selected by the walk
    scantest::WriteBase(fixture.BasePath("a.bvx"),
                        {BaseRecord{"Spy.Named", scantest::Fingerprint(notes), '0', "0"}});
    fixture.Load();
    fixture.Host.Drives = {{notes, true}, {folder, true}, {fixture.Dir.file("gone.exe"), true}};
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(fixture.Host.Results, std::vector<std::string>{notes});
    EXPECT_EQ(fixture.Host.ResultNames, std::vector<std::string>{"Spy.Named"});
    EXPECT_EQ(fixture.Host.LogTexts(LogKind::Detection),
              std::vector<std::string>{"Found infection in [" + notes + "] - [Spy.Named]"});
    // The named file, the folder's two programs, and the gone file, which is
    // counted and logged as any file that cannot be read.
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 4);
    EXPECT_EQ(fixture.Run.State().Skipped, 1);
    EXPECT_EQ(fixture.Host.LogTexts(LogKind::IgnoredFile),
              std::vector<std::string>{"Ignored [" + fixture.Dir.file("gone.exe") + "]"});
    ExpectEndSteps(fixture, 1);
}

TEST(ScanRun, ProgressClimbsTo93AndIsFilledAtTheEnd) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Host.Drives = {{MakeProgramFolder(fixture, "many", 120), true}};
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 120);
    const auto &history = fixture.Host.ProgressHistory;
    ASSERT_GE(history.size(), 3u);
    EXPECT_EQ(history.back(), 1000);
    EXPECT_EQ(history[history.size() - 2], 93);
    EXPECT_EQ(*std::max_element(history.begin(), history.end() - 1), 93);
    EXPECT_EQ(std::count(history.begin(), history.end(), 93), 1);
}

TEST(ScanRun, WalksTheSelectedFilesOnly) {
    TScanFixture fixture;
    fixture.Load();
    const std::string root = fixture.MakeFolder("root");
    fixture.MakeFolder("root\\Quarantine");
    fixture.MakeFolder("root\\sub");
    fixture.MakeFolder("root\\sub\\RECYCLER");
    for (const char *file : {"Quarantine\\notes.exe", "Quarantine\\readme.txt",
                             "sub\\RECYCLER\\virus.dll", "virtual.txt", "antispy.ini", "report.txt",
                             "exe", "sub\\SETUP.EXE", "sub\\lib.Dll", "sub\\notes.doc"})
        fixture.MakeFile(std::string("root\\") + file, "content");
    fixture.Host.Drives = {{root, true}};
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(ScannedNames(fixture.Host),
              (std::vector<std::string>{"SETUP.EXE", "antispy.ini", "lib.Dll", "virtual.txt"}));
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 4);
    // Messages are processed before every file entry, selected or not.
    EXPECT_GE(fixture.Host.MessageRounds, 10);
}

TEST(ScanRun, PauseHoldsTheWalkAndScanResumesIt) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Host.Drives = {{MakeProgramFolder(fixture, "d", 5), true}};
    int filesAtResume = -1;
    fixture.Host.OnMessages = [&] {
        if (fixture.Host.MessageRounds == 3)
            fixture.Run.Pause();
        if (fixture.Host.MessageRounds == 8) {
            filesAtResume = fixture.Run.State().ScannedFiles;
            fixture.Run.StartOrResumeScan();
        }
    };
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(filesAtResume, 2);
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 5);
    // One label refresh per checked file, and the end steps' one.
    EXPECT_EQ(fixture.Host.CounterHistory.size(), 6u);
    const auto &commands = fixture.Host.Commands;
    const auto paused = std::find(commands.begin(), commands.end(), CommandState::Paused);
    ASSERT_NE(paused, commands.end());
    ASSERT_NE(paused + 1, commands.end());
    EXPECT_EQ(*(paused + 1), CommandState::Busy);
    // A resume is not a new run: one start message, one results message.
    EXPECT_EQ(fixture.Prompts.Informations.size(), 2u);
    ExpectEndSteps(fixture, 0);
}

TEST(ScanRun, StopWhilePausedLeavesTheWaitingFileUncounted) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Host.Drives = {{MakeProgramFolder(fixture, "d", 5), true}};
    fixture.Host.OnMessages = [&] {
        if (fixture.Host.MessageRounds == 3)
            fixture.Run.Pause();
        if (fixture.Host.MessageRounds == 6)
            fixture.Run.Stop();
    };
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 2);
    EXPECT_EQ(fixture.Host.CounterHistory.size(), 3u); // two files and the end steps
    EXPECT_FALSE(fixture.Run.State().Paused);
    ExpectEndSteps(fixture, 0);
}

TEST(ScanRun, StopDuringTheFirstRootLeavesTheSecondUnwalked) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Host.Drives = {{MakeProgramFolder(fixture, "first", 4), true},
                           {MakeProgramFolder(fixture, "second", 4), true}};
    fixture.Host.OnMessages = [&] {
        if (fixture.Host.MessageRounds == 2)
            fixture.Run.Stop();
    };
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 1);
    EXPECT_EQ(fixture.Host.MessageRounds, 2);
    EXPECT_EQ(std::count(fixture.Host.Commands.begin(), fixture.Host.Commands.end(),
                         CommandState::Busy),
              1);
    ExpectEndSteps(fixture, 0);
}

TEST(ScanRun, ATickDuringTheRunIsSeenWhenItsDriveComes) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Host.Drives = {{MakeProgramFolder(fixture, "first", 2), true},
                           {MakeProgramFolder(fixture, "second", 3), false}};
    fixture.Host.OnMessages = [&] { fixture.Host.Drives[1].Checked = true; };
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 5);
}

TEST(ScanRun, ScanDuringABusyRunStartsNoSecondRun) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Host.Drives = {{MakeProgramFolder(fixture, "d", 3), true}};
    fixture.Host.OnMessages = [&] {
        if (fixture.Host.MessageRounds == 2)
            fixture.Run.StartOrResumeScan();
    };
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 3);
    EXPECT_EQ(fixture.Host.ResultClears, 1);
    EXPECT_EQ(fixture.Prompts.Informations.size(), 2u);
}

TEST(ScanRun, ExitDuringAScanUnwindsWithoutTheClosingBox) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Host.Drives = {{MakeProgramFolder(fixture, "first", 4), true},
                           {MakeProgramFolder(fixture, "second", 4), true}};
    bool inProgressAtExit = false;
    fixture.Host.OnMessages = [&] {
        if (fixture.Host.MessageRounds == 2) {
            fixture.Run.Pause();
        } else if (fixture.Host.MessageRounds == 4) {
            inProgressAtExit = fixture.Run.RunInProgress();
            fixture.Run.ClearScanFlags();
        }
    };
    fixture.Run.StartOrResumeScan();
    EXPECT_TRUE(inProgressAtExit);
    EXPECT_FALSE(fixture.Run.RunInProgress());
    EXPECT_FALSE(fixture.Run.State().Scanning);
    EXPECT_FALSE(fixture.Run.State().Paused);
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 1);
    EXPECT_EQ(fixture.Prompts.Informations, std::vector<std::string>{StartMessage});
    EXPECT_EQ(fixture.Host.Pages, std::vector<Page>{Page::Counters});
}

TEST(ScanRun, ExitWhileTheStartMessageShowsWalksNothing) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Host.Drives = {{MakeProgramFolder(fixture, "d", 2), true}};
    fixture.Prompts.OnInformation = [&](const std::string &text) {
        if (text == StartMessage)
            fixture.Run.ClearScanFlags();
    };
    fixture.Run.StartOrResumeScan();
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 0);
    EXPECT_EQ(fixture.Host.MessageRounds, 0);
    EXPECT_EQ(fixture.Prompts.Informations.size(), 1u);
}

TEST(ScanRun, AFolderLinkLoopChecksEveryFileOnce) {
    TScanFixture fixture;
    fixture.Load();
    const std::string root = fixture.MakeFolder("root");
    fixture.MakeFolder("root\\a");
    fixture.MakeFolder("root\\a\\b");
    fixture.MakeFile("root\\a\\one.exe", "1");
    fixture.MakeFile("root\\a\\b\\two.exe", "2");
    fixture.MakeFile("root\\three.exe", "3");
    const std::string loop = root + "a\\b\\loop";
    const std::string shortcut = root + "c";
    ASSERT_TRUE(testsupport::MakeFolderLink(loop, root));
    ASSERT_TRUE(testsupport::MakeFolderLink(shortcut, root + "a"));
    fixture.Host.Drives = {{root, true}};
    fixture.Run.StartOrResumeScan();
    testsupport::RemoveFolderLink(loop);
    testsupport::RemoveFolderLink(shortcut);
    EXPECT_EQ(ScannedNames(fixture.Host),
              (std::vector<std::string>{"one.exe", "three.exe", "two.exe"}));
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 3);
}

TEST(ScanRun, ScanRootsWalksEachRootWithoutBoxes) {
    TScanFixture fixture;
    fixture.Load();
    const std::string first = MakeProgramFolder(fixture, "first", 2);
    const std::string second = MakeProgramFolder(fixture, "second", 3);
    fixture.Run.ScanRoots({first, second});
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 5);
    EXPECT_FALSE(fixture.Run.State().Scanning);
    EXPECT_TRUE(fixture.Prompts.Informations.empty());
    EXPECT_TRUE(fixture.Prompts.Addresses.empty());
}

} // namespace
