// Hex pattern text as the signature search reads it: up to the first zero
// byte, only the digits 0-9, A-F and a-f count (in either case), an odd last
// digit is dropped, and each pair of digits gives one byte, high half first.
// Everything else (blanks, commas, "?", the "x" of 0x) is dropped without
// notice, so "0x4D5A" gives the bytes 04 D5. No digits give no bytes.
//
// Pure: the engine's search and the scanner's one-pass check both build their
// patterns here, so a pattern text is read one way only.
#pragma once

#include <string>
#include <string_view>

namespace kernel {

std::string HexPatternBytes(std::string_view text);
// The same into bytes, whose storage is reused from one text to the next.
void HexPatternBytes(std::string_view text, std::string &bytes);

} // namespace kernel
