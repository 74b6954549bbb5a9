// Path text rules of the folder search, apart from the system calls.
#pragma once

#include <cstddef>
#include <string>

namespace scanner {

// ANSI paths longer than this are refused by the ANSI file calls.
constexpr size_t AnsiPathLimit = 259;

// folderAnsi + ansiName + ending when neither part is empty and the whole
// stays within AnsiPathLimit; empty otherwise.
std::string JoinWithinAnsiLimit(const std::string &folderAnsi, const std::string &ansiName,
                                const char *ending);
// A full path in the "\\?\" form that the wide calls take beyond 260
// characters (UNC paths as "\\?\UNC\server\share\..."); already long or
// device paths stay as they are.
std::wstring LongPathForm(const std::wstring &fullPath);
// The other way: the path as the ANSI calls and the user know it.
std::wstring PlainPathForm(const std::wstring &path);
std::wstring WithFinalBackslash(std::wstring path);
// The least length that the short form of a name can have: a name that is
// its own short form (a legal 8.3 name) keeps its length, any other gets a
// short name of one character at least.
size_t ShortNameFloor(const std::wstring &name);
// The same for a whole plain path, name by name; a final backslash counts.
size_t ShortPathFloor(const std::wstring &plainPath);
// Printable ASCII only, and nothing the ANSI calls would trim (a final dot
// or blank): such a name is its own ANSI spelling in every code page.
bool IsPlainAsciiName(const std::wstring &name);

} // namespace scanner
