#include "VersionText.h"

namespace window {

std::string FirstLine(const std::string &content) {
    return content.substr(0, content.find_first_of("\r\n"));
}

std::string VersionCaption(const std::string &content) {
    return "Version " + FirstLine(content);
}

} // namespace window
