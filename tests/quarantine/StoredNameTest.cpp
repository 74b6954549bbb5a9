// Hand-written indexes whose stored names do not name a plain file in the
// quarantine folder: Restore and Delete must leave the folder, every stored
// file and the index exactly as they were, keep the row unchecked and say why.
#include "QuarantineKit.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace qtest;
using testsupport::FileExists;
using testsupport::MakeDir;
using testsupport::ReadFile;
using testsupport::WriteFile;
using Lines = std::vector<std::string>;
using Rows = std::vector<std::pair<std::string, bool>>;

namespace {

// A quarantine folder holding two stored files and the index given.
struct HandWrittenIndex {
    Installation setup;
    std::string target = setup.user + "restored.exe";

    explicit HandWrittenIndex(const std::string &storedName) {
        MakeDir(setup.program + "Quarantine");
        WriteFile(setup.store.Folder() + "INFECTED(1).Vir", "one");
        WriteFile(setup.store.Folder() + "INFECTED(2).Vir", "two");
        WriteFile(setup.store.IndexPath(), target + "\r\n" + storedName + "\r\n\r\n10:00 01.01.27\r\n" +
                                               setup.user + "two.exe\r\nINFECTED(2).Vir\r\n\r\n10:01 01.01.27\r\n");
    }

    MemoryCheckList FirstRowTicked() const {
        MemoryCheckList list;
        list.rows = {{target, true}, {setup.user + "two.exe", false}};
        return list;
    }

    // The folder, both stored files and the index are untouched; nothing
    // arrived at the record's path.
    void ExpectUntouched(const std::string &index) const {
        EXPECT_EQ(ReadFile(setup.store.Folder() + "INFECTED(1).Vir"), "one");
        EXPECT_EQ(ReadFile(setup.store.Folder() + "INFECTED(2).Vir"), "two");
        EXPECT_EQ(setup.IndexText(), index);
        EXPECT_FALSE(FileExists(target));
    }
};

} // namespace

TEST(QuarantineStoredNames, NamesThatReachTheFolderDevicesOrTheIndexAreNeverUsed) {
    const char *const names[] = {"...", ".. ", ". ", " ..", ".", "..", "", "  ", "NUL", "con.vir",
                                 "COM1", "INFECTED(1).Vir.", "INFECTED(1).Vir ", "INFECTED(?).Vir",
                                 "*", "Files.ini", "files.ini.tmp", "..\\Quarantine",
                                 "..\\..\\prog\\Quarantine\\INFECTED(1).Vir"};
    for (const char *name : names) {
        for (bool deleteFiles : {false, true}) {
            SCOPED_TRACE(std::string("stored name \"") + name + (deleteFiles ? "\", Delete" : "\", Restore"));
            HandWrittenIndex quarantine(name);
            Installation &setup = quarantine.setup;
            std::string index = setup.IndexText();
            MemoryCheckList list = quarantine.FirstRowTicked();

            if (deleteFiles)
                DeleteChecked(setup.store, list, setup.host);
            else
                RestoreChecked(setup.store, list, setup.host);

            quarantine.ExpectUntouched(index);
            EXPECT_EQ(list.rows, (Rows{{quarantine.target, false}, {setup.user + "two.exe", false}}));
            ASSERT_EQ(setup.log.size(), 1u);
            EXPECT_EQ(setup.log[0].rfind((deleteFiles ? "Could not delete [" : "Could not restore [") +
                                             quarantine.target + "]: ",
                                         0),
                      0u)
                << setup.log[0];
            Lines boxes{std::string("Warning: The selected infection could not be ") +
                        (deleteFiles ? "deleted" : "restored") + ". See the report for the reason."};
            if (deleteFiles)
                boxes.insert(boxes.begin(), kDeleteOneQuestion);
            EXPECT_EQ(setup.prompts.shown, boxes);
            EXPECT_FALSE(setup.store.ListQuarantine().at(0).present);
        }
    }
}

