#pragma once

#include <string>

namespace kernel {

// True when the file can be opened for reading and writing with no sharing,
// that is when nobody has it open and it could be changed.
bool IsFileFree(const std::string &path);

} // namespace kernel
