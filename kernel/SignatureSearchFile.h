// The signature search through a file on disk: the Win32 side of
// SignatureSearch.
#pragma once

#include "SignatureSearch.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kernel {

// The position of the first occurrence of the pattern in the file at or after
// `start` (a negative start searches from 0), or -1: no occurrence, an empty
// path or pattern, an unknown kind, a missing file or a folder, an empty
// file, or a file that cannot be opened for reading while others may only
// read it (so a file held open by a writer gives -1). The whole file is
// searched, also beyond 4 GiB.
int64_t SearchFile(const std::string &path, std::string_view pattern, int64_t start,
                   PatternKind kind);

} // namespace kernel
