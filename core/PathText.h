// Path texts of the system services: a closing backslash, and the brief
// display form of a long path.
#pragma once

#include <string>
#include <string_view>

namespace kernel {

// The path with a closing backslash: unchanged when it already ends with
// one, else with "\" appended (so the empty text becomes "\").
std::string WithClosingBackslash(std::string path);

// Drive part + "\..\" + file name part, for showing a long path briefly. The
// drive part is "X:" for a drive letter, "\\server\share" for a network path
// (the whole path when it has no backslash after the share), else empty; the
// file name part follows the last backslash or colon.
std::string ShortDisplayName(std::string_view path);

} // namespace kernel
