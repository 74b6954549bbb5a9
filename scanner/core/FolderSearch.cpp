#include "FolderSearch.h"

#include <brenvald/WinHandle.h>

#include <windows.h>

namespace scanner {

void ForEachFolderEntry(const std::string &folder,
                        const std::function<bool(const FolderEntry &)> &visit) {
    WIN32_FIND_DATAA data;
    brenvald::FindHandle search(FindFirstFileA((folder + "*.*").c_str(), &data));
    if (!search.valid())
        return;
    do {
        const FolderEntry entry{data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
        if (!visit(entry))
            return;
    } while (FindNextFileA(search.get(), &data));
}

bool IdentifyFolder(const std::string &folder, FolderIdentity &identity) {
    // Backup semantics open a folder; a link is followed to where it leads.
    brenvald::FileHandle handle(CreateFileA(folder.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &information))
        return false;
    identity.Volume = information.dwVolumeSerialNumber;
    identity.Index = (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    return true;
}

bool TEnteredFolders::Enter(const std::string &folder) {
    FolderIdentity identity;
    return !IdentifyFolder(folder, identity) || entered_.insert(identity).second;
}

} // namespace scanner
