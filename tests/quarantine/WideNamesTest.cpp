// Quarantine of real files whose names the ANSI code page cannot spell:
// found by a scan, moved into the quarantine folder and put back byte for
// byte under the real name and folder; Files.ini stays in ANSI while every
// record can be spelled there and takes the UTF-8 form with its mark only
// while one cannot; an index written by an earlier build reads as before.
#include "FolderSearch.h"
#include "QuarantineKit.h"
#include "ScanTestHost.h"
#include "SparseFile.h"
#include "WideFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace qtest;
using testsupport::LongForm;
using testsupport::MakeWideFolder;
using testsupport::ReadWideFile;
using testsupport::RemoveWideTree;
using testsupport::WideExists;
using testsupport::WriteWideFile;
using testsupport::BaseRecord;
using Lines = std::vector<std::string>;
using Rows = std::vector<std::pair<std::string, bool>>;

namespace {

const std::string kMark = "\xEF\xBB\xBF";

// Every byte value, so that "byte-identical" covers more than text.
std::string AllBytes() {
    std::string bytes;
    for (int value = 0; value < 256; ++value)
        bytes += static_cast<char>(value);
    return bytes;
}

Lines StoredLines(const std::string &indexBytes) {
    const bool marked = indexBytes.compare(0, kMark.size(), kMark) == 0;
    return scanner::SplitIndexLines(marked ? indexBytes.substr(kMark.size()) : indexBytes);
}

Rows Checked(const std::vector<QuarantineRow> &rows) {
    Rows checked;
    for (const QuarantineRow &row : rows)
        checked.push_back({row.caption, true});
    return checked;
}

// An installation whose user folder is cleaned up by wide calls.
struct TWideInstallation : Installation {
    ~TWideInstallation() {
        RemoveWideTree(LongForm(user.substr(0, user.size() - 1)));
        RemoveWideTree(LongForm(store.Folder().substr(0, store.Folder().size() - 1)));
    }
    // The ANSI index lines of one record, as earlier builds wrote them.
    static std::string AnsiRecord(const std::string &path, const std::string &storedName) {
        return path + "\r\n" + storedName + "\r\n\r\n14:37 06.12.26\r\n";
    }
};

struct TWideCase {
    const char *Folder; // UTF-8
    const char *File;   // UTF-8
    char Kind;
};

} // namespace

