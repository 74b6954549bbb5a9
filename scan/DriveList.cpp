#include "DriveList.h"

namespace scanner {

namespace {
// The system's drive type values (GetDriveType).
enum : unsigned { TypeRemovable = 2, TypeFixed = 3, TypeRemote = 4, TypeCdRom = 5, TypeRamDisk = 6 };
} // namespace

int DriveImageIndex(unsigned driveType) {
    switch (driveType) {
    case TypeFixed:
    case TypeRamDisk:
        return FixedDiskImage;
    case TypeCdRom:
        return CdDriveImage;
    case TypeRemovable:
        return RemovableDriveImage;
    default:
        return NetworkDriveImage;
    }
}

std::vector<DriveItem> SplitDriveStrings(const char *strings, unsigned length,
                                         unsigned (*driveTypeOf)(const char *root)) {
    std::vector<DriveItem> items;
    std::string name;
    for (unsigned i = 0; i < length; ++i) {
        if (strings[i] != '\0') {
            name += strings[i];
            continue;
        }
        items.push_back({name, DriveImageIndex(driveTypeOf(name.c_str()))});
        name.clear();
    }
    return items;
}

} // namespace scanner
