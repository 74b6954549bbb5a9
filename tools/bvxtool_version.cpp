#include "bvxtool_version.h"

#include "ProgramVersion.h"

namespace bvxtool {

const char *ProgramVersion() { return BVX_VERSION_TEXT; }

} // namespace bvxtool