TEST(QuarantineWideNames, EachKindIsFoundQuarantinedAndRestoredUnderTheRealName) {
    const TWideCase cases[] = {
        {u8"Загрузки", u8"троян.exe", '0'},
        {u8"間諜", u8"間諜.dll", '1'},
        {u8"📁😈", u8"😈.exe", '2'},
    };
    TWideInstallation setup;
    scantest::TScanFixture scan;
    std::vector<BaseRecord> records;
    Lines paths, contents, expectedLines;
    for (const TWideCase &test : cases) {
        const std::string content =
            "MZ wide case " + std::to_string(paths.size() + 1) + " body" + AllBytes();
        const std::string path = setup.user + test.Folder + "\\" + test.File;
        MakeWideFolder(setup.user + test.Folder);
        WriteWideFile(path, content);
        const std::string name = std::string("Spy.Wide.") + test.Kind;
        if (test.Kind == '0')
            records.push_back({name, scantest::Fingerprint(scan.MakeFile("copy.bin", content)), '0', "0"});
        else if (test.Kind == '1')
            records.push_back({name, "77 69 64 65 20 63 61 73 65 20 32", '1', "0"}); // "wide case 2"
        else
            records.push_back({name, "99-97-115-101", '2', "8"}); // "case" at offset 8
        paths.push_back(path);
        contents.push_back(content);
        expectedLines.push_back("Found infection in [" + path + "] - [" + name + "]");
    }
    scantest::WriteBase(scan.BasePath("wide.bvx"), records);
    scan.Load();
    scan.Run.ScanRoots({setup.user});

    // Detected, with the real names in the log and the results.
    Lines detections = scan.Host.LogTexts(scanner::LogKind::Detection);
    Lines results = scan.Host.Results;
    std::sort(detections.begin(), detections.end());
    std::sort(expectedLines.begin(), expectedLines.end());
    EXPECT_EQ(detections, expectedLines);
    ASSERT_EQ(results.size(), 3u);

    // Fix & Continue with every result ticked moves each real file.
    MemoryCheckList ticked;
    for (const std::string &shown : results)
        ticked.rows.push_back({shown, true});
    FixAndContinue(setup.store, ticked, setup.host);
    EXPECT_TRUE(ticked.rows.empty());
    EXPECT_TRUE(setup.log.empty()) << setup.log.at(0);
    EXPECT_EQ(setup.prompts.shown.at(0), "Information: Selected infections were moved to Quarantine.");
    for (const std::string &path : paths)
        EXPECT_FALSE(WideExists(path)) << path;
    EXPECT_EQ(setup.StoredFiles().size(), 3u);
    const std::string index = setup.IndexText();
    EXPECT_EQ(index.substr(0, 3), kMark);

    // The list shows the real paths, in the order they were quarantined.
    std::vector<QuarantineRow> rows = setup.store.ListQuarantine();
    ASSERT_EQ(rows.size(), 3u);
    for (size_t n = 0; n < rows.size(); ++n) {
        EXPECT_EQ(rows[n].caption, results[n]);
        EXPECT_EQ(StoredLines(index).at(4 * n), results[n]);
        EXPECT_TRUE(rows[n].present) << rows[n].caption;
    }

    // Restore puts each back byte for byte, under its real name and folder.
    MemoryCheckList list;
    list.rows = Checked(rows);
    RestoreChecked(setup.store, list, setup.host);
    EXPECT_TRUE(list.rows.empty());
    EXPECT_TRUE(setup.log.empty()) << setup.log.at(0);
    EXPECT_EQ(setup.prompts.shown.back(), "Warning: Selected infections were restored.");
    for (size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(ReadWideFile(paths[i]), contents[i]) << paths[i];
    EXPECT_TRUE(setup.StoredFiles().empty());
    EXPECT_EQ(setup.IndexText(), "");
}

TEST(QuarantineWideNames, TheIndexIsAnsiWhileEveryRecordIsSpelledThere) {
    TWideInstallation setup;
    const std::string plain = setup.UserFile("plain.exe");
    MakeWideFolder(setup.user + u8"📁😈");
    const std::string devil = setup.user + u8"📁😈\\😈.exe";
    WriteWideFile(devil, "MZ devil" + AllBytes());

    ASSERT_TRUE(setup.store.QuarantineFile(plain, "").moved());
    const std::string ansiIndex = TWideInstallation::AnsiRecord(plain, "INFECTED(7).Vir");
    EXPECT_EQ(setup.IndexText(), ansiIndex);

    ASSERT_TRUE(setup.store.QuarantineFile(devil, "").moved());
    EXPECT_EQ(setup.IndexText(),
              kMark + ansiIndex + TWideInstallation::AnsiRecord(devil, "INFECTED(8).Vir"));
    EXPECT_FALSE(WideExists(devil));
    EXPECT_EQ(setup.store.ListQuarantine().at(1).caption, devil);

    // Deleting the record ANSI cannot spell removes its file for good and
    // brings the index back to the bytes an earlier build would have.
    MemoryCheckList list;
    list.rows = {{plain, false}, {devil, true}};
    DeleteChecked(setup.store, list, setup.host);
    EXPECT_EQ(list.rows, (Rows{{plain, false}}));
    EXPECT_EQ(setup.prompts.shown.back(), "Information: Selected infections were deleted.");
    EXPECT_EQ(setup.StoredFiles(), Lines{"INFECTED(7).Vir"});
    EXPECT_FALSE(WideExists(devil));
    EXPECT_EQ(setup.IndexText(), ansiIndex);
}

TEST(QuarantineWideNames, AnIndexOfAnEarlierBuildListsRestoresAndDeletesAsBefore) {
    TWideInstallation setup;
    // A name the code page spells beyond ASCII, where it has one.
    std::string name = "caf\xE9.exe";
    std::wstring wideName(16, L'\0');
    wideName.resize(static_cast<size_t>(MultiByteToWideChar(
        CP_ACP, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), &wideName[0], 16)));
    if (wideName.empty()) {
        name = "cafe.exe";
        wideName = L"cafe.exe";
    }
    const std::string ansiPath = setup.user + name;
    const std::string shownPath = setup.user + brenvald::Utf8FromWide(wideName);
    const std::string other = setup.user + "other.exe";
    testsupport::MakeDir(setup.program + "Quarantine");
    testsupport::WriteFile(setup.store.Folder() + "INFECTED(11).Vir", "first" + AllBytes());
    testsupport::WriteFile(setup.store.Folder() + "INFECTED(12).Vir", "second");
    const std::string stray = "stray \xE9\r\n";
    testsupport::WriteFile(setup.store.IndexPath(),
                           TWideInstallation::AnsiRecord(ansiPath, "INFECTED(11).Vir") +
                               TWideInstallation::AnsiRecord(other, "INFECTED(12).Vir") + stray);

    std::vector<QuarantineRow> rows = setup.store.ListQuarantine();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].caption, shownPath);
    EXPECT_EQ(rows[1].caption, other);
    EXPECT_TRUE(rows[0].present && rows[1].present);

    MemoryCheckList list;
    list.rows = {{shownPath, true}, {other, false}};
    RestoreChecked(setup.store, list, setup.host);
    EXPECT_EQ(list.rows, (Rows{{other, false}}));
    EXPECT_EQ(testsupport::ReadFile(ansiPath), "first" + AllBytes());
    // The lines left are the earlier build's bytes, unchanged.
    EXPECT_EQ(setup.IndexText(), TWideInstallation::AnsiRecord(other, "INFECTED(12).Vir") + stray);

    list.rows = {{other, true}};
    DeleteChecked(setup.store, list, setup.host);
    EXPECT_TRUE(list.rows.empty());
    EXPECT_TRUE(setup.StoredFiles().empty());
    EXPECT_EQ(setup.IndexText(), stray);
    EXPECT_TRUE(setup.log.empty()) << setup.log.at(0);
}

