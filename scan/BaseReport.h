// What a load of definition bases tells its user beyond the lines of the
// bases that loaded: why a base did not load, which bases hold offset
// signatures that the scan can never use, and that no definition is loaded
// at all. The window logs these lines; bvxtool check, list and scan print
// the same words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scanner {

struct BaseFailure;
class TDefinitions;

// Why a base did not load, in words (without its path): "not loaded: ..."
// or, for a base that overflowed the table, how many of its records were
// kept and how many did not fit.
std::string BaseFailureText(const BaseFailure &failure);

// The records a base announces in its header (its RecordCount + 1). Only
// the start of the container is unpacked, so a base whose content is huge
// costs nothing here; false when no header can be read.
bool AnnouncedRecords(const std::string &basePath, int64_t &records);

// The lines that follow the loaded bases' lines in the window's log, in this
// order: one per base that did not load, one per base holding kind "2"
// definitions whose Offset is not an integer, and, when the table holds no
// definition, one saying so and where bases go (basesFolder). None when the
// table could not be allocated: the error report has said so.
std::vector<std::string> LoadReportLines(const TDefinitions &definitions,
                                         const std::string &basesFolder);

// The texts of the window's Scan and Update commands when no definition is
// loaded.
std::string NoDefinitionsScanQuestion();
std::string NoDefinitionsUpdateText(const std::string &basesFolder);

} // namespace scanner
