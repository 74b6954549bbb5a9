// The walk over trees that the ANSI calls and the file index cannot tell
// apart: the bottom of a 2,000-level tree, and two mounted file systems whose
// root folders share an inode number. The trees are made from the Linux side.
#include "FolderSearch.h"
#include "ScanTestHost.h"
#include "UnixSide.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
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

// A chain of one-letter folders with a matching file at its bottom: one-letter
// names are their own short names, so nothing shortens the path, and the
// engine, which takes ANSI paths only, cannot be handed it; the file is
// logged with the reason and counted as skipped.
void ExpectTheBottomFileLoggedAsTooLong(int levels) {
    TDeepScan deep;
    const std::string content = "MZ at the bottom";
    const std::string name = "bottom_trojan.exe";
    const std::string bottomFolder = deep.root.path() + Repeated("d\\", levels);
    const size_t unixLength = testsupport::UnixPath(deep.root.path()).size() + 2 * levels;
    if (unixLength + 1 > UnixPathMax)
        GTEST_SKIP() << "the test's folder lies too deep for a " << levels
                     << "-level tree within Linux's path limit (" << unixLength << " bytes)";
    ASSERT_TRUE(testsupport::MakeFolderChain(deep.root.path(), "d", levels, name, content));
    // A copy at the top shows that the base finds the file where the engine
    // can open it.
    testsupport::WriteFile(deep.root.path() + "near_trojan.exe", content);
    const std::string fingerprint = scantest::Fingerprint(deep.root.path() + "near_trojan.exe");
    scantest::WriteBase(deep.fixture.BasePath("a.bvx"), {BaseRecord{"Spy.Deep", fingerprint, '0', "0"}});
    deep.Scan();
    EXPECT_EQ(deep.Ignored(), (std::vector<std::string>{"Ignored [" + bottomFolder + name + "] - [" +
                                                        TooLongReason + "]"}));
    EXPECT_EQ(deep.Detections(), (std::vector<std::string>{"Found infection in [" + deep.root.path() +
                                                           "near_trojan.exe] - [Spy.Deep]"}));
    EXPECT_EQ(deep.fixture.Run.State().ScannedFiles, 2);
    EXPECT_EQ(deep.fixture.Run.State().Skipped, 1);
}

// 500 levels (1,000 characters) is well past every ANSI and short-path limit.
TEST(DeepWalk, TheBottomOfA500LevelTreeIsLoggedWithItsReason) {
    ExpectTheBottomFileLoggedAsTooLong(500);
}

// Wine opens a folder in time that grows with the square of its depth (a
// listing at 1,000 levels takes about 0.1 s, at 2,000 about 0.3 s), so this
// walk takes some minutes under Wine, whatever the walk does: run it with
// --gtest_also_run_disabled_tests.
TEST(DeepWalk, DISABLED_TheBottomOfA2000LevelTreeIsLoggedWithItsReason) {
    ExpectTheBottomFileLoggedAsTooLong(DeepLevels);
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
    // The bottom file lies beyond the engine's reach; the link, if Wine
    // cannot resolve it, is said once.
    const std::string bottom = deep.root.path() + Repeated("d\\", levels);
    std::vector<std::string> expected{"Ignored [" + bottom + "spy_bottom.txt] - [" + TooLongReason + "]"};
    std::vector<std::string> ignored = deep.Ignored();
    if (ignored.size() == 2)
        expected.push_back("Ignored [" + bottom +
                           "loop\\] - [the folder link is not followed: the system cannot say "
                           "where it leads]");
    std::sort(ignored.begin(), ignored.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ignored, expected);
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
