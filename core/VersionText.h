// The version line of the About box from the content of ver.ini: "Version "
// followed by the file's first line. No window needed.
#pragma once

#include <string>

namespace window {

// The text up to the first CR or LF (the whole text when there is none).
std::string FirstLine(const std::string &content);
// "Version " + the first line of the content.
std::string VersionCaption(const std::string &content);

} // namespace window
