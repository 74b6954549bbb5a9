// bvxtool's arguments, read from the wide command line: the commands work
// on ANSI texts (the engine's paths), so each argument becomes the ANSI text
// that spells it exactly, else the short form of the path it names, else
// the system's nearest ANSI text, as the narrow command line would give it
// (whose "?" no file name holds, so no file of a wrong name is ever made).
#pragma once

#include <string>
#include <vector>

namespace bvxtool {

std::vector<std::string> CommandLineArguments();

// One argument as the commands take it.
std::string ArgumentText(const std::wstring &argument);

} // namespace bvxtool
