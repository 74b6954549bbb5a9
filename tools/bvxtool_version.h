// The version of bvxtool, the first line of ver.ini as the build read it.
#pragma once

namespace bvxtool {

const char *ProgramVersion();

} // namespace bvxtool
