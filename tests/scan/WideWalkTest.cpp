// The walk over real files whose names the ANSI code page cannot spell, whose
// paths are longer than the ANSI calls take, and over folders that links or
// mounts make look alike: every selected file is checked or reported, with its
// real name in the log and the results.
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

std::wstring Wide(const std::string &utf8) { return brenvald::WideFromUtf8(utf8); }

std::wstring LongForm(const std::string &ansiPath) {
    return L"\\\\?\\" + std::wstring(ansiPath.begin(), ansiPath.end());
}

void MakeWideFolder(const std::wstring &path) {
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        << GetLastError();
}

void WriteWideFile(const std::wstring &path, const std::string &content) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, content.size());
}

// What the engine would read through an ANSI path.
std::string ReadAnsiPath(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<cannot open>";
    std::string content(4096, '\0');
    DWORD read = 0;
    ReadFile(file, &content[0], static_cast<DWORD>(content.size()), &read, nullptr);
    CloseHandle(file);
    content.resize(read);
    return content;
}

// The fingerprint of content, taken from a plainly named copy.
std::string FingerprintOf(TScanFixture &fixture, const std::string &content) {
    static int copies = 0;
    const std::string copy = fixture.MakeFile("fp" + std::to_string(++copies) + ".bin", content);
    return scantest::Fingerprint(copy);
}

std::string Detection(const std::string &path, const std::string &name) {
    return "Found infection in [" + path + "] - [" + name + "]";
}

// Records what the results get: the shown path and the path checked.
class TResultPathsHost : public scantest::TRecordingHost {
public:
    void Detection(const std::string &shownPath, const std::string &ansiPath,
                   const std::string &name) override {
        TRecordingHost::Detection(shownPath, ansiPath, name);
        AnsiPaths.push_back(ansiPath);
    }
    std::vector<std::string> AnsiPaths;
};

struct TWideFixture {
    TWideFixture() : TWideFixture(std::string()) {}
    // A root of its own instead of one in the test's temporary folder.
    explicit TWideFixture(const std::string &ownRoot) {
        root = ownRoot.empty() ? fixture.MakeFolder("root") : ownRoot;
        wideRoot = LongForm(root);
    }
    void Scan() {
        fixture.Load();
        run.ScanRoots({root});
    }
    std::vector<std::string> Detections() const { return host.LogTexts(LogKind::Detection); }
    std::vector<std::string> Ignored() const { return host.LogTexts(LogKind::IgnoredFile); }

    TScanFixture fixture;
    TResultPathsHost host;
    scanner::TScanRun run{host, fixture.Prompts, &fixture.Definitions};
    std::string root;
    std::wstring wideRoot;
};

struct TWideCase {
    const char *Folder; // UTF-8
    const char *File;   // UTF-8
    char Kind;
};

TEST(WideWalk, FindsEachKindInFilesAndFoldersThatAnsiCannotSpell) {
    const TWideCase cases[] = {
        {u8"Загрузки", u8"троян.exe", '0'},
        {u8"間諜", u8"間諜.dll", '1'},
        {u8"📁😈", u8"😈.exe", '2'},
    };
    TWideFixture wide;
    std::vector<BaseRecord> records;
    std::vector<std::string> expectedLines;
    int number = 0;
    for (const TWideCase &test : cases) {
        const std::string content = "MZ wide case " + std::to_string(++number) + " body";
        MakeWideFolder(wide.wideRoot + Wide(test.Folder));
        WriteWideFile(wide.wideRoot + Wide(test.Folder) + L"\\" + Wide(test.File), content);
        const std::string name = std::string("Spy.Wide.") + test.Kind;
        if (test.Kind == '0')
            records.push_back({name, FingerprintOf(wide.fixture, content), '0', "0"});
        else if (test.Kind == '1')
            records.push_back({name, "77 69 64 65 20 63 61 73 65 20 32", '1', "0"});
        else
            records.push_back({name, "99-97-115-101", '2', "8"}); // "case" at offset 8
        expectedLines.push_back(Detection(wide.root + test.Folder + "\\" + test.File, name));
    }
    scantest::WriteBase(wide.fixture.BasePath("wide.bvx"), records);
    wide.Scan();

    std::vector<std::string> lines = wide.Detections();
    std::sort(lines.begin(), lines.end());
    std::sort(expectedLines.begin(), expectedLines.end());
    EXPECT_EQ(lines, expectedLines);
    EXPECT_TRUE(wide.Ignored().empty());
    EXPECT_EQ(wide.run.State().ScannedFiles, 3);
    EXPECT_EQ(wide.run.State().Infected, 3);
    ASSERT_EQ(wide.host.Results.size(), 3u);
    ASSERT_EQ(wide.host.AnsiPaths.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        // The row shows the real path; the path kept beside it opens that file.
        const std::string shown = wide.host.Results[i];
        EXPECT_EQ(ReadAnsiPath(wide.host.AnsiPaths[i]).substr(0, 13), "MZ wide case ") << shown;
        EXPECT_NE(shown, wide.host.AnsiPaths[i]);
        EXPECT_EQ(shown.find('?'), std::string::npos);
    }
}

