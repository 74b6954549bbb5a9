// `bvxtool scan`: the window's scan without the window. The bases are loaded
// and the folders walked and checked by the scanner's own units; this side
// only shows their log lines, a summary and, on a console, a progress line.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace bvxtool {

// Exit codes of a scan, for scripts.
constexpr int kScanClean = 0;
constexpr int kScanFound = 1;
constexpr int kScanError = 2;

// arguments: [--bases DIR] [--strict] PATH...; DIR is the bases folder (by
// default Bases beside the program). A PATH that is a file is checked
// whatever its name; folders are walked with the window's selection. Every base that fails to load gets one
// warning on err; with --strict such a failure ends the command with
// kScanError before anything is scanned. showProgress: out is a console.
int ScanCommand(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err,
                bool showProgress);

// The progress line: files and megabytes so far and the files per second.
std::string ProgressText(int32_t files, double megabytes, double seconds);

} // namespace bvxtool
