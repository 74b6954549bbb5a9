// Errors that leave the library through the base and registry exports. Each
// is a std::exception whose what() is the system's own message text.
#pragma once

#include "IntegerText.h"

#include <stdexcept>
#include <string>

namespace kernel {

class EKernelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// bzip2 adapter errors: "error %d" with the library's code, or
// "Invalid stream operation".
class EBZip2Error : public EKernelError {
public:
    using EKernelError::EKernelError;
};
class EBZCompressionError : public EBZip2Error {
public:
    using EBZip2Error::EBZip2Error;
};
class EBZDecompressionError : public EBZip2Error {
public:
    using EBZip2Error::EBZip2Error;
};

// "'%s' is not a valid integer value", raised by the integer text parser
// that the engine shares with the scanner.
using brenvald::EConvertError;
// "Stream read error"
class EReadError : public EKernelError {
public:
    using EKernelError::EKernelError;
};
// "Range check error"
class ERangeError : public EKernelError {
public:
    using EKernelError::EKernelError;
};
// "Cannot open file "%s". %s" / "Cannot create file "%s". %s"
class EFOpenError : public EKernelError {
public:
    using EKernelError::EKernelError;
};
class EFCreateError : public EKernelError {
public:
    using EKernelError::EKernelError;
};
// "Out of memory while expanding memory stream"
class EOutOfMemory : public EKernelError {
public:
    using EKernelError::EKernelError;
};
// Registry access failures of the system service exports.
class ERegistryException : public EKernelError {
public:
    using EKernelError::EKernelError;
};

} // namespace kernel
