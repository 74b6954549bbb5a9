#include "BaseFiles.h"

#include "BaseContainer.h"
#include "FileStream.h"
#include "bzLib.h"

#include <memory>

namespace kernel {

namespace {

// The target is written under a temporary name in its own folder and put in
// place only when the whole conversion succeeded: a failure never leaves a
// half-written target, and a source that is also the target is read to the
// end before it is replaced.
class TempTarget {
public:
    // Raises the creation error of the target when no file can be made in
    // its folder.
    explicit TempTarget(const std::string &target) : target_(target), stream_(Create()) {}
    ~TempTarget() {
        stream_.Close();
        if (!committed_)
            DeleteFileA(path_.c_str());
    }
    TempTarget(const TempTarget &) = delete;
    TempTarget &operator=(const TempTarget &) = delete;

    TStream &Stream() { return stream_; }

    void Commit() {
        stream_.Close();
        if (!MoveFileExA(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING))
            throw CreateError(target_, GetLastError());
        committed_ = true;
    }

private:
    THandleStream Create() {
        std::string full = FullPath(target_);
        std::string folder = full.substr(0, full.find_last_of("\\/") + 1);
        static unsigned counter = 0;
        std::string stem = folder + "~bvx" + std::to_string(GetCurrentProcessId()) + "_";
        for (;;) {
            path_ = stem + std::to_string(++counter) + ".tmp";
            brenvald::FileHandle file = brenvald::OpenFile(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
            if (file.valid())
                return THandleStream(std::move(file));
            DWORD code = GetLastError();
            if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
                throw CreateError(target_, code);
        }
    }

    std::string target_;
    std::string path_;
    THandleStream stream_;
    bool committed_ = false;
};

using Conversion = void (*)(TStream &source, TStream &target);

void ConvertFile(const std::string &source, const std::string &target, Conversion convert) {
    THandleStream input = OpenFileForReading(source);
    std::unique_ptr<TempTarget> output;
    try {
        output = std::make_unique<TempTarget>(target);
    } catch (const EFCreateError &) {
        // The target's folder takes no file; a failure of the source itself
        // still comes first, as when the source is converted before the
        // target is created.
        TNullStream sink;
        convert(input, sink);
        throw;
    }
    convert(input, output->Stream());
    input.Close();
    output->Commit();
}

} // namespace

void PackBaseFile(const std::string &source, const std::string &target) {
    ConvertFile(source, target, CompressWholeStream);
}

void UnpackBaseFile(const std::string &source, const std::string &target) {
    ConvertFile(source, target, DecompressWholeStream);
}

void UnpackBaseIntoTable(const std::string &basePath, uint8_t *table) {
    THandleStream base = OpenFileForReading(basePath);
    AppendContainerToTable(base, table);
}

} // namespace kernel