TEST(WideWalk, StatusAndSelectionUseTheRealName) {
    TWideFixture wide;
    // Fullwidth letters only look like the fragments: not selected by them.
    WriteWideFile(wide.wideRoot + Wide(u8"ｓｐｙ.txt"), "x");
    WriteWideFile(wide.wideRoot + Wide(u8"шпион_spy.txt"), "x");
    MakeWideFolder(wide.wideRoot + Wide(u8"Карантин_quarantine"));
    WriteWideFile(wide.wideRoot + Wide(u8"Карантин_quarantine\\вирус.exe"), "x");
    wide.Scan();
    EXPECT_EQ(wide.run.State().ScannedFiles, 1);
    EXPECT_NE(std::find(wide.host.StatusHistory.begin(), wide.host.StatusHistory.end(),
                        u8"Scan: шпион_spy.txt"),
              wide.host.StatusHistory.end());
}

TEST(WideWalk, ABestFitLookAlikeIsCheckedAsItself) {
    TWideFixture wide;
    const std::string bad = "MZ the malicious one";
    WriteWideFile(wide.wideRoot + Wide(u8"ｃlean.exe"), bad);
    WriteWideFile(wide.wideRoot + L"clean.exe", "MZ the clean one");
    scantest::WriteBase(wide.fixture.BasePath("a.bvx"),
                        {BaseRecord{"Spy.LookAlike", FingerprintOf(wide.fixture, bad), '0', "0"}});
    wide.Scan();
    EXPECT_EQ(wide.run.State().ScannedFiles, 2);
    EXPECT_EQ(wide.Detections(),
              (std::vector<std::string>{Detection(wide.root + u8"ｃlean.exe", "Spy.LookAlike")}));
    ASSERT_EQ(wide.host.AnsiPaths.size(), 1u);
    EXPECT_EQ(ReadAnsiPath(wide.host.AnsiPaths[0]), bad);
    EXPECT_NE(wide.host.AnsiPaths[0], wide.root + "clean.exe");
}

TEST(WideWalk, AFile340CharactersDeepIsFoundThroughItsShortForm) {
    TWideFixture wide;
    std::wstring folder = wide.wideRoot;
    std::string shownFolder = wide.root;
    while (shownFolder.size() < 320) {
        const std::string part = "a folder with a long name " + std::to_string(shownFolder.size());
        folder += Wide(part) + L"\\";
        shownFolder += part + "\\";
        MakeWideFolder(folder);
    }
    const std::string content = "MZ deep down";
    WriteWideFile(folder + L"deep_trojan_file.exe", content);
    const std::string shown = shownFolder + "deep_trojan_file.exe";
    ASSERT_GE(shown.size(), 340u);
    scantest::WriteBase(wide.fixture.BasePath("a.bvx"),
                        {BaseRecord{"Spy.Deep", FingerprintOf(wide.fixture, content), '0', "0"}});
    wide.Scan();
    EXPECT_EQ(wide.Detections(), (std::vector<std::string>{Detection(shown, "Spy.Deep")}));
    ASSERT_EQ(wide.host.AnsiPaths.size(), 1u);
    EXPECT_LE(wide.host.AnsiPaths[0].size(), scanner::AnsiPathLimit);
}

TEST(WideWalk, ALinkLoopThroughAWideFolderEndsWithEachFileOnce) {
    TWideFixture wide;
    MakeWideFolder(wide.wideRoot + Wide(u8"Загрузки"));
    WriteWideFile(wide.wideRoot + Wide(u8"Загрузки\\троян.exe"), "1");
    WriteWideFile(wide.wideRoot + L"plain.exe", "2");
    const std::string loop = wide.root + "loop";
    ASSERT_TRUE(testsupport::MakeFolderLink(loop, wide.root));
    wide.Scan();
    testsupport::RemoveFolderLink(loop);
    std::vector<std::string> names = wide.host.StatusHistory;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Scan: plain.exe", u8"Scan: троян.exe"}));
}

TEST(WideWalk, AnsiNamesKeepTheirAnsiPaths) {
    TWideFixture wide;
    // "café" is ANSI in code page 1252: it is passed as it is, not shortened.
    const std::string ansiName = "caf\xe9_long_enough_name.exe";
    testsupport::WriteFile(wide.root + ansiName, "MZ");
    scanner::TWalkFolder root = scanner::WalkRootFolder(wide.root);
    scanner::TFolderListing listing(root.Wide);
    scanner::FolderEntry entry;
    ASSERT_TRUE(listing.Next(entry));
    scanner::AnsiPathTrouble trouble;
    if (GetACP() == 1252) {
        EXPECT_EQ(entry.AnsiName, ansiName);
        EXPECT_EQ(scanner::AnsiFilePath(root, entry, trouble), wide.root + ansiName);
    }
    EXPECT_EQ(entry.Name, u8"café_long_enough_name.exe");
    EXPECT_EQ(scanner::ExactAnsiName(L"trailing dot."), "");
    EXPECT_EQ(scanner::ExactAnsiName(L"trailing blank "), "");
    EXPECT_EQ(scanner::ExactAnsiName(Wide(u8"ｃlean.exe")), "");
    EXPECT_EQ(scanner::ExactAnsiName(L"plain.exe"), "plain.exe");
}

} // namespace
