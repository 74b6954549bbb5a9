// Loading definition bases from the program folder's Bases tree.
#include "BaseReport.h"
#include "FolderSearch.h"
#include "RepeatedBlocks.h"
#include "ScanTestHost.h"
#include "UnixSide.h"
#include "WideFiles.h"

#include "ProgramFolder.h"
#include "TextConversion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using scanner::LogKind;
using scantest::TScanFixture;
using testsupport::BaseRecord;

namespace {

BaseRecord Record(const std::string &name) { return BaseRecord{name, "sig-" + name, '0', "0"}; }

std::vector<std::string> SlotNames(const scanner::TDefinitions &definitions) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < definitions.RecordCount(); ++i)
        names.emplace_back(definitions.Slot(i).Name);
    return names;
}

std::vector<std::string> LoadedLines(const scantest::TRecordingHost &host) {
    return host.LogTexts(LogKind::BaseLoaded);
}

std::string LoadedLine(const std::string &name) {
    return "Spyware Definitions Base " + name + " loaded";
}

// The entries of a folder in the order the system lists them.
std::vector<std::string> EntryOrder(const std::string &folder) {
    std::vector<std::string> names;
    scanner::ForEachFolderEntry(folder, [&](const scanner::FolderEntry &entry) {
        if (entry.Name != "." && entry.Name != "..")
            names.push_back(entry.Name);
        return true;
    });
    return names;
}

TEST(BaseLoading, LoadsInListingOrderWithSubfolderBasesWhereTheFolderComes) {
    TScanFixture fixture;
    fixture.MakeFolder("Bases\\sub");
    scantest::WriteBase(fixture.BasePath("a.bvx"), {Record("A1"), Record("A2")});
    scantest::WriteBase(fixture.BasePath("sub\\b.bvx"), {Record("B1")});
    fixture.Load();

    std::vector<std::string> lines, names;
    for (const std::string &entry : EntryOrder(fixture.BasePath(""))) {
        if (entry == "sub") {
            lines.push_back(LoadedLine("b.bvx"));
            names.push_back("B1");
        } else {
            lines.push_back(LoadedLine("a.bvx"));
            names.insert(names.end(), {"A1", "A2"});
        }
    }
    EXPECT_EQ(LoadedLines(fixture.Host), lines);
    EXPECT_EQ(SlotNames(fixture.Definitions), names);
    ASSERT_FALSE(fixture.Host.Log.empty());
    EXPECT_EQ(fixture.Host.Log.back().Text, "");
    EXPECT_EQ(fixture.Host.Log.back().Kind, LogKind::Plain);
    EXPECT_GT(fixture.Host.MessageRounds, 0);
}

TEST(BaseLoading, SkipsCorruptBasesSilentlyAndGoesOn) {
    // Three good and three corrupt bases: whatever order the listing gives,
    // corrupt ones come between good ones.
    TScanFixture fixture;
    for (const char *good : {"good1", "good2", "good3"})
        scantest::WriteBase(fixture.BasePath(std::string(good) + ".bvx"), {Record(good)});
    testsupport::WriteFile(fixture.BasePath("garbage.bvx"), "this is no base at all");
    scantest::WriteBase(fixture.BasePath("badcount.bvx"),
                        testsupport::BaseContent("many", {Record("Bad")}));
    const std::string whole = testsupport::ReadFile(fixture.BasePath("good1.bvx"));
    testsupport::WriteFile(fixture.BasePath("cut.bvx"), whole.substr(0, whole.size() / 2));
    fixture.Load();

    std::vector<std::string> lines, names;
    for (const std::string &entry : EntryOrder(fixture.BasePath("")))
        if (entry.rfind("good", 0) == 0) {
            lines.push_back(LoadedLine(entry));
            names.push_back(entry.substr(0, 5));
        }
    EXPECT_EQ(LoadedLines(fixture.Host), lines);
    EXPECT_EQ(SlotNames(fixture.Definitions), names);
    EXPECT_TRUE(fixture.Prompts.Errors.empty());

    // Nothing was shown, but the loader knows each failure and its reason.
    std::vector<std::string> failures;
    for (const scanner::BaseFailure &failure : fixture.Definitions.Failures()) {
        failures.push_back(failure.Path + " | " + failure.Reason);
        EXPECT_EQ(failure.SlotsKept, 0) << failure.Path;
    }
    std::sort(failures.begin(), failures.end());
    EXPECT_EQ(failures, (std::vector<std::string>{
                            fixture.BasePath("badcount.bvx") + " | 'many' is not a valid integer value",
                            fixture.BasePath("cut.bvx") + " | Stream read error",
                            fixture.BasePath("garbage.bvx") + " | error -5",
                        }));
}

