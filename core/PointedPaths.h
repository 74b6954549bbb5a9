// The paths a user points the scanner at (its command line, files dropped on
// its window, a second start handing its paths over): how they travel from
// one instance to the other, how each becomes a row of the drive list, and
// the name of the lock that keeps one instance per user. Texts are UTF-16
// code units in std::wstring, as the system's wide calls use them; nothing
// here calls the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace scanner {

// The mark a hand-over message carries, so that a message of any other
// program is never read as paths.
constexpr uint32_t kPointedPathsMark = 0x42565850; // "BVXP"
// A hand-over holds at most this many paths, each at most this long (the
// longest path the system's wide calls take).
constexpr std::size_t kMaxPointedPaths = 4096;
constexpr std::size_t kMaxPointedPathLength = 32767;

// The message body: each path followed by a zero unit. Empty paths are left
// out; so are paths beyond the limits.
std::wstring EncodePointedPaths(const std::vector<std::wstring> &paths);
// The paths of a message body of this many bytes; empty for a body that is
// no hand-over (an odd size, no closing zero unit, too many or too long
// paths): such a message is refused whole.
std::vector<std::wstring> DecodePointedPaths(const void *data, std::size_t bytes);

// Whether a full path names a place on a drive or a network share ("X:\...",
// "\\server\share\...", or their long forms "\\?\X:\..." and
// "\\?\UNC\..."), never a device such as "\\.\CON" or a pipe, whose read
// could hold the scan for ever.
bool IsPointablePath(const std::wstring &fullPath);

// What a drive list row walks for a pointed path: a folder as its path with
// one closing backslash, a file as its path.
std::wstring PointedScanRoot(const std::wstring &fullPath, bool isFolder);
// Whether two scan roots name the same place, ignoring ASCII case as the
// file system does for those letters.
bool SamePointedRoot(const std::wstring &left, const std::wstring &right);
// The paths not yet among the rows, each once, in the order given.
std::vector<std::wstring> NewPointedRoots(const std::vector<std::wstring> &existing,
                                          const std::vector<std::wstring> &pointed);

// The name of the lock held by the running scanner of the user with this
// security identifier (its text form, such as "S-1-5-21-..."), in the
// session's own name space.
std::wstring InstanceLockName(const std::wstring &userSid);

} // namespace scanner