TEST(QuarantineWideNames, ACyrillicFileBeyond260CharactersGoesAndComesBack) {
    TWideInstallation setup;
    std::string folder = setup.user;
    while (brenvald::WideFromUtf8(folder).size() < 280) {
        folder += u8"Папка с длинным именем " + std::to_string(folder.size()) + "\\";
        MakeWideFolder(folder.substr(0, folder.size() - 1));
    }
    const std::string path = folder + u8"троян.exe";
    WriteWideFile(path, "MZ deep" + AllBytes());

    ASSERT_TRUE(setup.store.QuarantineFile(path, "").moved());
    EXPECT_FALSE(WideExists(path));
    EXPECT_EQ(StoredLines(setup.IndexText()).at(0), path);
    ASSERT_EQ(setup.store.ReleaseQuarantined(0, false).status, ReleaseStatus::Done);
    EXPECT_EQ(ReadWideFile(path), "MZ deep" + AllBytes());
    EXPECT_EQ(setup.IndexText(), "");
}

TEST(QuarantineWideNames, ARecordThatIsNotUtf8FailsAndStays) {
    TWideInstallation setup;
    testsupport::MakeDir(setup.program + "Quarantine");
    testsupport::WriteFile(setup.store.Folder() + "INFECTED(3).Vir", "kept");
    // A damaged UTF-8 index: the path's bytes are no UTF-8.
    const std::string damaged = kMark + setup.user + "\xC3(.exe\r\nINFECTED(3).Vir\r\n\r\nt\r\n";
    testsupport::WriteFile(setup.store.IndexPath(), damaged);

    ReleaseOutcome outcome = setup.store.ReleaseQuarantined(0, false);
    EXPECT_EQ(outcome.status, ReleaseStatus::Failed);
    EXPECT_EQ(outcome.message, scanner::SystemMessage(ERROR_INVALID_NAME));
    EXPECT_EQ(testsupport::ReadFile(setup.store.Folder() + "INFECTED(3).Vir"), "kept");
    EXPECT_EQ(setup.IndexText(), damaged);

    // Another record's release keeps the damaged one byte for byte.
    testsupport::WriteFile(setup.store.Folder() + "INFECTED(4).Vir", "gone");
    testsupport::WriteFile(setup.store.IndexPath(),
                           damaged + "C:\\x.exe\r\nINFECTED(4).Vir\r\n\r\nt\r\n");
    ASSERT_EQ(setup.store.ReleaseQuarantined(1, true).status, ReleaseStatus::Done);
    EXPECT_EQ(setup.IndexText(), damaged);
}

TEST(QuarantineWideNames, TheSystemCodePageSpellsOnlyWhatComesBackTheSame) {
    const Win32AnsiCodePage codePage;
    ASSERT_NE(GetACP(), static_cast<UINT>(CP_UTF8)) << "the test prefix runs an ANSI code page";
    std::string ansi = "unchanged";
    EXPECT_TRUE(codePage.ExactAnsiFromUtf8("", ansi));
    EXPECT_EQ(ansi, "");
    EXPECT_TRUE(codePage.ExactAnsiFromUtf8("C:\\Tools\\spy.exe", ansi));
    EXPECT_EQ(ansi, "C:\\Tools\\spy.exe");
    // No ANSI code page holds an emoji; a fullwidth letter has only a
    // best-fit look-alike; bytes that are not UTF-8 spell nothing.
    for (const std::string &refused : {std::string(u8"\U0001F608.exe"), std::string(u8"\uFF43lean.exe"),
                                       std::string("a\xC3(b"), std::string("\xFF")})
        EXPECT_FALSE(codePage.ExactAnsiFromUtf8(refused, ansi)) << refused;
    // What it spells, it reads back the same.
    for (const std::string &text : {std::string(u8"caf\u00e9"), std::string(u8"\u0442\u0440\u043e\u044f\u043d")})
        if (codePage.ExactAnsiFromUtf8(text, ansi)) {
            EXPECT_EQ(codePage.Utf8FromAnsi(ansi), text);
        }
}

