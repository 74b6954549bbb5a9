// Test fixtures on disk: a fresh temporary folder per test, removed after.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // The folder's path, ending with a backslash.
    const std::string &path() const { return path_; }
    // path() + name
    std::string file(const std::string &name) const { return path_ + name; }

private:
    std::string path_;
};

void WriteFile(const std::string &path, const std::string &content);
std::string ReadFile(const std::string &path);
bool FileExists(const std::string &path);
void MakeDir(const std::string &path);
// Removes a file or a whole folder tree; missing paths are fine.
void RemoveTree(const std::string &path);

} // namespace testsupport
