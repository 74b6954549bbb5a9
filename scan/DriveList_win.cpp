// The Win32 side of the drive list: the system's drive strings and types.
#include "DriveList.h"

#include <windows.h>

namespace scanner {

namespace {
unsigned SystemDriveType(const char *root) { return GetDriveTypeA(root); }
} // namespace

std::vector<DriveItem> FillDriveList() {
    char strings[1025] = {};
    DWORD length = GetLogicalDriveStringsA(sizeof strings - 1, strings);
    // A longer list than the buffer holds comes back as its needed size.
    if (length >= sizeof strings)
        length = 0;
    return SplitDriveStrings(strings, length, SystemDriveType);
}

} // namespace scanner
