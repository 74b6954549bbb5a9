#include "Definitions.h"

#include "Engine.h"
#include "FolderSearch.h"
#include "ScanRun.h"

#include <brenvald/DefinitionTable.h>

#include <windows.h>

#include <exception>

namespace scanner {

namespace {

void ReleaseTable(uint8_t *block) { VirtualFree(block, 0, MEM_RELEASE); }

// The extension of a file name, lower-cased (ASCII letters only): from the
// last dot on, empty when there is none.
std::string LowerExtension(const std::string &name) {
    const size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    for (char &c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

} // namespace

TableBlock AllocateDefinitionTable() {
    // Fresh pages come zeroed and are only touched as the bases fill them.
    void *block = VirtualAlloc(nullptr, brenvald::kDefinitionTableSize, MEM_RESERVE | MEM_COMMIT,
                               PAGE_READWRITE);
    return TableBlock(static_cast<uint8_t *>(block), ReleaseTable);
}

TDefinitions::TDefinitions(TableAllocator allocate)
    : allocate_(allocate), table_(nullptr, ReleaseTable) {}

bool TDefinitions::LoadBases(const std::string &programFolder, TLogLines &log,
                             IPrompts &prompts) {
    return LoadBases(programFolder, log, prompts, KernelEngine());
}

bool TDefinitions::LoadBases(const std::string &programFolder, TLogLines &log,
                             IPrompts &prompts, IEngine &engine) {
    return LoadBasesFrom(programFolder + "Bases\\", log, prompts, engine);
}

bool TDefinitions::LoadBases(const TProgramFolder &programFolder, TLogLines &log,
                             IPrompts &prompts) {
    return LoadBases(programFolder, log, prompts, KernelEngine());
}

bool TDefinitions::LoadBases(const TProgramFolder &programFolder, TLogLines &log,
                             IPrompts &prompts, IEngine &engine) {
    std::string reason;
    const std::string basesFolder = programFolder.AnsiSubFolder("Bases", reason);
    if (!basesFolder.empty())
        return LoadBasesFrom(basesFolder, log, prompts, engine);
    // The engine opens ANSI paths only: say why nothing loads rather than
    // look as if the folder held no base.
    if (!StartTable(prompts))
        return false;
    log.Line(NoBasesLine(programFolder, reason), LogKind::Plain);
    log.Line("", LogKind::Plain);
    index_.Build(table_.get(), RecordCount());
    return true;
}

bool TDefinitions::LoadBasesFrom(const std::string &basesFolder, TLogLines &log,
                                 IPrompts &prompts, IEngine &engine) {
    if (!StartTable(prompts))
        return false;
    TEnteredFolders entered;
    FindBASE(basesFolder, log, engine, entered);
    log.Line("", LogKind::Plain);
    index_.Build(table_.get(), RecordCount());
    return true;
}

bool TDefinitions::LoadBaseFile(const std::string &basePath, TLogLines &log,
                                IPrompts &prompts, IEngine &engine) {
    if (!StartTable(prompts))
        return false;
    const size_t nameStart = basePath.find_last_of("\\/:") + 1;
    const std::string name = basePath.substr(nameStart);
    LoadBase(basePath.substr(0, nameStart), name, name, log, engine);
    index_.Build(table_.get(), RecordCount());
    return true;
}

// A fresh table with RecordCount "0", as before the first base.
bool TDefinitions::StartTable(IPrompts &prompts) {
    // The old table goes first: two at once may not fit the address space.
    table_.reset();
    table_ = allocate_();
    if (!table_) {
        prompts.ErrorReport("Out of memory");
        return false;
    }
    tableStart_ = table_.get();
    failures_.clear();
    unusedOffsets_.clear();
    brenvald::WriteTableRecordCount(table_.get(), "0");
    return true;
}

void TDefinitions::FindBASE(const std::string &folder, TLogLines &log, IEngine &engine,
                            TEnteredFolders &entered) {
    if (!entered.Enter(folder))
        return;
    ForEachFolderEntry(folder, [&](const FolderEntry &entry) {
        // A window that closes ends its load after the base being read.
        if (stopRequested_)
            return false;
        if (entry.IsFolder) {
            FindBASE(folder + entry.AnsiName + "\\", log, engine, entered);
            return true;
        }
        // Lets the window answer while bases load; a load is never stopped.
        log.GoOn();
        // The real name decides: a short form cuts the extension to three
        // letters, so "x.bvxz" would pass as "X~1.BVX".
        if (LowerExtension(entry.Name) == ".bvx")
            LoadBase(folder, entry.AnsiName, entry.Name, log, engine);
        return true;
    });
}

void TDefinitions::LoadBase(const std::string &folder, const std::string &name,
                            const std::string &shownName, TLogLines &log, IEngine &engine) {
    // A base that cannot be opened, unpacked or appended gets no log line;
    // whatever the engine kept of it stays, and the failure is noted for
    // callers that report it.
    const int32_t countBefore = RecordCount();
    std::string reason;
    try {
        log.GoOn();
        engine.UnPakBaseToStream(folder + name, &tableStart_);
        log.Line("Spyware Definitions Base " + shownName + " loaded", LogKind::BaseLoaded);
        NoteUnusedOffsets(shownName, countBefore);
        return;
    } catch (const std::exception &error) {
        reason = error.what();
    } catch (...) {
        reason = "unknown error";
    }
    failures_.push_back({folder + name, shownName, reason, RecordCount() - countBefore});
    NoteUnusedOffsets(shownName, countBefore);
}

// Counts the base's kind "2" slots (from firstSlot on) that the check will
// pass over, so that the user hears of them.
void TDefinitions::NoteUnusedOffsets(const std::string &shownName, int32_t firstSlot) {
    const int32_t records = RecordCount();
    int32_t unused = 0;
    for (int32_t index = firstSlot; index < records; ++index) {
        const DefinitionSlot slot = Slot(index);
        if (IsUnusedOffsetSignature(slot.Kind, slot.Offset))
            ++unused;
    }
    if (unused > 0)
        unusedOffsets_.push_back({shownName, unused});
}

int32_t TDefinitions::RecordCount() const { return table_ ? ReadRecordCount(table_.get()) : 0; }

DefinitionSlot TDefinitions::Slot(int32_t index) const {
    return brenvald::ReadTableSlot(table_.get(), static_cast<size_t>(index));
}

TSlotMatch TDefinitions::FirstMatch(const std::string &fingerprint, const std::string &path,
                                    IEngine &engine) const {
    if (!table_)
        return {};
    TEngineProbe probe(path, engine);
    return index_.FirstMatch(fingerprint, probe);
}

TSlotMatch TDefinitions::FirstMatchOfContent(const std::string &fingerprint, const std::string &path,
                                             IEngine &engine) const {
    if (!table_)
        return {};
    TEngineProbe probe(path, engine);
    return index_.FirstMatchOfContent(fingerprint, probe);
}

} // namespace scanner
