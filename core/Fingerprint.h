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

} // namespace kernel