// Names the plain calls would trim, and a file of more than 4 GiB: each goes
// and comes back as it was.
TEST(QuarantineWideNames, TrailingDotsBlanksAndHugeFilesKeepTheirNameAndSize) {
    TWideInstallation setup;
    MakeWideFolder(setup.user + u8"Загрузки");
    const std::string huge = setup.user + u8"Загрузки\\間諜.dll";
    testsupport::WriteSparseFile(setup.user + "huge.tmp", 5ull << 30, {{(5ull << 30) - 4, "tail"}});
    ASSERT_TRUE(MoveFileW(LongForm(setup.user + "huge.tmp").c_str(), LongForm(huge).c_str()));
    const Lines paths = {setup.user + u8"троян.exe.", setup.user + u8"троян.exe ", huge};
    WriteWideFile(paths[0], "dot");
    WriteWideFile(paths[1], "blank");

    for (const std::string &path : paths)
        ASSERT_TRUE(setup.store.QuarantineFile(path, "").moved()) << path;
    for (const std::string &path : paths)
        EXPECT_FALSE(WideExists(path)) << path;
    std::vector<QuarantineRow> rows = setup.store.ListQuarantine();
    ASSERT_EQ(rows.size(), 3u);
    MemoryCheckList list;
    list.rows = Checked(rows);
    RestoreChecked(setup.store, list, setup.host);
    EXPECT_TRUE(list.rows.empty());
    EXPECT_TRUE(setup.log.empty()) << setup.log.at(0);

    EXPECT_EQ(ReadWideFile(paths[0]), "dot");
    EXPECT_EQ(ReadWideFile(paths[1]), "blank");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(LongForm(huge).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow, 5ull << 30);
    EXPECT_EQ(setup.IndexText(), "");
}

// The window hands over the program folder by its real name, whatever the
// ANSI code page can spell of it: Fix & Continue creates Quarantine\ and
// Files.ini there, Restore and Delete find them again.
TEST(QuarantineWideNames, TheProgramFolderMayHaveAnyName) {
    const char *const programFolders[] = {u8"caf\u00e9\\", u8"Программы Jürgen\\Brenvald\\",
                                          u8"プログラム Jürgen\\Brenvald\\"};
    for (const char *programFolder : programFolders) {
        SCOPED_TRACE(programFolder);
        TWideInstallation setup;
        const std::string program = setup.temp.file(programFolder);
        MakeWideFolder(program);
        SystemQuarantine quarantine(program);
        const std::string kept = setup.UserFile("kept.exe");
        const std::string dropped = setup.UserFile("dropped.exe");

        MemoryCheckList results;
        results.rows = {{kept, true}, {dropped, true}};
        FixAndContinue(quarantine.store(), results, setup.host);
        EXPECT_TRUE(results.rows.empty());
        EXPECT_EQ(setup.prompts.shown.at(0),
                  "Information: Selected infections were moved to Quarantine.");
        const std::vector<QuarantineRow> rows = quarantine.store().ListQuarantine();
        ASSERT_EQ(rows.size(), 2u);
        for (const QuarantineRow &row : rows) {
            EXPECT_TRUE(row.present) << row.caption;
            EXPECT_EQ(ReadWideFile(program + "Quarantine\\" + row.storedName),
                      row.caption.substr(row.caption.rfind('\\') + 1));
        }
        const Lines index = StoredLines(ReadWideFile(program + "Quarantine\\Files.ini"));
        ASSERT_EQ(index.size(), 8u);
        EXPECT_EQ(index[0], kept);
        EXPECT_EQ(index[4], dropped);

        MemoryCheckList stored;
        stored.rows = {{rows[0].caption, true}, {rows[1].caption, false}};
        RestoreChecked(quarantine.store(), stored, setup.host);
        EXPECT_EQ(ReadWideFile(kept), "kept.exe");
        stored.rows = {{rows[1].caption, true}};
        DeleteChecked(quarantine.store(), stored, setup.host);
        EXPECT_TRUE(stored.rows.empty());
        EXPECT_FALSE(WideExists(dropped));
        EXPECT_FALSE(WideExists(program + "Quarantine\\" + rows[1].storedName));
        EXPECT_TRUE(quarantine.store().ListQuarantine().empty());
        EXPECT_TRUE(setup.log.empty()) << setup.log.at(0);
    }
}
