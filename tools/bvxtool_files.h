// File helpers of bvxtool: whole-file reads and writes, and temporary files
// that are removed on every path.
#pragma once

#include <string>

namespace bvxtool {

// False when the file cannot be read.
bool ReadWholeFile(const std::string &path, std::string &content);
bool WriteWholeFile(const std::string &path, const std::string &content);

// The folder part of a path, ending with a backslash; ".\" for a bare name.
std::string FolderOf(const std::string &path);
// The name after the last "\", "/" or ":".
std::string NameOf(const std::string &path);

// A new, empty file with a unique name in a folder (the system's temporary
// folder when none is given), deleted when this object goes.
class TempFile {
public:
    explicit TempFile(const std::string &folder = "");
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    bool valid() const { return !path_.empty(); }
    const std::string &path() const { return path_; }
    // Moves the file over target (replacing it); afterwards nothing is
    // deleted here. False when the move failed.
    bool MoveOver(const std::string &target);

private:
    std::string path_;
};

} // namespace bvxtool