TEST(BaseLoading, ABaseCutInsideItsEndMarkerLoadsAndDetects) {
    TScanFixture fixture;
    const std::string spy = fixture.MakeFile("spy.exe", "spy content");
    scantest::WriteBase(fixture.BasePath("whole.bvx"),
                        {BaseRecord{"Spy.Whole", scantest::Fingerprint(spy), '0', "0"}});
    const std::string whole = testsupport::ReadFile(fixture.BasePath("whole.bvx"));
    testsupport::WriteFile(fixture.BasePath("whole.bvx"), whole.substr(0, whole.size() - 10));
    fixture.Load();
    EXPECT_EQ(LoadedLines(fixture.Host), std::vector<std::string>{LoadedLine("whole.bvx")});
    EXPECT_EQ(SlotNames(fixture.Definitions), std::vector<std::string>{"Spy.Whole"});
    fixture.Run.State().Scanning = true;
    fixture.Run.ScanFile(spy);
    EXPECT_EQ(fixture.Host.LogTexts(LogKind::Detection),
              std::vector<std::string>{"Found infection in [" + spy + "] - [Spy.Whole]"});
}

TEST(BaseLoading, ABaseThatOverflowsTheTableKeepsTheSlotsThatFit) {
    TScanFixture fixture;
    const std::string spy = fixture.MakeFile("spy.exe", "spy content");
    const std::string pattern = fixture.MakeFile("pattern.exe", "..QQPAT..");
    const std::string offset = fixture.MakeFile("offset.exe", "xxQQ only");
    // The listing order decides which base comes second; it depends on the
    // names only, so empty files show it before the contents are written.
    testsupport::WriteFile(fixture.BasePath("x.bvx"), "");
    testsupport::WriteFile(fixture.BasePath("y.bvx"), "");
    const std::vector<std::string> order = EntryOrder(fixture.BasePath(""));
    ASSERT_EQ(order.size(), 2u);
    testsupport::WriteFile(fixture.BasePath(order[0]), testsupport::FillerBaseContainer({}, 500000));
    testsupport::WriteFile(
        fixture.BasePath(order[1]),
        testsupport::FillerBaseContainer({{"Spy.Fingerprint", scantest::Fingerprint(spy), '0', "0"},
                                          {"Spy.Pattern", "51 51 50 41 54", '1', "0"},
                                          {"Spy.Offset", "120-120-81-81", '2', "0"}},
                                         500002));
    fixture.Load();

    EXPECT_EQ(LoadedLines(fixture.Host), std::vector<std::string>{LoadedLine(order[0])});
    EXPECT_EQ(fixture.Definitions.RecordCount(), 1000001);
    EXPECT_EQ(fixture.Definitions.Slot(500000).Name, "Spy.Fingerprint");
    EXPECT_EQ(fixture.Definitions.Slot(500002).Name, "Spy.Offset");
    EXPECT_EQ(fixture.Definitions.Slot(1000000).Name, "Filler");
    ASSERT_EQ(fixture.Definitions.Failures().size(), 1u);
    const scanner::BaseFailure &failure = fixture.Definitions.Failures()[0];
    EXPECT_EQ(failure.Path, fixture.BasePath(order[1]));
    EXPECT_EQ(failure.Reason, "Range check error");
    EXPECT_EQ(failure.SlotsKept, 500001);

    fixture.Run.State().Scanning = true;
    fixture.Run.ScanFile(spy);
    fixture.Run.ScanFile(pattern);
    fixture.Run.ScanFile(offset);
    EXPECT_EQ(fixture.Host.LogTexts(LogKind::Detection),
              (std::vector<std::string>{"Found infection in [" + spy + "] - [Spy.Fingerprint]",
                                        "Found infection in [" + pattern + "] - [Spy.Pattern]",
                                        "Found infection in [" + offset + "] - [Spy.Offset]"}));
}

