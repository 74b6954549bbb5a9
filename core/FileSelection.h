// Which files a scan checks: none below a quarantine or recycle folder; any
// whose name carries a spyware word; otherwise programs and libraries by
// extension.
#pragma once

#include <string_view>

namespace scanner {

// Names and paths are the real ones, in UTF-8 (or ANSI: the rules look at
// ASCII letters only, so both read alike).
// folder ends with a backslash; name is the bare file name.
bool IsFileSelected(std::string_view folder, std::string_view name);
// The two halves of it, for a walk that tests each folder once: no file
// below a quarantine or recycle folder is selected...
bool IsExcludedFolder(std::string_view folder);
// ...and elsewhere a file is by its name alone.
bool IsSelectedName(std::string_view name);

} // namespace scanner
