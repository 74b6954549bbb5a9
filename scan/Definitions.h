// The loaded definitions: the one DefinitionTable the engine appends every
// base to, the loading itself (LoadBases, FindBASE), and the lookup of the
// first matching slot for a file.
#pragma once

#include "DefinitionIndex.h"
#include "FolderSearch.h"
#include "ProgramFolder.h"
#include "ScanHost.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace scanner {

class IEngine;

// A base that did not load; the window and the console tool report it.
struct BaseFailure {
    std::string Path;      // as handed to the engine
    std::string ShownName; // the file's real name, as its log line would show it
    std::string Reason; // the engine's error text
    // Slots the base filled that stay in use: a base that overflows the
    // table keeps the records that fit.
    int32_t SlotsKept = 0;
};

// A base that holds kind "2" definitions whose Offset is not an integer.
struct UnusedOffsetBase {
    std::string ShownName;
    int32_t Count = 0;
};

// The table's memory; a null block when it could not be allocated.
using TableBlock = std::unique_ptr<uint8_t[], void (*)(uint8_t *)>;
using TableAllocator = TableBlock (*)();
// Allocates a whole DefinitionTable, every byte zero.
TableBlock AllocateDefinitionTable();

class TDefinitions {
public:
    explicit TDefinitions(TableAllocator allocate = AllocateDefinitionTable);
    TDefinitions(const TDefinitions &) = delete;
    TDefinitions &operator=(const TDefinitions &) = delete;

    // Allocates the table, appends every base below programFolder + "Bases\"
    // (programFolder ends with a backslash), logs an empty line, and indexes
    // the slots. Returns false when the table could not be allocated; the
    // error "Out of memory" has then been reported and nothing is loaded.
    bool LoadBases(const std::string &programFolder, TLogLines &log, IPrompts &prompts,
                   IEngine &engine);
    bool LoadBases(const std::string &programFolder, TLogLines &log, IPrompts &prompts);
    // The same below the program folder. Where no ANSI path reaches its
    // "Bases\", the log says so in one line (NoBasesLine) before the empty
    // one, and the table stays empty.
    bool LoadBases(const TProgramFolder &programFolder, TLogLines &log, IPrompts &prompts,
                   IEngine &engine);
    bool LoadBases(const TProgramFolder &programFolder, TLogLines &log, IPrompts &prompts);
    // The same with the bases folder itself (ending with a backslash), for
    // callers that keep their bases elsewhere.
    bool LoadBasesFrom(const std::string &basesFolder, TLogLines &log, IPrompts &prompts,
                       IEngine &engine);
    // The same for one base file alone, in a table of its own: what the scan
    // would load of it, for tools that check bases.
    bool LoadBaseFile(const std::string &basePath, TLogLines &log, IPrompts &prompts,
                      IEngine &engine);

    // False when the table could not be allocated: nothing may be scanned.
    bool Available() const { return table_ != nullptr; }
    // Slots in use (0 when unavailable).
    int32_t RecordCount() const;
    DefinitionSlot Slot(int32_t index) const;
    // The lowest slot that matches the file, -1 when none does: the slot a
    // walk from slot 0 would stop at; and whether the engine could not open
    // the file to confirm a candidate.
    TSlotMatch FirstMatch(const std::string &fingerprint, const std::string &path,
                       IEngine &engine) const;
    // The same for a file whose bytes the check has read itself: they go
    // through FeedContent, after StartContent, when WantsContent is true.
    bool WantsContent() const { return table_ && index_.WantsContent(); }
    void StartContent() const { index_.StartContent(); }
    void FeedContent(const unsigned char *data, size_t length) const { index_.FeedContent(data, length); }
    TSlotMatch FirstMatchOfContent(const std::string &fingerprint, const std::string &path,
                                   IEngine &engine) const;
    // The same for a file that the engine cannot be given: decided from the
    // bytes alone, as the engine would decide.
    TSlotMatch FirstMatchOfContentAlone(const std::string &fingerprint) const {
        return table_ ? index_.FirstMatchOfContentAlone(fingerprint) : TSlotMatch();
    }
    // Whether a file of this size text needs its fingerprint: some kind "0"
    // definition may match it.
    bool FingerprintMayMatch(const std::string &sizeText) const {
        return table_ && index_.FingerprintMayMatch(sizeText);
    }
    // Bytes held by the index's pattern set and offset table.
    size_t MatcherBytes() const { return index_.MatcherBytes(); }
    // The table's first byte, for readers of its layout.
    const uint8_t *Table() const { return table_.get(); }
    // The bases of the last load that failed, in load order.
    const std::vector<BaseFailure> &Failures() const { return failures_; }
    // The bases of the last load whose kind "2" definitions include some
    // that can never match, in load order.
    const std::vector<UnusedOffsetBase> &UnusedOffsetBases() const { return unusedOffsets_; }
    // Asks a load under way on another thread to end after the base being
    // read; the only call that may be made from another thread meanwhile.
    void RequestStop() { stopRequested_ = true; }

private:
    bool StartTable(IPrompts &prompts);
    void FindBASE(const std::string &folder, TLogLines &log, IEngine &engine,
                  TEnteredFolders &entered);
    // name is the file's ANSI name (perhaps its short form), shownName the real one.
    void LoadBase(const std::string &folder, const std::string &name, const std::string &shownName,
                  TLogLines &log, IEngine &engine);
    void NoteUnusedOffsets(const std::string &shownName, int32_t firstSlot);

    TableAllocator allocate_;
    TableBlock table_;
    // The variable whose address the engine is handed: it holds the table's start.
    void *tableStart_ = nullptr;
    TDefinitionIndex index_;
    std::vector<BaseFailure> failures_;
    std::vector<UnusedOffsetBase> unusedOffsets_;
    std::atomic<bool> stopRequested_{false};
};

} // namespace scanner
