#include "BaseReport.h"

#include "BaseImage.h"
#include "Definitions.h"
#include "ReportText.h"

#include "FileStream.h"
#include "bzLib.h"

#include <brenvald/DefinitionTable.h>
#include "IntegerText.h"

#include <exception>
#include <optional>

namespace scanner {

namespace {

const char kBaseLinePrefix[] = "Spyware Definitions Base ";
const char kEngineTableFull[] = "Range check error";

} // namespace

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

std::string BaseFailureText(const BaseFailure &failure) {
    using bvxtool::Counted;
    if (failure.Reason != kEngineTableFull)
        return "not loaded: " + bvxtool::BaseErrorText(failure.Reason);
    std::string text = bvxtool::BaseErrorText(failure.Reason) + ": " +
                       std::to_string(failure.SlotsKept) + " of its ";
    int64_t announced = 0;
    if (AnnouncedRecords(failure.Path, announced) && announced >= failure.SlotsKept)
        return text + Counted(announced, "record", "records") + " loaded, " +
               Counted(announced - failure.SlotsKept, "record", "records") + " did not fit";
    return text + "records loaded, the rest did not fit";
}

std::vector<std::string> LoadReportLines(const TDefinitions &definitions,
                                         const std::string &basesFolder) {
    std::vector<std::string> lines;
    if (!definitions.Available())
        return lines;
    for (const BaseFailure &failure : definitions.Failures())
        lines.push_back(kBaseLinePrefix + failure.ShownName + " " + BaseFailureText(failure));
    for (const UnusedOffsetBase &base : definitions.UnusedOffsetBases())
        lines.push_back(kBaseLinePrefix + base.ShownName + ": " +
                        bvxtool::UnusedOffsetsText(base.Count));
    if (definitions.RecordCount() == 0)
        lines.push_back("No spyware definitions are loaded, so a scan cannot find anything: "
                        "put definition bases (.bvx files) into " +
                        basesFolder + " and start Brenvald again.");
    return lines;
}

std::string NoDefinitionsScanQuestion() {
    return "No spyware definitions are loaded, so a scan cannot find anything. Scan anyway?";
}

std::string NoDefinitionsUpdateText(const std::string &basesFolder) {
    return "No spyware definitions are loaded. Put definition bases (.bvx files) into " +
           basesFolder + " and start Brenvald again.";
}

} // namespace scanner