TEST(BaseLoading, AcceptsTheExtensionInAnyCaseAndHiddenReadOnlyBases) {
    TScanFixture fixture;
    scantest::WriteBase(fixture.BasePath("X.BVX"), {Record("Upper")});
    scantest::WriteBase(fixture.BasePath("hidden.Bvx"), {Record("Hidden")});
    SetFileAttributesA(fixture.BasePath("hidden.Bvx").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
    scantest::WriteBase(fixture.BasePath("old.bvx.bak"), {Record("Backup")});
    scantest::WriteBase(fixture.BasePath("bvx"), {Record("NoExtension")});
    fixture.Load();

    auto lines = LoadedLines(fixture.Host);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{LoadedLine("X.BVX"), LoadedLine("hidden.Bvx")}));
    auto names = SlotNames(fixture.Definitions);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Hidden", "Upper"}));
}

TEST(BaseLoading, WithoutBasesFolderLogsOnlyTheEmptyLine) {
    testsupport::TempDir dir;
    scantest::TRecordingHost host;
    scantest::TAnsweringPrompts prompts;
    scanner::TDefinitions definitions;
    ASSERT_TRUE(definitions.LoadBases(dir.path(), host, prompts));
    EXPECT_TRUE(definitions.Available());
    EXPECT_EQ(definitions.RecordCount(), 0);
    ASSERT_EQ(host.Log.size(), 1u);
    EXPECT_EQ(host.Log[0].Text, "");
}

TEST(BaseLoading, AFolderLinkBackIntoTheTreeLoadsEachBaseOnce) {
    TScanFixture fixture;
    fixture.MakeFolder("Bases\\sub");
    scantest::WriteBase(fixture.BasePath("a.bvx"), {Record("A")});
    scantest::WriteBase(fixture.BasePath("sub\\b.bvx"), {Record("B")});
    const std::string link = fixture.BasePath("sub\\back");
    ASSERT_TRUE(testsupport::MakeFolderLink(link, fixture.BasePath("")));
    fixture.Load();
    testsupport::RemoveFolderLink(link);

    auto lines = LoadedLines(fixture.Host);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{LoadedLine("a.bvx"), LoadedLine("b.bvx")}));
    EXPECT_EQ(fixture.Definitions.RecordCount(), 2);
}

scanner::TableBlock NoMemory() {
    return scanner::TableBlock(nullptr, [](uint8_t *) {});
}

TEST(BaseLoading, ATableThatCannotBeAllocatedIsReportedAndNeverScanned) {
    TScanFixture fixture;
    scantest::WriteBase(fixture.BasePath("a.bvx"), {Record("A")});
    fixture.MakeFile("setup.exe", "MZ");
    scanner::TDefinitions definitions(NoMemory);
    EXPECT_FALSE(definitions.LoadBases(fixture.Dir.path(), fixture.Host, fixture.Prompts));
    EXPECT_EQ(fixture.Prompts.Errors, std::vector<std::string>{"Out of memory"});
    EXPECT_FALSE(definitions.Available());
    EXPECT_TRUE(fixture.Host.Log.empty());

    scanner::TScanRun run(fixture.Host, fixture.Prompts, &definitions);
    fixture.Host.Drives = {{fixture.Dir.path(), true}};
    run.StartOrResumeScan();
    ASSERT_EQ(fixture.Prompts.Warnings.size(), 1u);
    EXPECT_NE(fixture.Prompts.Warnings[0].find("not enough memory"), std::string::npos);
    EXPECT_TRUE(fixture.Prompts.Informations.empty());
    EXPECT_TRUE(fixture.Prompts.Addresses.empty());
    EXPECT_EQ(run.State().ScannedFiles, 0);
    EXPECT_TRUE(fixture.Host.Pages.empty());
    EXPECT_FALSE(run.RunInProgress());
}

