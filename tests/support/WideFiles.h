// Files and folders named in UTF-8 and reached through the wide calls, for
// tests whose folders have names that the ANSI code page cannot spell.
// Full paths take the "\\?\" form, so length is no limit either.
#pragma once

#include <string>

namespace testsupport {

// The text in the code page (CP_ACP, CP_UTF8) as UTF-16.
std::wstring WideFrom(const std::string &text, unsigned codePage);

std::wstring LongForm(const std::string &utf8Path);
// The same for an ANSI path.
std::wstring LongFormOfAnsi(const std::string &ansiPath);
// Makes the folder and every missing folder above it; fails the test when
// it cannot.
void MakeWideFolder(const std::string &utf8Path);
// A new file (an existing one fails the test) holding content.
void WriteWideFile(const std::string &utf8Path, const std::string &content);
// The file's bytes through its real name, or "<missing>" when it is not there.
std::string ReadWideFile(const std::string &utf8Path);
bool WideExists(const std::string &utf8Path);
// Copies a file (an ANSI path, such as one beside the test) to a UTF-8 path.
void CopyToWidePath(const std::string &ansiFrom, const std::string &utf8To);
// Removes a file or a whole folder tree, read-only entries included; a link
// is removed, never followed. Missing paths are fine.
void RemoveWideTree(const std::wstring &path);

} // namespace testsupport
