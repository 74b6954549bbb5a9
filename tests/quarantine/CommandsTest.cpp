#include "QuarantineKit.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace qtest;
using testsupport::FileExists;
using testsupport::ReadFile;
using Lines = std::vector<std::string>;

namespace {

const char *const kMoved = "Information: Selected infections were moved to Quarantine.";
const char *const kMore = "Confirm: Do you want to detect and clean more spyware?";
const char *const kDeleted = "Information: Selected infections were deleted.";
const char *const kRestored = "Warning: Selected infections were restored.";

// Quarantines the files and returns the quarantine list as the page shows it.
MemoryCheckList QuarantinedRows(Installation &setup, const Lines &paths) {
    for (const std::string &path : paths)
        EXPECT_TRUE(setup.store.QuarantineFile(path, "").moved());
    MemoryCheckList list;
    for (const QuarantineRow &row : OpenQuarantine(setup.store, setup.host))
        list.rows.emplace_back(row.caption, false);
    return list;
}

} // namespace

TEST(FixAndContinue, CheckedRowsBecomeRecordsInRowOrderWithDistinctNames) {
    Installation setup;
    SeededNameDraw realDraw; // the clock does not move between the two files
    QuarantineStore store(setup.program, setup.files, realDraw, setup.clock);
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe"), setup.UserFile("c.exe")};
    MemoryCheckList results;
    results.rows = {{paths[0], true}, {paths[1], false}, {paths[2], true}};
    // Each record's description is its row's definition name; a name with
    // line breaks in it cannot split its record.
    results.names = {{paths[0], "Spy.Agent"}, {paths[2], "Two\r\nLines\tTab"}};

    FixAndContinue(store, results, setup.host);

    Lines lines = setup.IndexLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], paths[0]);
    EXPECT_EQ(lines[2], "Spy.Agent");
    EXPECT_EQ(lines[4], paths[2]);
    EXPECT_EQ(lines[6], "Two  Lines Tab");
    EXPECT_NE(lines[1], lines[5]);
    EXPECT_EQ(results.rows, (std::vector<std::pair<std::string, bool>>{{paths[1], false}}));
    EXPECT_EQ(setup.prompts.shown, (Lines{kMoved, kMore}));
    EXPECT_EQ(setup.pages, std::vector<Page>{Page::Drives});
    EXPECT_TRUE(setup.prompts.opened.empty());
    setup.ExpectNothingLost(paths);
}

TEST(FixAndContinue, YesOpensTheTrialPageMaximised) {
    Installation setup;
    setup.prompts.answerYes = true;
    MemoryCheckList results;
    FixAndContinue(setup.store, results, setup.host);
    EXPECT_EQ(setup.prompts.shown, (Lines{kMoved, kMore}));
    ASSERT_EQ(setup.prompts.opened.size(), 1u);
    EXPECT_NE(setup.prompts.opened[0].first.find("/try-antispyware.htm"), std::string::npos);
    EXPECT_TRUE(setup.prompts.opened[0].second);
    EXPECT_FALSE(FileExists(setup.store.Folder()));
}

TEST(QuarantinePage, NothingCheckedChangesNothingAndStillSaysSo) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe")};
    MemoryCheckList list = QuarantinedRows(setup, paths);
    EXPECT_EQ(setup.pages, std::vector<Page>{Page::Quarantine});
    EXPECT_EQ(list.rows,
              (std::vector<std::pair<std::string, bool>>{{paths[0], false}, {paths[1], false}}));
    std::string index = setup.IndexText();

    DeleteChecked(setup.store, list, setup.host);
    RestoreChecked(setup.store, list, setup.host);

    EXPECT_EQ(setup.prompts.shown, (Lines{kDeleted, kRestored}));
    EXPECT_EQ(setup.IndexText(), index);
    EXPECT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(setup.StoredFiles().size(), 2u);
}

