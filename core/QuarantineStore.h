// The quarantine store: detected files moved into "Quarantine\" beside the
// program under generated names, with Files.ini recording where each came
// from. Paths are UTF-8, so a file keeps its real name there and back. The
// store keeps nothing in memory; every operation reads the index afresh and
// replaces it whole, atomically.
//
// Nothing a user owns may be lost: a file is either at its original path or
// in the quarantine folder with exactly one record. To keep that true even
// across a crash, a new record is written before its file is moved (and taken
// out again if the move fails), and a record is removed only after its file
// has been restored or deleted.
#pragma once

#include "QuarantineFiles.h"
#include "QuarantineIndex.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace scanner {

enum class QuarantineStatus {
    Moved,    // the file lies in the quarantine folder with its record
    NotMoved, // this file could not be moved (gone, locked, no free name); it stays where it was
    Refused,  // the store itself is unusable (folder, index): nothing was moved, stop the command
};

struct QuarantineOutcome {
    QuarantineStatus status = QuarantineStatus::NotMoved;
    std::string message; // why, when not Moved

    bool moved() const { return status == QuarantineStatus::Moved; }
};

enum class ReleaseStatus {
    Done,           // file restored or deleted, record removed
    Failed,         // nothing changed
    DoneRecordKept, // file restored or deleted, but the index could not be rewritten
};

struct ReleaseOutcome {
    ReleaseStatus status = ReleaseStatus::Failed;
    std::string message;
};

// One row of the quarantine list (ListView1): caption and sub-items, plus
// whether the stored file is still in the quarantine folder.
struct QuarantineRow {
    std::string caption; // the original path
    std::string storedName;
    std::string description;
    std::string timeStamp;
    bool present = false;
};

class QuarantineStore {
public:
    // programFolder is the folder of the program file; a missing trailing
    // backslash is added.
    QuarantineStore(std::string programFolder, IQuarantineFiles &files, INameDraw &draw,
                    IQuarantineClock &clock);

    // Program folder + "Quarantine\".
    const std::string &Folder() const { return folder_; }
    std::string IndexPath() const;

    QuarantineOutcome QuarantineFile(const std::string &path, const std::string &description);
    // One row per complete record, in index order; empty when there is no
    // readable index.
    std::vector<QuarantineRow> ListQuarantine();
    // Restores (deleteFile false) or deletes record n's stored file, then
    // removes the record. When expectedPath is given, the record must still
    // carry that original path, so that a row never acts on another record.
    ReleaseOutcome ReleaseQuarantined(std::size_t record, bool deleteFile,
                                      const std::string *expectedPath = nullptr);
    // Restores record n's stored file into another folder, under the file
    // name of its original path, then removes the record. It fails, changing
    // nothing, when that name is taken there or is no plain file name.
    ReleaseOutcome RestoreQuarantinedTo(std::size_t record, const std::string &folder,
                                        const std::string *expectedPath = nullptr);
    // True when the record was removed and the index written.
    bool RemoveQuarantineRecord(std::size_t record);

private:
    struct LoadedIndex {
        IndexState state = IndexState::Missing;
        std::vector<std::string> lines;
        std::string error;
    };

    // What a release does with the stored file of a record.
    using ReleaseAction =
        std::function<FileResult(const QuarantineRecord &record, const std::string &storedPath)>;
    ReleaseOutcome ReleaseWith(std::size_t record, const std::string *expectedPath,
                               const ReleaseAction &act);
    LoadedIndex LoadIndex();
    FileResult WriteIndex(const std::vector<std::string> &lines);
    std::string IndexWriteError(const FileResult &result) const;
    bool DrawFreeName(const std::vector<std::string> &lines, std::string &storedName);
    FileResult CheckStoredFile(const std::string &storedName);
    bool NameTaken(const std::vector<std::string> &lines, const std::string &storedName);
    QuarantineOutcome MoveWithRecord(const std::string &path, const std::string &storedName,
                                     const std::vector<std::string> &oldLines,
                                     const std::vector<std::string> &newLines);

    std::string folder_;
    IQuarantineFiles &files_;
    INameDraw &draw_;
    IQuarantineClock &clock_;
};

} // namespace scanner
