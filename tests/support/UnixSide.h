// Fixture steps that only the Linux side of Wine can take: setting the
// immutable flag (as root, Wine lets a read-only file be written), making
// folder links, deep trees and mounts.
#pragma once

#include <string>

namespace testsupport {

// The Unix path of a Windows path; empty when not running under Wine.
std::string UnixPath(const std::string &windowsPath);

// Runs a command through the Unix shell (Wine starts a Unix executable named
// by its Unix path) and waits for it to end. False when it did not run to
// its end within half a minute.
bool RunUnixShell(const std::string &command);

// Makes the file immutable for its lifetime, so that no open for writing
// succeeds, even for root. active() says whether the flag could be set.
class ImmutableFile {
public:
    explicit ImmutableFile(const std::string &path);
    ~ImmutableFile();
    ImmutableFile(const ImmutableFile &) = delete;
    ImmutableFile &operator=(const ImmutableFile &) = delete;
    bool active() const { return active_; }

private:
    std::string unixPath_;
    bool active_ = false;
};

// A symbolic link at `linkPath` to the folder `targetPath` (both Windows
// paths), made from the Linux side; true when the link exists afterwards.
bool MakeFolderLink(const std::string &linkPath, const std::string &targetPath);
// Removes such a link without following it.
void RemoveFolderLink(const std::string &linkPath);

// A chain of `levels` folders, each named `folderName`, below the folder
// `parent`, with a file `fileName` holding `content` (no quotes or
// backslashes) at its bottom; made from the Linux side, since Wine takes long
// to make a deep tree. True when the file exists afterwards.
bool MakeFolderChain(const std::string &parent, const std::string &folderName, int levels,
                     const std::string &fileName, const std::string &content);
// Removes a folder tree from the Linux side, however deep it is.
void RemoveUnixTree(const std::string &path);

// A small tmpfs file system mounted on the empty folder `folder` for the
// object's lifetime (needs root). mounted() says whether it took; error()
// then says why not.
class TmpfsMount {
public:
    explicit TmpfsMount(const std::string &folder);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;
    bool mounted() const { return mounted_; }
    const std::string &error() const { return error_; }

private:
    std::string unixFolder_;
    bool mounted_ = false;
    std::string error_;
};

} // namespace testsupport