TEST(QuarantinePage, FailedRestoreKeepsItsRowUncheckedAndLaterRowsMatched) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe"), setup.UserFile("c.exe")};
    MemoryCheckList list = QuarantinedRows(setup, paths);
    testsupport::WriteFile(paths[1], "occupied");
    for (auto &row : list.rows)
        row.second = true;

    RestoreChecked(setup.store, list, setup.host);

    EXPECT_EQ(ReadFile(paths[0]), "a.exe");
    EXPECT_EQ(ReadFile(paths[2]), "c.exe");
    EXPECT_EQ(list.rows, (std::vector<std::pair<std::string, bool>>{{paths[1], false}}));
    EXPECT_EQ(setup.IndexLines().at(0), paths[1]);
    // One log line with the path and the system's reason for the move failure.
    ASSERT_EQ(setup.log.size(), 1u);
    EXPECT_EQ(setup.log[0], "Could not restore [" + paths[1] + "]: " + SystemMessage(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(setup.prompts.shown.back(),
              "Warning: 1 of 3 selected infections could not be restored. See the report for the reasons.");
}

TEST(QuarantinePage, StoredFileRemovedByOtherMeansShowsMissingAndKeepsItsRecord) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe")};
    MemoryCheckList list = QuarantinedRows(setup, paths);
    std::string gone = setup.store.ListQuarantine().at(0).storedName;
    ASSERT_TRUE(DeleteFileA((setup.store.Folder() + gone).c_str()));
    std::string index = setup.IndexText();

    std::vector<QuarantineRow> rows = setup.store.ListQuarantine();
    EXPECT_FALSE(rows.at(0).present);
    EXPECT_TRUE(rows.at(1).present);
    list.rows[0].second = true;
    DeleteChecked(setup.store, list, setup.host);
    list.rows[0].second = true;
    RestoreChecked(setup.store, list, setup.host);

    EXPECT_EQ(setup.IndexText(), index);
    EXPECT_EQ(list.rows.size(), 2u);
    EXPECT_FALSE(list.rows[0].second);
    const std::string reason = "\"" + setup.store.Folder() + gone + "\": " + SystemMessage(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(setup.log, (Lines{"Could not delete [" + paths[0] + "]: " + reason,
                                "Could not restore [" + paths[0] + "]: " + reason}));
    EXPECT_EQ(setup.prompts.shown,
              (Lines{kDeleteOneQuestion,
                     "Warning: The selected infection could not be deleted. See the report for the reason.",
                     "Warning: The selected infection could not be restored. See the report for the reason."}));
}

// Every ticked row done: the boxes and their order stay exactly as always.
TEST(QuarantinePage, AllTickedRowsDoneShowTheUsualBoxes) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe"), setup.UserFile("c.exe")};
    MemoryCheckList list = QuarantinedRows(setup, paths);
    list.rows[0].second = list.rows[2].second = true;

    RestoreChecked(setup.store, list, setup.host);
    list.rows[0].second = true;
    DeleteChecked(setup.store, list, setup.host);

    EXPECT_EQ(ReadFile(paths[0]), "a.exe");
    EXPECT_EQ(ReadFile(paths[2]), "c.exe");
    EXPECT_FALSE(FileExists(paths[1]));
    EXPECT_TRUE(list.rows.empty());
    EXPECT_TRUE(setup.IndexLines().empty());
    EXPECT_TRUE(setup.StoredFiles().empty());
    EXPECT_TRUE(setup.log.empty());
    EXPECT_EQ(setup.prompts.shown, (Lines{kRestored, kDeleteOneQuestion, kDeleted}));
}

// Delete asks first, saying how many files go for good; No leaves every
// file, record and row as it was and shows nothing more.
TEST(QuarantinePage, DeleteAsksHowManyFilesGoAndNoKeepsThemAll) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe"), setup.UserFile("c.exe")};
    MemoryCheckList list = QuarantinedRows(setup, paths);
    list.rows[0].second = list.rows[2].second = true;
    const std::string index = setup.IndexText();
    setup.prompts.answerDelete = false;

    DeleteChecked(setup.store, list, setup.host);

    const std::string twoFiles = "Confirm: Delete the 2 selected files from Quarantine for good?\n"
                                 "Deleted files cannot be restored.";
    EXPECT_EQ(setup.prompts.shown, Lines{twoFiles});
    EXPECT_EQ(setup.IndexText(), index);
    EXPECT_EQ(setup.StoredFiles().size(), 3u);
    EXPECT_EQ(list.rows.size(), 3u);
    EXPECT_TRUE(list.rows[0].second && list.rows[2].second);

    setup.prompts.answerDelete = true;
    DeleteChecked(setup.store, list, setup.host);
    EXPECT_EQ(setup.prompts.shown, (Lines{twoFiles, twoFiles, kDeleted}));
    EXPECT_EQ(setup.StoredFiles().size(), 1u);
    EXPECT_EQ(list.rows, (std::vector<std::pair<std::string, bool>>{{paths[1], false}}));
    EXPECT_EQ(setup.IndexLines().at(0), paths[1]);
}

