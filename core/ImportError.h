// The error of reading a signature database file for import: the file is
// damaged or of a form the import does not read. what() says why, in words
// a user can act on. No windows here.
#pragma once

#include <stdexcept>

namespace bvxtool {

class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace bvxtool
