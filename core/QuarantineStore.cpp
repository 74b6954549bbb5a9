#include "QuarantineStore.h"

#include <utility>

namespace scanner {

namespace {

// A drawn name is tried this many times before the move gives up: with the
// folder far from full, a free name turns up in the first few draws.
constexpr int kMaxNameDraws = 1000;

std::string WithTrailingBackslash(std::string folder) {
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string WithoutTrailingBackslash(const std::string &folder) {
    return folder.substr(0, folder.size() - 1);
}

QuarantineOutcome Outcome(QuarantineStatus status, std::string message = {}) {
    return {status, std::move(message)};
}

ReleaseOutcome Release(ReleaseStatus status, std::string message = {}) {
    return {status, std::move(message)};
}

} // namespace

QuarantineStore::QuarantineStore(std::string programFolder, IQuarantineFiles &files,
                                 INameDraw &draw, IQuarantineClock &clock)
    : folder_(WithTrailingBackslash(std::move(programFolder)) + "Quarantine\\"), files_(files),
      draw_(draw), clock_(clock) {}

std::string QuarantineStore::IndexPath() const { return folder_ + kIndexFileName; }

QuarantineStore::LoadedIndex QuarantineStore::LoadIndex() {
    IndexContent content = files_.ReadIndex(IndexPath());
    LoadedIndex index;
    index.state = content.state;
    index.error = content.error;
    if (content.state == IndexState::Read)
        index.lines = SplitIndexLines(content.text);
    return index;
}

// The new index goes to a temporary file first and replaces the old one in a
// single step, so an interrupted write never costs the records already there.
FileResult QuarantineStore::WriteIndex(const std::vector<std::string> &lines) {
    std::string tempPath = folder_ + kTempIndexFileName;
    FileResult written = files_.WriteTempIndex(tempPath, JoinIndexLines(lines));
    if (!written.ok)
        return written;
    FileResult replaced = files_.ReplaceIndex(tempPath, IndexPath());
    if (!replaced.ok)
        files_.Delete(tempPath);
    return replaced;
}

std::string QuarantineStore::IndexWriteError(const FileResult &result) const {
    return "Cannot create file \"" + IndexPath() + "\". " + result.error;
}

// A name is taken when a file of that name lies in the folder or a record
// names it: a record whose file has gone must not be matched with a new file.
bool QuarantineStore::NameTaken(const std::vector<std::string> &lines,
                                const std::string &storedName) {
    for (std::size_t record = 0; record < CompleteRecordCount(lines); ++record)
        if (SameFileName(RecordAt(lines, record).storedName, storedName))
            return true;
    return files_.Exists(folder_ + storedName);
}

bool QuarantineStore::DrawFreeName(const std::vector<std::string> &lines,
                                   std::string &storedName) {
    for (int attempt = 0; attempt < kMaxNameDraws; ++attempt) {
        storedName = StoredNameFor(draw_.Draw() % kStoredNameCount);
        if (!NameTaken(lines, storedName))
            return true;
    }
    return false;
}

QuarantineOutcome QuarantineStore::QuarantineFile(const std::string &path,
                                                  const std::string &description) {
    if (!files_.Exists(WithoutTrailingBackslash(folder_))) {
        FileResult created = files_.CreateFolder(WithoutTrailingBackslash(folder_));
        if (!created.ok)
            return Outcome(QuarantineStatus::Refused, "Cannot create folder \"" +
                                                          WithoutTrailingBackslash(folder_) +
                                                          "\". " + created.error);
    }
    LoadedIndex index = LoadIndex();
    if (index.state == IndexState::Unreadable)
        return Outcome(QuarantineStatus::Refused,
                       "The quarantine index \"" + IndexPath() + "\" cannot be read. " +
                           index.error + " No file was moved, so that no record in it is lost.");
    // A detected file replaced by a folder since the scan: a folder is never
    // taken into quarantine.
    if (files_.FindEntry(path).kind == EntryKind::Folder)
        return Outcome(QuarantineStatus::NotMoved, "\"" + path + "\" is a folder, not a file.");
    std::string storedName;
    if (!DrawFreeName(index.lines, storedName))
        return Outcome(QuarantineStatus::NotMoved,
                       "No free name was found in the quarantine folder.");
    QuarantineRecord record{path, storedName, IndexLineText(description),
                            FormatQuarantineTime(clock_.Now(), clock_.TimeSeparator())};
    std::vector<std::string> withRecord = index.lines;
    InsertRecord(withRecord, record);
    return MoveWithRecord(path, storedName, index.lines, withRecord);
}

// The record is written before the file moves, and taken out again when the
// move fails: whatever stops in between, no stored file is without a record.
QuarantineOutcome QuarantineStore::MoveWithRecord(const std::string &path,
                                                  const std::string &storedName,
                                                  const std::vector<std::string> &oldLines,
                                                  const std::vector<std::string> &newLines) {
    FileResult recorded = WriteIndex(newLines);
    if (!recorded.ok)
        return Outcome(QuarantineStatus::Refused,
                       IndexWriteError(recorded) + " The file was not moved.");
    FileResult moved = files_.Move(path, folder_ + storedName);
    // A move across volumes that reports a failure after its copy may still
    // have taken the file: its record then stays.
    if (moved.ok || (!files_.Exists(path) && files_.Exists(folder_ + storedName)))
        return Outcome(QuarantineStatus::Moved);
    // A copy left behind by the failed move is ours (the name was free): the
    // original stays where it was, so the copy goes together with the record.
    if (files_.Exists(folder_ + storedName))
        files_.Delete(folder_ + storedName);
    FileResult restored = WriteIndex(oldLines);
    if (!restored.ok)
        return Outcome(QuarantineStatus::Refused,
                       moved.error + " " + IndexWriteError(restored) +
                           " The file stays where it was; its record shows as missing.");
    return Outcome(QuarantineStatus::NotMoved, moved.error);
}

// Checked right before the file is used: a record may name anything, and
// what stands in the folder may have changed since the list was shown. Only a
// plain file that the folder lists under a stored name will do; its short
// alias could otherwise reach the index.
FileResult QuarantineStore::CheckStoredFile(const std::string &storedName) {
    if (!IsStoredFileName(storedName))
        return FileResult::Failure("The stored name \"" + storedName +
                                   "\" does not name a file in the quarantine folder.");
    const std::string storedPath = folder_ + storedName;
    QuarantineEntry entry = files_.FindEntry(storedPath);
    if (entry.kind == EntryKind::Missing)
        return FileResult::Failure("\"" + storedPath + "\": " + entry.error);
    if (entry.kind == EntryKind::Folder)
        return FileResult::Failure("\"" + storedPath + "\" is a folder, not a stored file.");
    if (!IsStoredFileName(entry.name))
        return FileResult::Failure("\"" + storedPath + "\" is \"" + entry.name +
                                   "\", not a stored file.");
    return FileResult::Success();
}

std::vector<QuarantineRow> QuarantineStore::ListQuarantine() {
    std::vector<QuarantineRow> rows;
    LoadedIndex index = LoadIndex();
    for (std::size_t n = 0; n < CompleteRecordCount(index.lines); ++n) {
        QuarantineRecord record = RecordAt(index.lines, n);
        bool present = CheckStoredFile(record.storedName).ok;
        rows.push_back({record.originalPath, record.storedName, record.description,
                        record.timeStamp, present});
    }
    return rows;
}

ReleaseOutcome QuarantineStore::ReleaseQuarantined(std::size_t n, bool deleteFile,
                                                   const std::string *expectedPath) {
    return ReleaseWith(n, expectedPath,
                       [&](const QuarantineRecord &record, const std::string &storedPath) {
                           return deleteFile ? files_.Delete(storedPath)
                                             : files_.Move(storedPath, record.originalPath);
                       });
}

// The record names the file only by its original path, which may be any
// text: only a plain file name may join the chosen folder, never ".." or a
// device.
ReleaseOutcome QuarantineStore::RestoreQuarantinedTo(std::size_t n, const std::string &folder,
                                                     const std::string *expectedPath) {
    return ReleaseWith(n, expectedPath,
                       [&](const QuarantineRecord &record, const std::string &storedPath) {
                           const std::string name = FileNameOfPath(record.originalPath);
                           if (!IsPlainFileName(name))
                               return FileResult::Failure("\"" + record.originalPath +
                                                          "\" names no file to restore.");
                           std::string target = folder;
                           if (target.empty() || target.back() != '\\')
                               target += '\\';
                           return files_.Move(storedPath, target + name);
                       });
}

// Restore and delete alike: the record must still be the one the row
// showed, its stored file must be there, and the record goes only once the
// file operation has worked.
ReleaseOutcome QuarantineStore::ReleaseWith(std::size_t n, const std::string *expectedPath,
                                            const ReleaseAction &act) {
    LoadedIndex index = LoadIndex();
    if (index.state != IndexState::Read)
        return Release(ReleaseStatus::Failed, "The quarantine index cannot be read. " + index.error);
    if (n >= CompleteRecordCount(index.lines))
        return Release(ReleaseStatus::Failed, "The quarantine index has no such record.");
    QuarantineRecord record = RecordAt(index.lines, n);
    if (expectedPath && *expectedPath != record.originalPath)
        return Release(ReleaseStatus::Failed,
                       "The quarantine index has changed; open the quarantine list again.");
    FileResult stored = CheckStoredFile(record.storedName);
    if (!stored.ok)
        return Release(ReleaseStatus::Failed, stored.error);
    FileResult done = act(record, folder_ + record.storedName);
    if (!done.ok)
        return Release(ReleaseStatus::Failed, done.error);
    EraseRecord(index.lines, n);
    FileResult written = WriteIndex(index.lines);
    if (!written.ok)
        return Release(ReleaseStatus::DoneRecordKept, IndexWriteError(written));
    return Release(ReleaseStatus::Done);
}

bool QuarantineStore::RemoveQuarantineRecord(std::size_t n) {
    LoadedIndex index = LoadIndex();
    if (index.state != IndexState::Read || n >= CompleteRecordCount(index.lines))
        return false;
    EraseRecord(index.lines, n);
    return WriteIndex(index.lines).ok;
}

} // namespace scanner