// Restore to...: each ticked file goes into the picked folder under its own
// name, and its record goes once it is there; a name taken there keeps that
// file, its record and its row; picking no folder changes nothing.
TEST(QuarantinePage, RestoreToPutsTickedFilesIntoThePickedFolder) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe"), setup.UserFile("c.exe")};
    MemoryCheckList list = QuarantinedRows(setup, paths);
    for (auto &row : list.rows)
        row.second = true;
    const std::string elsewhere = setup.temp.file("elsewhere\\");
    testsupport::MakeDir(elsewhere);
    testsupport::WriteFile(elsewhere + "b.exe", "taken");
    const std::string index = setup.IndexText();

    RestoreCheckedTo(setup.store, list, setup.host); // no folder picked
    const std::string pick = "Pick folder: Restore the selected files to this folder:";
    EXPECT_EQ(setup.prompts.shown, Lines{pick});
    EXPECT_EQ(setup.IndexText(), index);
    EXPECT_EQ(list.rows.size(), 3u);

    setup.prompts.pickedFolder = elsewhere.substr(0, elsewhere.size() - 1); // no closing backslash
    RestoreCheckedTo(setup.store, list, setup.host);

    EXPECT_EQ(ReadFile(elsewhere + "a.exe"), "a.exe");
    EXPECT_EQ(ReadFile(elsewhere + "c.exe"), "c.exe");
    EXPECT_EQ(ReadFile(elsewhere + "b.exe"), "taken");
    EXPECT_FALSE(FileExists(paths[0]));
    EXPECT_EQ(list.rows, (std::vector<std::pair<std::string, bool>>{{paths[1], false}}));
    EXPECT_EQ(setup.IndexLines().size(), 4u);
    EXPECT_EQ(setup.IndexLines().at(0), paths[1]);
    EXPECT_EQ(setup.StoredFiles().size(), 1u);
    ASSERT_EQ(setup.log.size(), 1u);
    EXPECT_EQ(setup.log[0], "Could not restore [" + paths[1] + "]: " + SystemMessage(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(setup.prompts.shown.back(),
              "Warning: 1 of 3 selected infections could not be restored. See the report for the reasons.");

    // Nothing ticked: no folder is asked for, the usual box shows.
    setup.prompts.shown.clear();
    RestoreCheckedTo(setup.store, list, setup.host);
    EXPECT_EQ(setup.prompts.shown, Lines{kRestored});
}

// A record's original path is any text the index holds: only a plain file
// name may join the picked folder.
TEST(QuarantinePage, RestoreToRefusesOriginalPathsThatNameNoPlainFile) {
    for (const std::string original : {"C:\\dir\\..", "C:\\dir\\", "C:\\dir\\nul.txt", "C:",
                                       "C:\\dir\\x."}) {
        SCOPED_TRACE(original);
        Installation setup;
        testsupport::MakeDir(setup.program + "Quarantine");
        testsupport::WriteFile(setup.store.Folder() + "INFECTED(1).Vir", "one");
        testsupport::WriteFile(setup.store.IndexPath(), original + "\r\nINFECTED(1).Vir\r\n\r\n10:00 01.01.27\r\n");
        const std::string elsewhere = setup.temp.file("elsewhere\\");
        testsupport::MakeDir(elsewhere);
        EXPECT_EQ(setup.store.RestoreQuarantinedTo(0, elsewhere).status, ReleaseStatus::Failed);
        EXPECT_EQ(ReadFile(setup.store.Folder() + "INFECTED(1).Vir"), "one");
        EXPECT_EQ(setup.IndexLines().size(), 4u);
    }
}

// A file locked or gone behind the program's back: its row stays unchecked,
// the log says why in the system's words, the box says how many, and the page
// change and the question follow as usual.
TEST(FixAndContinue, FilesThatCannotBeMovedKeepTheirRowsAndAreCounted) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe"), setup.UserFile("c.exe"),
                   setup.UserFile("d.exe")};
    const std::string gone = setup.user + "gone.exe";
    MemoryCheckList results;
    results.rows = {{paths[0], true}, {gone, true}, {paths[1], true}, {paths[2], false}, {paths[3], true}};
    HANDLE locked = CreateFileA(paths[1].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);

    FixAndContinue(setup.store, results, setup.host);
    CloseHandle(locked);

    EXPECT_EQ(results.rows, (std::vector<std::pair<std::string, bool>>{
                                {gone, false}, {paths[1], false}, {paths[2], false}}));
    EXPECT_EQ(setup.log, (Lines{"Could not move [" + gone + "] to Quarantine: " +
                                    SystemMessage(ERROR_FILE_NOT_FOUND),
                                "Could not move [" + paths[1] + "] to Quarantine: " +
                                    SystemMessage(ERROR_SHARING_VIOLATION)}));
    EXPECT_EQ(setup.prompts.shown,
              (Lines{"Warning: 2 of 4 selected infections could not be moved to Quarantine. See the "
                     "report for the reasons.",
                     kMore}));
    EXPECT_EQ(setup.pages, std::vector<Page>{Page::Drives});
    EXPECT_EQ(setup.IndexLines().size(), 8u);
    setup.ExpectNothingLost(paths);
}
