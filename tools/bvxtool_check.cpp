#include "bvxtool_check.h"

#include "ReportText.h"

#include "BaseReport.h"
#include "DefinitionIndex.h"
#include "Definitions.h"
#include "Engine.h"
#include "ScanRun.h"

#include <brenvald/DefinitionTable.h>

#include <windows.h>

#include <array>
#include <ostream>

namespace bvxtool {

namespace {

constexpr int kAllLoaded = 0;
constexpr int kSomeFailed = 2;

class TErrorPrompts : public scanner::IPrompts {
public:
    explicit TErrorPrompts(std::ostream &err) : err_(err) {}
    void Information(const std::string &text) override { err_ << text << "\n"; }
    void Warning(const std::string &text) override { err_ << "warning: " << text << "\n"; }
    bool Confirm(const std::string &) override { return false; }
    void ErrorReport(const std::string &text) override { err_ << "error: " << text << "\n"; }
    void OpenAddress(const std::string &, bool) override {}

private:
    std::ostream &err_;
};

// Records of kinds 0, 1, 2, and of any other kind (never matched); and the
// warning for kind "2" records the scan never uses.
std::string RecordsByKind(const scanner::TDefinitions &definitions) {
    std::array<int64_t, 4> counts{};
    int64_t unusedOffsets = 0;
    const int32_t records = definitions.RecordCount();
    for (int32_t index = 0; index < records; ++index) {
        const scanner::DefinitionSlot slot = definitions.Slot(index);
        counts[slot.Kind >= '0' && slot.Kind <= '2' ? slot.Kind - '0' : 3] += 1;
        if (scanner::IsUnusedOffsetSignature(slot.Kind, slot.Offset))
            ++unusedOffsets;
    }
    std::string text = Counted(records, "record", "records") + ": " +
                       std::to_string(counts[0]) + " of kind 0, " + std::to_string(counts[1]) +
                       " of kind 1, " + std::to_string(counts[2]) + " of kind 2";
    if (counts[3] > 0)
        text += ", " + std::to_string(counts[3]) + " of no kind the scan knows (never matched)";
    if (unusedOffsets > 0)
        text += "\n  warning: " + UnusedOffsetsText(unusedOffsets);
    return text;
}

void PrintTableContents(const std::string &basePath, const scanner::TDefinitions &definitions,
                        std::ostream &out) {
    const uint8_t *table = definitions.Table();
    out << "  header 1: "
        << brenvald::ReadCountedText(table + brenvald::kHeaderText1Offset,
                                     brenvald::kHeaderTextCapacity)
        << "\n  header 2: "
        << brenvald::ReadCountedText(table + brenvald::kHeaderText2Offset,
                                     brenvald::kHeaderTextCapacity)
        << "\n  " << RecordsByKind(definitions) << "\n";
    // The engine keeps only the records that arrived whole.
    int64_t announced = 0;
    if (scanner::AnnouncedRecords(basePath, announced) && announced > definitions.RecordCount())
        out << "  its header announces " << Counted(announced, "record", "records")
            << ": the content ends before the rest\n";
}

// Loads one base alone and reports it; false when it did not load.
bool CheckBase(const std::string &basePath, std::ostream &out, std::ostream &err) {
    // Loading shows nothing here: the report is made from the table afterwards.
    scanner::TQuietScan host;
    TErrorPrompts prompts(err);
    scanner::TDefinitions definitions;
    if (!definitions.LoadBaseFile(basePath, host, prompts, scanner::KernelEngine())) {
        out << basePath << ": not checked: no memory for a definition table\n";
        return false;
    }
    if (definitions.Failures().empty()) {
        out << basePath << ": loaded\n";
        PrintTableContents(basePath, definitions, out);
        return true;
    }
    const scanner::BaseFailure &failure = definitions.Failures().front();
    out << basePath << ": " << scanner::BaseFailureText(failure) << "\n";
    // What a scan would still use of it.
    if (failure.SlotsKept > 0)
        PrintTableContents(basePath, definitions, out);
    return false;
}

} // namespace

int CheckCommand(const std::vector<std::string> &arguments, std::ostream &out,
                 std::ostream &err) {
    size_t failed = 0;
    for (const std::string &basePath : arguments)
        if (!CheckBase(basePath, out, err))
            ++failed;
    out << Counted(static_cast<int64_t>(arguments.size()), "base", "bases") << " checked, "
            << failed << " did not load\n";
    return failed == 0 ? kAllLoaded : kSomeFailed;
}

} // namespace bvxtool
