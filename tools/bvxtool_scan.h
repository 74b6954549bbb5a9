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

// arguments: [--bases DIR] PATH...; DIR is a folder named Bases (by default
// the one beside the program). showProgress: out is a console.
int ScanCommand(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err,
                bool showProgress);

// The progress line: files and megabytes so far and the files per second.
std::string ProgressText(int32_t files, double megabytes, double seconds);

} // namespace bvxtool
