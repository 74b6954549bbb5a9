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
#include <string_view>

namespace kernel {

std::string SizeText(uint32_t lowSizeBits);

std::string FingerprintText(const Md5Digest &digest, const std::string &sizeText);

// The low 32 bits of the size whose size text is exactly `text`, as SizeText
// writes it (no blank, "+", leading zero or "-0"); nothing for any other text.
std::optional<uint32_t> ParseSizeText(std::string_view text);

// The size part of a signature of the form "32 hex digits:size text" (digits
// of either case), the size text being one that SizeText writes: only a file
// of that size text can have this fingerprint. Nothing for a signature of
// any other form.
std::optional<uint32_t> FingerprintSignatureSize(std::string_view signature);

} // namespace kernel
