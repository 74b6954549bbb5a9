// The fingerprint texts of a file on disk, read through Win32.
#pragma once

#include "Fingerprint.h"

#include <optional>
#include <string>

namespace kernel {

// The size text of a file opened for reading with no sharing; "-1" when that
// open fails (missing file, folder, or a file that anyone has open).
std::string FileSizeText(const std::string &path);

// The fingerprint of a file read with read and write sharing; nothing when
// the content cannot be read. The size part comes from FileSizeText after the
// read, so a file that someone else has open gives the digest and ":-1".
std::optional<std::string> FileFingerprint(const std::string &path);

} // namespace kernel
