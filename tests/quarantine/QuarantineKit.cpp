#include "QuarantineKit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

namespace qtest {

FileResult FaultyFiles::Move(const std::string &from, const std::string &to) {
    if (movesToFail > 0) {
        --movesToFail;
        return FileResult::Failure("Injected move failure.");
    }
    if (moveOnlyCopies) {
        CopyFileA(from.c_str(), to.c_str(), TRUE);
        return FileResult::Failure("Injected failure to delete the source.");
    }
    FileResult moved = Win32QuarantineFiles::Move(from, to);
    if (moveFailsAfterCopy)
        return FileResult::Failure("Injected failure after the copy.");
    return moved;
}

IndexContent FaultyFiles::ReadIndex(const std::string &path) {
    if (indexUnreadable)
        return {IndexState::Unreadable, {}, "Injected read failure."};
    return Win32QuarantineFiles::ReadIndex(path);
}

FileResult FaultyFiles::WriteTempIndex(const std::string &path, const std::string &text) {
    if (indexWritesToFail > 0) {
        --indexWritesToFail;
        return FileResult::Failure("Injected disk full.");
    }
    return Win32QuarantineFiles::WriteTempIndex(path, text);
}

FileResult FaultyFiles::ReplaceIndex(const std::string &tempPath, const std::string &indexPath) {
    if (crashOnReplace)
        throw SimulatedCrash();
    if (replacesToFail > 0) {
        --replacesToFail;
        return FileResult::Failure("Injected replace failure.");
    }
    return Win32QuarantineFiles::ReplaceIndex(tempPath, indexPath);
}

Installation::Installation(std::vector<uint32_t> script) : draw(std::move(script)) {
    testsupport::MakeDir(program.substr(0, program.size() - 1));
    testsupport::MakeDir(user.substr(0, user.size() - 1));
}

std::string Installation::UserFile(const std::string &name) {
    testsupport::WriteFile(user + name, name);
    return user + name;
}

std::string Installation::IndexText() const { return testsupport::ReadFile(store.IndexPath()); }

std::vector<std::string> Installation::IndexLines() const {
    if (!testsupport::FileExists(store.IndexPath()))
        return {};
    return SplitIndexLines(IndexText());
}

std::vector<std::string> Installation::StoredFiles() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((store.Folder() + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "Files.ini" &&
            name != "Files.ini.tmp")
            names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

static int RecordsNaming(const std::vector<std::string> &lines, const std::string &storedName,
                         const std::string &originalPath) {
    int count = 0;
    for (std::size_t n = 0; n < CompleteRecordCount(lines); ++n) {
        QuarantineRecord record = RecordAt(lines, n);
        count += record.storedName == storedName && record.originalPath == originalPath;
    }
    return count;
}

void Installation::ExpectNothingLost(const std::vector<std::string> &userFiles) const {
    std::vector<std::string> lines = IndexLines();
    std::vector<std::string> stored = StoredFiles();
    for (const std::string &path : userFiles) {
        std::string content = path.substr(user.size());
        auto inQuarantine = std::find_if(stored.begin(), stored.end(), [&](const std::string &name) {
            return testsupport::ReadFile(store.Folder() + name) == content;
        });
        if (testsupport::FileExists(path)) {
            EXPECT_EQ(testsupport::ReadFile(path), content) << path;
            EXPECT_EQ(inQuarantine, stored.end()) << path << " is also in quarantine";
        } else {
            ASSERT_NE(inQuarantine, stored.end()) << path << " is lost";
            EXPECT_EQ(RecordsNaming(lines, *inQuarantine, path), 1) << path;
        }
    }
    for (const std::string &name : stored) {
        int records = 0;
        for (std::size_t n = 0; n < CompleteRecordCount(lines); ++n)
            records += RecordAt(lines, n).storedName == name;
        EXPECT_EQ(records, 1) << name << " has no single record";
    }
}

} // namespace qtest
