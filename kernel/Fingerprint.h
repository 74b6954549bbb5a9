// A file's size text and fingerprint text. The size text is the low 32 bits
// of the size read as a signed integer ("-1" when the size is unknown): stored
// fingerprints depend on that form, so files from 2 GiB on give negative or
// wrapped texts. The fingerprint is the lower-case MD5 digest of the whole
// content, ":" and the size text.
#pragma once

#include "Md5.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kernel {

std::string SizeText(uint32_t lowSizeBits);

std::string FingerprintText(const Md5Digest &digest, const std::string &sizeText);

// The size text of a file opened for reading with no sharing; "-1" when that
// open fails (missing file, folder, or a file that anyone has open).
std::string FileSizeText(const std::string &path);

// The fingerprint of a file read with read and write sharing; nothing when
// the content cannot be read. The size part comes from FileSizeText after the
// read, so a file that someone else has open gives the digest and ":-1".
std::optional<std::string> FileFingerprint(const std::string &path);

} // namespace kernel