TEST(BaseLoading, ProgramFolderIsTheRunningProgramsFolder) {
    const scanner::TProgramFolder folder = scanner::RunningProgramFolder();
    ASSERT_FALSE(folder.Ansi.empty()) << folder.Reason;
    EXPECT_EQ(folder.Ansi.back(), '\\');
    EXPECT_EQ(folder.Wide.back(), L'\\');
    EXPECT_EQ(folder.Shown, brenvald::Utf8FromWide(folder.Wide));
    EXPECT_TRUE(testsupport::FileExists(folder.Ansi + "Kernel.dll"));
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    testsupport::TempDir elsewhere;
    SetCurrentDirectoryA(elsewhere.path().c_str());
    EXPECT_EQ(scanner::RunningProgramFolder().Wide, folder.Wide);
    SetCurrentDirectoryA(current);
}

// The program copied to a folder whose name the ANSI code page cannot spell
// (in part or at all): its bases are found through the folder's short form
// and logged by their real names.
TEST(BaseLoading, BasesLoadBelowAProgramFolderOfAnyName) {
    struct TCase {
        const wchar_t *Folder; // below the temporary folder, ending with a backslash
        const wchar_t *Base;
    };
    const TCase cases[] = {
        {L"J\u00fcrgen\\Brenvald\\", L"plain.bvx"},
        {L"\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b J\u00fcrgen\\Brenvald\\",
         L"\u0431\u0430\u0437\u0430.bvx"},
        {L"\u30d7\u30ed\u30b0\u30e9\u30e0 J\u00fcrgen\\Brenvald\\", L"\u5b9a\u7fa9.bvx"},
    };
    for (const TCase &test : cases) {
        testsupport::TempDir dir;
        const std::string folderShown = brenvald::Utf8FromWide(
            brenvald::WideFromAnsi(dir.path()) + test.Folder);
        SCOPED_TRACE(folderShown);
        testsupport::MakeWideFolder(folderShown + "Bases");
        scantest::WriteBase(dir.file("made.bvx"), {Record("Any")});
        ASSERT_TRUE(MoveFileW(brenvald::WideFromAnsi(dir.file("made.bvx")).c_str(),
                              (brenvald::WideFromUtf8(folderShown) + L"Bases\\" + test.Base).c_str()));

        const scanner::TProgramFolder folder =
            scanner::ProgramFolderOf(brenvald::WideFromUtf8(folderShown) + L"bvxscan.exe");
        EXPECT_EQ(folder.Shown, folderShown);
        ASSERT_FALSE(folder.Ansi.empty()) << folder.Reason;
        scantest::TRecordingHost host;
        scantest::TAnsweringPrompts prompts;
        scanner::TDefinitions definitions;
        ASSERT_TRUE(definitions.LoadBases(folder, host, prompts));
        EXPECT_EQ(LoadedLines(host),
                  std::vector<std::string>{LoadedLine(brenvald::Utf8FromWide(test.Base))});
        EXPECT_EQ(SlotNames(definitions), std::vector<std::string>{"Any"});
        ASSERT_FALSE(host.Log.empty());
        EXPECT_EQ(host.Log.back().Text, "");
    }
}

