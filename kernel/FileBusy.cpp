#include "FileBusy.h"

#include "WinHandle.h"

namespace kernel {

bool IsFileFree(const std::string &path) {
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0);
    return file.valid();
}

} // namespace kernel