TEST(QuarantineStoredNames, AFolderUnderAStoredNameIsNotAStoredFile) {
    for (bool deleteFiles : {false, true}) {
        HandWrittenIndex quarantine("INFECTED(3).Vir");
        Installation &setup = quarantine.setup;
        MakeDir(setup.store.Folder() + "INFECTED(3).Vir");
        WriteFile(setup.store.Folder() + "INFECTED(3).Vir\\inside.txt", "inside");
        std::string index = setup.IndexText();
        MemoryCheckList list = quarantine.FirstRowTicked();

        if (deleteFiles)
            DeleteChecked(setup.store, list, setup.host);
        else
            RestoreChecked(setup.store, list, setup.host);

        quarantine.ExpectUntouched(index);
        EXPECT_EQ(ReadFile(setup.store.Folder() + "INFECTED(3).Vir\\inside.txt"), "inside");
        ASSERT_EQ(setup.log.size(), 1u);
        EXPECT_NE(setup.log[0].find("is a folder"), std::string::npos) << setup.log[0];
        EXPECT_FALSE(list.rows[0].second);
        EXPECT_FALSE(setup.store.ListQuarantine().at(0).present);
    }
}

// A short (8.3) alias is a bare, valid-looking name; the folder listing shows
// what it stands for. The index itself fits 8.3, but a temporary index left by
// a crash has an alias, and it is no stored file.
TEST(QuarantineStoredNames, AShortAliasOfTheTemporaryIndexIsRefused) {
    HandWrittenIndex probe("INFECTED(1).Vir");
    const std::string leftover = probe.setup.store.Folder() + "Files.ini.tmp";
    WriteFile(leftover, "left by a crash");
    char shortPath[MAX_PATH] = {};
    DWORD length = GetShortPathNameA(leftover.c_str(), shortPath, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::string alias = std::string(shortPath, length);
    alias = alias.substr(alias.rfind('\\') + 1);
    ASSERT_FALSE(SameFileName(alias, "Files.ini.tmp")) << "this file system gives no alias";
    ASSERT_TRUE(IsStoredFileName(alias)) << alias;

    HandWrittenIndex quarantine(alias);
    Installation &setup = quarantine.setup;
    WriteFile(setup.store.Folder() + "Files.ini.tmp", "left by a crash");
    std::string index = setup.IndexText();
    MemoryCheckList list = quarantine.FirstRowTicked();
    RestoreChecked(setup.store, list, setup.host);

    quarantine.ExpectUntouched(index);
    EXPECT_EQ(ReadFile(setup.store.Folder() + "Files.ini.tmp"), "left by a crash");
    ASSERT_EQ(setup.log.size(), 1u);
    EXPECT_NE(setup.log[0].find("Files.ini.tmp"), std::string::npos) << setup.log[0];
}

TEST(QuarantineStoredNames, AValidRecordBesideABadOneStillWorks) {
    HandWrittenIndex quarantine("...");
    Installation &setup = quarantine.setup;
    MemoryCheckList list = quarantine.FirstRowTicked();
    list.rows[1].second = true;

    RestoreChecked(setup.store, list, setup.host);

    EXPECT_EQ(ReadFile(setup.user + "two.exe"), "two");
    EXPECT_FALSE(FileExists(setup.store.Folder() + "INFECTED(2).Vir"));
    EXPECT_EQ(ReadFile(setup.store.Folder() + "INFECTED(1).Vir"), "one");
    EXPECT_EQ(setup.IndexLines(), (Lines{quarantine.target, "...", "", "10:00 01.01.27"}));
    EXPECT_EQ(list.rows, (Rows{{quarantine.target, false}}));
    EXPECT_EQ(setup.prompts.shown,
              Lines{"Warning: 1 of 2 selected infections could not be restored. See the report for the reasons."});
}

TEST(QuarantineStoredNames, AFolderInPlaceOfADetectedFileIsNotTakenIn) {
    Installation setup;
    const std::string replaced = setup.user + "spy.exe";
    MakeDir(replaced);
    WriteFile(replaced + "\\inside.txt", "inside");
    MemoryCheckList results;
    results.rows = {{replaced, true}};

    FixAndContinue(setup.store, results, setup.host);

    EXPECT_EQ(ReadFile(replaced + "\\inside.txt"), "inside");
    EXPECT_TRUE(setup.StoredFiles().empty());
    EXPECT_TRUE(setup.IndexLines().empty());
    EXPECT_EQ(results.rows, (Rows{{replaced, false}}));
    EXPECT_EQ(setup.log, Lines{"Could not move [" + replaced + "] to Quarantine: \"" + replaced +
                               "\" is a folder, not a file."});
}
