// The system's own message text for an error code (FormatMessage), as the
// errors of the engine, the scan and the window quote it.
#pragma once

#include <optional>
#include <string>

namespace brenvald {

// The characters a message text ends with that are taken off by default:
// its line end.
constexpr char kLineEnd[] = "\r\n";

// The text in the ANSI code page, with any trailing characters of trimmed
// taken off; none when the system has no text for the code.
std::optional<std::string> SystemErrorTextAnsi(unsigned long code, const char *trimmed = kLineEnd);

// The same text in UTF-8, read through the wide call so that no character
// is lost to the code page.
std::optional<std::string> SystemErrorTextUtf8(unsigned long code, const char *trimmed = kLineEnd);

} // namespace brenvald
