// The directory search of the base loading and the scan walk, and the
// identity of a folder, by which the walk notices a folder link leading back
// to a folder it has already entered.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>

namespace scanner {

struct FolderEntry {
    std::string Name;
    bool IsFolder = false;
};

// Visits every entry of folder + "*.*" (hidden and system entries included,
// "." and ".." too) in the order the system returns them, until visit returns
// false. A folder that cannot be searched yields nothing.
void ForEachFolderEntry(const std::string &folder,
                        const std::function<bool(const FolderEntry &)> &visit);

// The volume and file index of the folder a path leads to, links followed;
// false when the folder cannot be opened.
struct FolderIdentity {
    uint32_t Volume = 0;
    uint64_t Index = 0;
    bool operator==(const FolderIdentity &other) const {
        return Volume == other.Volume && Index == other.Index;
    }
};
bool IdentifyFolder(const std::string &folder, FolderIdentity &identity);

struct FolderIdentityHash {
    size_t operator()(const FolderIdentity &identity) const {
        return std::hash<uint64_t>()(identity.Index * 31 + identity.Volume);
    }
};

// The folders one search has entered, by identity, so that a folder link
// leading back into the tree is not searched again.
class TEnteredFolders {
public:
    // True the first time a folder is met; a folder without identity counts
    // as new each time.
    bool Enter(const std::string &folder);
    void Clear() { entered_.clear(); }

private:
    std::unordered_set<FolderIdentity, FolderIdentityHash> entered_;
};

} // namespace scanner
