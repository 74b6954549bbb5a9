// Base content packed into a container beside where it goes, through
// temporary files, so that a failed pack leaves whatever was there untouched.
#pragma once

#include "bvxtool_files.h"

#include <memory>
#include <string>

namespace bvxtool {

// The packed container in a temporary file in target's folder, to be moved
// over target; throws std::runtime_error when it cannot be written.
std::unique_ptr<TempFile> PackBeside(const std::string &content, const std::string &target);

// Packs content and moves it over target.
void PackContent(const std::string &content, const std::string &target);

} // namespace bvxtool
