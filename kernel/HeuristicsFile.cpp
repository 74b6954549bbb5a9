// The Win32 side of the heuristics: the keyword search through files and the
// folder walk.
#include "HeuristicsFile.h"

#include "SignatureSearchFile.h"
#include "WinHandle.h"

namespace kernel {
namespace {

bool IsDotEntry(const char *name) { return std::string_view(name) == "." || std::string_view(name) == ".."; }

// The folder's volume and file index, which a link and its target share.
// False when the folder cannot be opened to ask.
bool IdentifyFolder(const std::string &folder, std::pair<uint32_t, uint64_t> &identity) {
    const std::string path = folder.empty() ? std::string(".") : folder;
    brenvald::FileHandle handle = brenvald::OpenFile(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info))
        return false;
    identity = {info.dwVolumeSerialNumber,
                (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return true;
}

} // namespace

double ScanFileKeywords(const std::string &path) {
    return KeywordScore([&path](std::string_view keyword) {
        return SearchFile(path, keyword, 0, PatternKind::ExactText) >= 0;
    });
}

int32_t ProgramFileCounter::CountBelow(const std::string &folder) {
    std::set<FolderIdentity> visited;
    CountIn(folder, visited);
    return Total();
}

void ProgramFileCounter::CountIn(const std::string &folder, std::set<FolderIdentity> &visited) {
    FolderIdentity identity;
    if (IdentifyFolder(folder, identity) && !visited.insert(identity).second)
        return;
    WIN32_FIND_DATAA entry;
    brenvald::FindHandle listing(FindFirstFileA((folder + "*.*").c_str(), &entry));
    if (!listing.valid())
        return;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!IsDotEntry(entry.cFileName))
                CountIn(folder + entry.cFileName + "\\", visited);
        } else if (IsProgramFileName(entry.cFileName)) {
            ++total_;
        }
    } while (FindNextFileA(listing.get(), &entry));
}

ProgramFileCounter &LibraryFileCounter() {
    static ProgramFileCounter counter;
    return counter;
}

} // namespace kernel
