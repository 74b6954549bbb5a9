#include "FileSelection.h"

#include <string>

namespace scanner {

namespace {

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// The part of the name from its last dot on; empty when there is no dot.
std::string_view Extension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool HasSpywareWord(std::string_view name) {
    static const char *const words[] = {"spy", "troj", "worm", "vir", "snif", "keylog", "backdoor"};
    const std::string lower = LowerCase(name);
    for (const char *word : words)
        if (lower.find(word) != std::string::npos)
            return true;
    return false;
}

bool HasProgramExtension(std::string_view name) {
    const std::string extension = LowerCase(Extension(name));
    return extension == ".exe" || extension == ".com" || extension == ".dll";
}

} // namespace

bool IsExcludedFolder(std::string_view folder) {
    const std::string lower = LowerCase(folder);
    return lower.find("quarant") != std::string::npos || lower.find("recyc") != std::string::npos;
}

bool IsSelectedName(std::string_view name) {
    return HasSpywareWord(name) || HasProgramExtension(name);
}

bool IsFileSelected(std::string_view folder, std::string_view name) {
    return !IsExcludedFolder(folder) && IsSelectedName(name);
}

} // namespace scanner
