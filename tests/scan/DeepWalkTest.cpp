// The walk over trees that the ANSI calls and the file index cannot tell
// apart: the bottom of a 2,000-level tree, and two mounted file systems whose
// root folders share an inode number. The trees are made from the Linux side.
#include "FolderSearch.h"
#include "QuarantineCommands.h"
#include "QuarantineFiles_win.h"
#include "ScanTestHost.h"
#include "TextConversion.h"
#include "UnixSide.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using scanner::LogKind;
using scantest::TScanFixture;
using testsupport::BaseRecord;

namespace {

// Linux refuses paths of this many bytes, terminator included; Wine cannot
// reach a folder whose Unix path is longer.
constexpr size_t UnixPathMax = 4096;
constexpr int DeepLevels = 2000;

const char TooLongReason[] = "the path is too long for the engine, even in its short form";

std::string Repeated(const std::string &part, int times) {
    std::string whole;
    for (int i = 0; i < times; ++i)
        whole += part;
    return whole;
}

// A root of the test's own right below C:, so that the Unix path of a
// 2,000-level tree stays short enough for Linux; removed from the Linux side.
class TShortRoot {
public:
    TShortRoot() {
        path_ = "C:\\bvxdeep" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TShortRoot() { testsupport::RemoveUnixTree(path_); }
    TShortRoot(const TShortRoot &) = delete;
    TShortRoot &operator=(const TShortRoot &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

struct TDeepScan {
    TScanFixture fixture;
    TShortRoot root;

    std::vector<std::string> Ignored() const { return fixture.Host.LogTexts(LogKind::IgnoredFile); }
    std::vector<std::string> Detections() const {
        return fixture.Host.LogTexts(LogKind::Detection);
    }
    void Scan() {
        fixture.Load();
        fixture.Run.ScanRoots({root.path()});
    }
};

// A file below a path of more than 260 characters, through the wide calls.
brenvald::FileHandle OpenLongPath(const std::string &path, DWORD access, DWORD share, DWORD disposition) {
    const std::wstring wide = L"\\\\?\\" + brenvald::WideFromAnsi(path);
    return brenvald::FileHandle(
        CreateFileW(wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteLongPathFile(const std::string &path, const std::string &content) {
    brenvald::FileHandle file = OpenLongPath(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD written = 0;
    return file.valid() &&
           WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
           written == content.size();
}

// The file's bytes; "(missing)" when it cannot be opened.
std::string ReadLongPathFile(const std::string &path) {
    brenvald::FileHandle file = OpenLongPath(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (!file.valid())
        return "(missing)";
    std::string content;
    char buffer[4096];
    DWORD delivered = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &delivered, nullptr) && delivered > 0)
        content.append(buffer, delivered);
    return content;
}

// A list with check boxes in memory, every row checked.
class TCheckedRows : public scanner::ICheckList {
public:
    explicit TCheckedRows(std::vector<std::string> captions) : captions_(std::move(captions)),
                                                               checked_(captions_.size(), true) {}
    int RowCount() const override { return static_cast<int>(captions_.size()); }
    std::string Caption(int row) const override { return captions_[static_cast<size_t>(row)]; }
    bool Checked(int row) const override { return checked_[static_cast<size_t>(row)]; }
    void SetChecked(int row, bool checked) override { checked_[static_cast<size_t>(row)] = checked; }
    void RemoveRow(int row) override {
        captions_.erase(captions_.begin() + row);
        checked_.erase(checked_.begin() + row);
    }

private:
    std::vector<std::string> captions_;
    std::vector<bool> checked_;
};

std::vector<std::string> QuarantineCaptions(scanner::QuarantineStore &store) {
    std::vector<std::string> captions;
    for (const scanner::QuarantineRow &row : store.ListQuarantine())
        captions.push_back(row.caption);
    return captions;
}

// The bottom of a chain of one-letter folders: one-letter names are their
// own short names, so nothing shortens the path, and the engine, which takes
// ANSI paths only, cannot be handed it. The walk reads such files itself
// through their wide paths.
struct TDeepBottom {
    TDeepScan deep;
    std::string Folder;
    bool Made = false;

    explicit TDeepBottom(int levels) {
        Folder = deep.root.path() + Repeated("d\\", levels);
        const size_t unixLength = testsupport::UnixPath(deep.root.path()).size() + 2 * levels;
        if (unixLength + 1 + 20 > UnixPathMax)
            return;
        Made = testsupport::MakeFolderChain(deep.root.path(), "d", levels, "readme.txt", "not selected");
    }
};

// Program-like files at the bottom, one for each kind of definition, are
// found with the names of their definitions and the real paths, go into
// quarantine by Fix & Continue, come back byte for byte by Restore, and are
// gone for good by Delete; a copy at the top, which the engine opens, is
// found by the same base.
void ExpectTheBottomFilesCheckedFromTheirWidePaths(int levels) {
    TDeepBottom bottom(levels);
    if (!bottom.Made)
        GTEST_SKIP() << "the test's folder lies too deep for a " << levels
                     << "-level tree within Linux's path limit";
    TDeepScan &deep = bottom.deep;
    const std::string md5Content = "MZ known at the bottom";
    const std::string hexContent = std::string("MZ\0\x01 ", 5) + std::string(3000, 'h') + "QQBETA tail";
    const std::string offsetContent("\x01\x02\x03\x04 offset at the bottom\0\xff", 27);
    struct Planted {
        std::string Name, Content, Definition;
    } planted[] = {{"md5_trojan.exe", md5Content, "Spy.Md5"},
                   {"hex_trojan.exe", hexContent, "Spy.Hex"},
                   {"offset_trojan.exe", offsetContent, "Spy.Offset"}};
    for (const Planted &file : planted)
        ASSERT_TRUE(WriteLongPathFile(bottom.Folder + file.Name, file.Content)) << file.Name;
    testsupport::WriteFile(deep.root.path() + "near_trojan.exe", md5Content);
    scantest::WriteBase(deep.fixture.BasePath("a.bvx"),
                        {BaseRecord{"Spy.Hex", "51 51 42 45 54 41", '1', "0"},
                         BaseRecord{"Spy.Md5", scantest::Fingerprint(deep.root.path() + "near_trojan.exe"), '0', "0"},
                         BaseRecord{"Spy.Offset", "1-2-3-4", '2', "0"}});
    deep.Scan();
    std::vector<std::string> expected{"Found infection in [" + deep.root.path() + "near_trojan.exe] - [Spy.Md5]"};
    for (const Planted &file : planted)
        expected.push_back("Found infection in [" + bottom.Folder + file.Name + "] - [" + file.Definition + "]");
    std::vector<std::string> found = deep.Detections();
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(deep.Ignored().empty());
    EXPECT_EQ(deep.fixture.Run.State().ScannedFiles, 4);
    EXPECT_EQ(deep.fixture.Run.State().Skipped, 0);
    EXPECT_EQ(deep.fixture.Run.State().Infected, 4);
    // Scanned (MB) counts whole kilobytes: only the hex file has any, two.
    EXPECT_EQ(deep.fixture.Run.State().ScannedMB, 2 / 1024.0);

    scanner::Win32QuarantineFiles files;
    scanner::SeededNameDraw draw;
    scanner::SystemClock clock;
    scanner::QuarantineStore store(deep.fixture.Dir.path(), files, draw, clock);
    std::vector<std::string> logged;
    scanner::QuarantineHost host{deep.fixture.Prompts, [&](const std::string &line) { logged.push_back(line); },
                                 [](scanner::Page) {}};
    TCheckedRows results(deep.fixture.Host.Results);
    scanner::FixAndContinue(store, results, host);
    EXPECT_EQ(results.RowCount(), 0);
    for (const Planted &file : planted)
        EXPECT_EQ(ReadLongPathFile(bottom.Folder + file.Name), "(missing)") << file.Name;
    std::vector<std::string> quarantined = QuarantineCaptions(store);
    EXPECT_EQ(quarantined.size(), 4u);

    TCheckedRows quarantineList(quarantined);
    scanner::RestoreChecked(store, quarantineList, host);
    EXPECT_EQ(quarantineList.RowCount(), 0);
    for (const Planted &file : planted)
        EXPECT_EQ(ReadLongPathFile(bottom.Folder + file.Name), file.Content) << file.Name;
    EXPECT_EQ(testsupport::ReadFile(deep.root.path() + "near_trojan.exe"), md5Content);

    TCheckedRows again({bottom.Folder + planted[1].Name});
    scanner::FixAndContinue(store, again, host);
    TCheckedRows toDelete(QuarantineCaptions(store));
    ASSERT_EQ(toDelete.RowCount(), 1);
    // Delete asks first, once; the user says yes.
    deep.fixture.Prompts.ConfirmAnswer = true;
    const size_t asked = deep.fixture.Prompts.Confirms.size();
    scanner::DeleteChecked(store, toDelete, host);
    EXPECT_EQ(deep.fixture.Prompts.Confirms.size(), asked + 1);
    EXPECT_EQ(ReadLongPathFile(bottom.Folder + planted[1].Name), "(missing)");
    EXPECT_TRUE(QuarantineCaptions(store).empty());
    EXPECT_TRUE(logged.empty()) << logged.front();
}

// 500 levels (1,000 characters) is well past every ANSI and short-path limit.
TEST(DeepWalk, TheBottomOfA500LevelTreeIsCheckedFromItsWidePaths) {
    ExpectTheBottomFilesCheckedFromTheirWidePaths(500);
}

// 2,000 levels, a path of about 4,000 characters: as deep as Linux lets Wine
// go. About 45 s under Wine, 43 s of it the walk's 2,000 folder listings, each
// of which costs Wine time in step with its depth (the walk bench finds the
// scan's walk within a few per cent of a bare listing of a deep tree; before
// the wide read, when it asked for one short form only, this test took as
// long), so run it with --gtest_also_run_disabled_tests.
TEST(DeepWalk, DISABLED_TheBottomOfA2000LevelTreeIsCheckedFromItsWidePaths) {
    ExpectTheBottomFilesCheckedFromTheirWidePaths(DeepLevels);
}

// A file that no ANSI path reaches and that its wide path cannot read either
// (another program holds it locked) is counted and logged with the reason.
TEST(DeepWalk, ABottomFileThatCannotBeReadIsLoggedWithItsReason) {
    TDeepBottom bottom(500);
    ASSERT_TRUE(bottom.Made);
    TDeepScan &deep = bottom.deep;
    const std::string path = bottom.Folder + "locked_trojan.exe";
    ASSERT_TRUE(WriteLongPathFile(path, "MZ locked QQBETA"));
    scantest::WriteBase(deep.fixture.BasePath("a.bvx"), {BaseRecord{"Spy.Hex", "51 51 42 45 54 41", '1', "0"}});
    {
        brenvald::FileHandle lock = OpenLongPath(path, GENERIC_READ, 0, OPEN_EXISTING);
        ASSERT_TRUE(lock.valid());
        deep.Scan();
    }
    EXPECT_EQ(deep.Ignored(), (std::vector<std::string>{"Ignored [" + path + "] - [" + TooLongReason + "]"}));
    EXPECT_TRUE(deep.Detections().empty());
    EXPECT_EQ(deep.fixture.Run.State().ScannedFiles, 1);
    EXPECT_EQ(deep.fixture.Run.State().Skipped, 1);
    EXPECT_EQ(deep.fixture.Run.State().ScannedMB, 0);
}

// A link at the bottom of a chain back to the top: beyond 260 characters
// Wine cannot say where a link leads, and the walk must still end with each
// file checked once; the link is either known for a loop or logged as not
// followed.
TEST(DeepWalk, ALinkLoopDeepDownEndsWithEachFileOnce) {
    TDeepScan deep;
    constexpr int levels = 200;
    ASSERT_TRUE(testsupport::MakeFolderChain(deep.root.path(), "d", levels, "spy_bottom.txt", "b"));
    testsupport::WriteFile(deep.root.path() + "spy_top.txt", "t");
    std::string unixRoot = testsupport::UnixPath(deep.root.path());
    if (!unixRoot.empty() && unixRoot.back() != '/')
        unixRoot += '/';
    const std::string unixLink = unixRoot + Repeated("d/", levels) + "loop";
    ASSERT_TRUE(testsupport::RunUnixShell("/bin/ln -s '" + unixRoot + "' '" + unixLink + "'"));
    deep.Scan();
    std::vector<std::string> checked = deep.fixture.Host.StatusHistory;
    std::sort(checked.begin(), checked.end());
    EXPECT_EQ(checked, (std::vector<std::string>{"Scan: spy_bottom.txt", "Scan: spy_top.txt"}));
    // The bottom file lies beyond the engine's reach and is read through its
    // wide path; the link, if Wine cannot resolve it, is said once.
    const std::string bottom = deep.root.path() + Repeated("d\\", levels);
    std::vector<std::string> expected;
    const std::vector<std::string> ignored = deep.Ignored();
    if (ignored.size() == 1)
        expected.push_back("Ignored [" + bottom +
                           "loop\\] - [the folder link is not followed: the system cannot say "
                           "where it leads]");
    EXPECT_EQ(ignored, expected);
    EXPECT_EQ(deep.fixture.Run.State().Skipped, 0);
    EXPECT_EQ(deep.fixture.Run.State().ScannedFiles, 2);
}

// Some minutes under Wine, as the 2,000-level walk above.
TEST(DeepWalk, DISABLED_AFolderBeyondWhatTheSystemCanListIsLoggedAndTheWalkEnds) {
    TDeepScan deep;
    // Deep enough that the Unix path of the bottom folders passes Linux's limit.
    const size_t rootLength = testsupport::UnixPath(deep.root.path()).size();
    const int levels = static_cast<int>((UnixPathMax - rootLength) / 2) + 20;
    // The file at the bottom cannot be made: only the folders are there.
    testsupport::MakeFolderChain(deep.root.path(), "d", levels, "x", "x");
    testsupport::WriteFile(deep.root.path() + "spy.txt", "x");
    deep.Scan();
    // Each folder that the system lists but cannot search is said once; the
    // walk goes on with the rest of the tree.
    const std::vector<std::string> ignored = deep.Ignored();
    ASSERT_FALSE(ignored.empty());
    for (const std::string &line : ignored) {
        EXPECT_EQ(line.rfind("Ignored [" + deep.root.path() + "d\\d\\", 0), 0u) << line;
        EXPECT_NE(line.find("] - [the folder cannot be searched]"), std::string::npos) << line;
    }
    EXPECT_LE(ignored.size(), 2u);
    EXPECT_EQ(deep.fixture.Run.State().ScannedFiles, 1);
}

// Two tmpfs file systems mounted side by side: their root folders both have
// inode 1, and Wine gives both the same volume serial and file index.
TEST(DeepWalk, TwoMountsWhoseRootsShareAnInodeAreBothWalked) {
    TScanFixture fixture;
    const std::string root = fixture.MakeFolder("root");
    const std::string first = fixture.MakeFolder("root\\first");
    const std::string second = fixture.MakeFolder("root\\second");
    testsupport::TmpfsMount firstMount(first);
    if (!firstMount.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs (needs root): " << firstMount.error();
    testsupport::TmpfsMount secondMount(second);
    ASSERT_TRUE(secondMount.mounted()) << secondMount.error();
    testsupport::WriteFile(first + "one_trojan.exe", "MZ one");
    testsupport::WriteFile(second + "two_trojan.exe", "MZ two");
    BY_HANDLE_FILE_INFORMATION firstInfo{}, secondInfo{};
    for (auto [folder, info] : {std::pair{&first, &firstInfo}, std::pair{&second, &secondInfo}}) {
        brenvald::FileHandle handle(CreateFileA(folder->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                                nullptr));
        ASSERT_TRUE(handle.valid());
        ASSERT_TRUE(GetFileInformationByHandle(handle.get(), info));
    }
    // What fooled a guard by volume serial and file index.
    EXPECT_EQ(firstInfo.nFileIndexLow, secondInfo.nFileIndexLow);
    EXPECT_EQ(firstInfo.nFileIndexHigh, secondInfo.nFileIndexHigh);
    scantest::WriteBase(fixture.BasePath("a.bvx"),
                        {BaseRecord{"Spy.One", scantest::Fingerprint(first + "one_trojan.exe"), '0', "0"},
                         BaseRecord{"Spy.Two", scantest::Fingerprint(second + "two_trojan.exe"), '0', "0"}});
    fixture.Load();
    fixture.Run.ScanRoots({root});
    std::vector<std::string> found = fixture.Host.LogTexts(LogKind::Detection);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{
                         "Found infection in [" + first + "one_trojan.exe] - [Spy.One]",
                         "Found infection in [" + second + "two_trojan.exe] - [Spy.Two]"}));
    EXPECT_TRUE(fixture.Host.LogTexts(LogKind::IgnoredFile).empty());
    // Nothing may stay on the mounts: the fixture's folder is removed after
    // they are gone.
    DeleteFileA((first + "one_trojan.exe").c_str());
    DeleteFileA((second + "two_trojan.exe").c_str());
}

} // namespace
