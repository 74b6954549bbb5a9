// A byte stream over a Win32 file handle, and the two ways the container
// exports open files. Open failures raise the system's own texts:
// "Cannot open file "<full path>". <error text>" and
// "Cannot create file "<full path>". <error text>".
#pragma once

#include "Streams.h"
#include "WinHandle.h"

#include <string>

namespace kernel {

class THandleStream : public TStream {
public:
    explicit THandleStream(brenvald::FileHandle file) : file_(std::move(file)) {}

    size_t Read(void *buffer, size_t count) override;
    size_t Write(const void *buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;

    void Close() { file_.reset(); }

private:
    brenvald::FileHandle file_;
    // Kept here so that asking for the position costs no system call.
    int64_t position_ = 0;
};

// Opens an existing file for reading; others may read it but not write it.
THandleStream OpenFileForReading(const std::string &path);
// Creates a new file, or raises the creation error under displayPath (the
// name the caller asked for, when this file stands in for it).
THandleStream CreateNewFile(const std::string &path, const std::string &displayPath);

// The full form of a path, as messages show it.
std::string FullPath(const std::string &path);
// The system's text for an error code, without the line break at its end.
std::string SystemErrorText(unsigned long code);
// "Cannot create file "<full path>". <error text>" for the code.
EFCreateError CreateError(const std::string &path, unsigned long code);

} // namespace kernel
