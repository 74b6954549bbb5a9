#include "PathText.h"

namespace kernel {

std::string WithClosingBackslash(std::string path) {
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

namespace {

// "\\server\share": up to the second backslash after the leading pair, or
// the whole path when there is none.
std::string_view NetworkDrivePart(std::string_view path) {
    const size_t afterServer = path.find('\\', 2);
    if (afterServer == std::string_view::npos)
        return path;
    const size_t afterShare = path.find('\\', afterServer + 1);
    return afterShare == std::string_view::npos ? path : path.substr(0, afterShare);
}

std::string_view DrivePart(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':')
        return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\')
        return NetworkDrivePart(path);
    return {};
}

std::string_view FileNamePart(std::string_view path) {
    const size_t lastSeparator = path.find_last_of("\\:");
    return lastSeparator == std::string_view::npos ? path : path.substr(lastSeparator + 1);
}

} // namespace

std::string ShortDisplayName(std::string_view path) {
    std::string shortName(DrivePart(path));
    shortName += "\\..\\";
    shortName += FileNamePart(path);
    return shortName;
}

} // namespace kernel
