// Conversions between UTF-8, wide (UTF-16) and ANSI text. UTF-8 is what the
// scan shows and stores, wide is what the wide calls take, ANSI is what the
// engine's ANSI exports open. Unless a function says otherwise, a text that
// cannot be converted gives an empty result.
#pragma once

#include <windows.h>

#include <string>

namespace brenvald {

// Lenient: characters the code page cannot read are replaced.
std::wstring WideFromCodePage(UINT codePage, const std::string &text);
std::wstring WideFromUtf8(const std::string &text);
std::wstring WideFromAnsi(const std::string &text);

// Strict: text that is not UTF-8 gives no wide form rather than a guess
// (false, and wide left empty).
bool WideFromUtf8Exactly(const std::string &utf8, std::wstring &wide);

// Text that hosts were given: UTF-8, or else (older callers) ANSI.
std::wstring WideFromShownText(const std::string &text);

std::string Utf8FromWide(const std::wstring &text);

// ANSI text in UTF-8; in a UTF-8 code page its bytes are the UTF-8 already.
std::string Utf8FromAnsi(const std::string &ansi);

// The text in the ANSI code page without best-fit look-alikes; inexact tells
// whether a character had no exact form there.
std::string AnsiFromWideNoBestFit(const std::wstring &text, bool &inexact);

// The ANSI spelling of a whole text when the code page spells it exactly
// (no default character, no best-fit look-alike, and it converts back the
// same); empty otherwise.
std::string ExactAnsiFromWide(const std::wstring &text);

} // namespace brenvald