// Where no ANSI path reaches Bases\ (the engine opens ANSI paths only), the
// log says so and why, instead of looking like an empty folder.
TEST(BaseLoading, AProgramFolderThatNoAnsiPathReachesIsLoggedOnce) {
    testsupport::TempDir dir;
    std::wstring deep = brenvald::WideFromAnsi(dir.path());
    while (deep.size() < 300)
        deep += L"abcdefgh\\";
    struct TCase {
        std::wstring Program;
        const char *Reason;
    };
    const TCase cases[] = {
        // Not there, so the volume gives it no short name either.
        {brenvald::WideFromAnsi(dir.path()) + L"\u041d\u0435\u0442\\bvxscan.exe",
         scanner::UnspellableFolderReason},
        {deep + L"bvxscan.exe", scanner::TooLongFolderReason},
    };
    for (const TCase &test : cases) {
        const scanner::TProgramFolder folder = scanner::ProgramFolderOf(test.Program);
        SCOPED_TRACE(folder.Shown);
        EXPECT_TRUE(folder.Ansi.empty());
        EXPECT_EQ(folder.Reason, test.Reason);
        scantest::TRecordingHost host;
        scantest::TAnsweringPrompts prompts;
        scanner::TDefinitions definitions;
        ASSERT_TRUE(definitions.LoadBases(folder, host, prompts));
        EXPECT_TRUE(definitions.Available());
        EXPECT_EQ(definitions.RecordCount(), 0);
        EXPECT_EQ(host.LogTexts(LogKind::Plain),
                  (std::vector<std::string>{"No definition base can be loaded from [" +
                                                folder.Shown + "Bases\\] - [" + test.Reason + "]",
                                            ""}));
    }
}

} // namespace

// What follows the loaded bases' lines: each failure with its reason, each
// base holding offset signatures whose Offset is no integer, and a word when
// no definition is loaded, in that order; nothing more for sound bases.
TEST(BaseLoading, ReportLinesNameFailuresUnusedOffsetsAndAnEmptyTable) {
    const std::string none = "No spyware definitions are loaded, so a scan cannot find anything: "
                             "put definition bases (.bvx files) into ";
    const BaseRecord badOffset{"Off.Bad", "1-2-3-4", '2', "1x"};
    const BaseRecord goodOffset{"Off.Good", "1-2-3-4", '2', "-7"};
    const struct {
        const char *what;
        std::vector<std::pair<std::string, std::vector<BaseRecord>>> bases;
        bool garbage;
        std::vector<std::string> lines; // "" stands for the no-definitions line
    } cases[] = {
        {"sound", {{"a.bvx", {Record("A"), goodOffset}}}, false, {}},
        {"no base", {}, false, {""}},
        {"garbage alone", {}, true,
         {"Spyware Definitions Base junk.bvx not loaded: not a definition base (not bzip2 data)", ""}},
        {"garbage beside a good one", {{"a.bvx", {Record("A")}}}, true,
         {"Spyware Definitions Base junk.bvx not loaded: not a definition base (not bzip2 data)"}},
        {"unused offsets", {{"o.bvx", {badOffset, goodOffset, badOffset}}}, false,
         {"Spyware Definitions Base o.bvx: 2 definitions of kind 2 with an Offset that is not an "
          "integer, never used by the scan"}},
        {"an empty base", {{"e.bvx", {}}}, false, {""}},
    };
    for (const auto &c : cases) {
        TScanFixture fixture;
        for (const auto &base : c.bases)
            scantest::WriteBase(fixture.BasePath(base.first),
                                testsupport::BaseContent(std::to_string(static_cast<int>(base.second.size()) - 1),
                                                         base.second));
        if (c.garbage)
            testsupport::WriteFile(fixture.BasePath("junk.bvx"), "this is no base at all");
        fixture.Load();
        const std::string folder = fixture.BasePath("");
        std::vector<std::string> expected = c.lines;
        for (std::string &line : expected)
            if (line.empty())
                line = none + folder + " and start Brenvald again.";
        EXPECT_EQ(scanner::LoadReportLines(fixture.Definitions, folder), expected) << c.what;
        // The loaded bases' own lines are as they always were.
        EXPECT_EQ(LoadedLines(fixture.Host).size(), c.bases.size()) << c.what;
        EXPECT_EQ(fixture.Host.Log.back().Text, "") << c.what;
    }
    // A table that could not be allocated has had its error report.
    TScanFixture fixture;
    scanner::TDefinitions definitions(NoMemory);
    EXPECT_FALSE(definitions.LoadBases(fixture.Dir.path(), fixture.Host, fixture.Prompts));
    EXPECT_TRUE(scanner::LoadReportLines(definitions, fixture.BasePath("")).empty());
}
