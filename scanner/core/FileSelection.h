// Which files a scan checks: none below a quarantine or recycle folder; any
// whose name carries a spyware word; otherwise programs and libraries by
// extension.
#pragma once

#include <string_view>

namespace scanner {

// folder ends with a backslash; name is the bare file name.
bool IsFileSelected(std::string_view folder, std::string_view name);

} // namespace scanner
