// The drive list's content: one item per logical drive, its caption the
// drive's root ("C:\") and its image chosen by the drive type.
#pragma once

#include <string>
#include <vector>

namespace scanner {

struct DriveItem {
    std::string Caption;
    int ImageIndex = 0;
};

// Images of ImageList1: network drive, CD drive, removable drive, fixed disk.
enum DriveImage { NetworkDriveImage = 0, CdDriveImage = 1, RemovableDriveImage = 2, FixedDiskImage = 3 };

// The image index for a system drive type (GetDriveType's value).
int DriveImageIndex(unsigned driveType);
// Splits the drive strings the system wrote (length characters, each name
// ended by a zero) into items, typing each name through driveTypeOf.
std::vector<DriveItem> SplitDriveStrings(const char *strings, unsigned length,
                                         unsigned (*driveTypeOf)(const char *root));
// The items for this machine's logical drives, in the system's order.
std::vector<DriveItem> FillDriveList();

} // namespace scanner
