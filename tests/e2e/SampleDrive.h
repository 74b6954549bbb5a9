// The folder tree that the end-to-end tests scan (drive D: of the test
// prefix) and the definition base that detects three of its files, made at
// test time through Kernel.dll.
#pragma once

#include <string>
#include <vector>

namespace e2e {

struct SampleFile {
    std::string path;      // full path below the drive root
    std::string content;
    bool selected;         // the walk's selection rules pick it
    std::string detection; // name of the definition that matches it, or empty
};

class SampleDrive {
public:
    explicit SampleDrive(std::string root); // root ends with a backslash

    // Empties the drive and writes every sample file afresh.
    void Write() const;
    // Adds this many small clean programs in a folder of their own, so that
    // a scan lasts long enough to be paused or stopped in the middle.
    void WriteFillers(int count) const;
    const SampleFile &file(const std::string &name) const; // by file name
    const std::vector<SampleFile> &files() const { return files_; }

    // Detections the scan must report, as its log lines.
    std::vector<std::string> DetectionLogLines() const;
    std::vector<std::string> DetectedPaths() const;
    int SelectedCount() const;

    // The plain base content for the samples' definitions; the fingerprint
    // of the kind "0" sample comes from the engine, in the form it compares.
    std::string PlainBase(const std::string &fingerprint) const;

    // Path of the file that the tests hold open with no sharing during a scan.
    const std::string &Root() const { return root_; }
    std::string LockedPath() const { return root_ + "Samples\\locked.exe"; }

private:
    std::string root_;
    std::vector<SampleFile> files_;
};

// Writes a definition base with PackBase of Kernel.dll; returns an error
// text, empty on success.
std::string PackBaseThroughKernel(const std::string &plainPath, const std::string &basePath);
// The engine's fingerprint text of a file; empty when it has none.
std::string FingerprintThroughKernel(const std::string &path);

} // namespace e2e
