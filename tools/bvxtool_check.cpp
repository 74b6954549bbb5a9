#include "bvxtool_check.h"

#include "BaseImage.h"
#include "ReportText.h"

#include "Definitions.h"
#include "Engine.h"
#include "FileStream.h"
#include "ScanRun.h"
#include "bzLib.h"

#include <brenvald/DefinitionTable.h>
#include "IntegerText.h"

#include <windows.h>

#include <array>
#include <exception>
#include <optional>
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


// Records of kinds 0, 1, 2, and of any other kind (never matched).
std::string RecordsByKind(const scanner::TDefinitions &definitions) {
    std::array<int64_t, 4> counts{};
    const int32_t records = definitions.RecordCount();
    for (int32_t slot = 0; slot < records; ++slot) {
        const char kind = definitions.Slot(slot).Kind;
        counts[kind >= '0' && kind <= '2' ? kind - '0' : 3] += 1;
    }
    std::string text = Counted(records, "record", "records") + ": " +
                       std::to_string(counts[0]) + " of kind 0, " + std::to_string(counts[1]) +
                       " of kind 1, " + std::to_string(counts[2]) + " of kind 2";
    if (counts[3] > 0)
        text += ", " + std::to_string(counts[3]) + " of no kind the scan knows (never matched)";
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
    if (AnnouncedRecords(basePath, announced) && announced > definitions.RecordCount())
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
    out << basePath << ": " << BaseFailureText(failure) << "\n";
    // What a scan would still use of it.
    if (failure.SlotsKept > 0)
        PrintTableContents(basePath, definitions, out);
    return false;
}

} // namespace

// Only the start of the container is unpacked, so a base whose content is
// huge costs nothing here.
bool AnnouncedRecords(const std::string &basePath, int64_t &records) {
    uint8_t header[brenvald::kHeaderSize];
    try {
        kernel::THandleStream file = kernel::OpenFileForReading(basePath);
        kernel::TBZDecompressionStream content(file);
        if (content.ReadFully(header, sizeof header) != sizeof header)
            return false;
    } catch (const std::exception &) {
        return false;
    }
    std::optional<int32_t> lastIndex = brenvald::ParseInteger(brenvald::ReadCountedText(
        header + brenvald::kRecordCountOffset, brenvald::kRecordCountCapacity));
    if (!lastIndex)
        return false;
    records = *lastIndex < 0 ? 0 : int64_t{*lastIndex} + 1;
    return true;
}

std::string BaseFailureText(const scanner::BaseFailure &failure) {
    if (failure.Reason != "Range check error")
        return "not loaded: " + BaseErrorText(failure.Reason);
    std::string text =
        BaseErrorText(failure.Reason) + ": " + std::to_string(failure.SlotsKept) + " of its ";
    int64_t announced = 0;
    if (AnnouncedRecords(failure.Path, announced) && announced >= failure.SlotsKept)
        return text + Counted(announced, "record", "records") + " loaded, " +
               Counted(announced - failure.SlotsKept, "record", "records") + " did not fit";
    return text + "records loaded, the rest did not fit";
}

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
