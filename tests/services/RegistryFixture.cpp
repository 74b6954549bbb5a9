#include "RegistryFixture.h"

#include <stdexcept>

namespace {

bool KeyExists(const std::string &path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The first prefix of the path (at a backslash) that names no key yet.
std::string FirstMissingKey(const std::string &path) {
    for (size_t end = path.find('\\'); ; end = path.find('\\', end + 1)) {
        std::string prefix = path.substr(0, end);
        if (!KeyExists(prefix))
            return prefix;
        if (end == std::string::npos)
            return std::string();
    }
}

class OpenKey {
public:
    explicit OpenKey(const std::string &path) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key_, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot open registry key " + path);
    }
    ~OpenKey() { RegCloseKey(key_); }
    OpenKey(const OpenKey &) = delete;
    OpenKey &operator=(const OpenKey &) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

RegistryValueGuard::RegistryValueGuard(std::string keyPath, std::string valueName)
    : keyPath_(std::move(keyPath)), valueName_(std::move(valueName)),
      firstMadeKey_(FirstMissingKey(keyPath_)) {
    OpenKey key(keyPath_);
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), valueName_.c_str(), nullptr, &savedType_, nullptr, &size) !=
        ERROR_SUCCESS)
        return;
    savedData_.resize(size);
    hadValue_ = RegQueryValueExA(key.get(), valueName_.c_str(), nullptr, &savedType_,
                                 savedData_.data(), &size) == ERROR_SUCCESS;
}

RegistryValueGuard::~RegistryValueGuard() {
    try {
        Restore();
    } catch (const std::exception &) {
        // Nothing more can be done here; the prefix is the test run's own.
    }
}

void RegistryValueGuard::Restore() {
    if (!firstMadeKey_.empty()) {
        // Innermost first: a key with subkeys cannot be deleted.
        std::string path = keyPath_;
        while (path.size() >= firstMadeKey_.size()) {
            RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
            size_t lastSeparator = path.rfind('\\');
            if (lastSeparator == std::string::npos)
                break;
            path.resize(lastSeparator);
        }
        return;
    }
    if (hadValue_)
        Set(savedType_, savedData_.data(), static_cast<DWORD>(savedData_.size()));
    else
        Remove();
}

void RegistryValueGuard::SetNumber(DWORD number) {
    Set(REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
}

void RegistryValueGuard::SetText(const std::string &text, DWORD type) {
    Set(type, reinterpret_cast<const BYTE *>(text.c_str()), static_cast<DWORD>(text.size() + 1));
}

void RegistryValueGuard::SetBinary(const std::vector<BYTE> &bytes) {
    Set(REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void RegistryValueGuard::Remove() {
    OpenKey key(keyPath_);
    RegDeleteValueA(key.get(), valueName_.c_str());
}

void RegistryValueGuard::Set(DWORD type, const BYTE *data, DWORD size) {
    OpenKey key(keyPath_);
    if (RegSetValueExA(key.get(), valueName_.c_str(), 0, type, data, size) != ERROR_SUCCESS)
        throw std::runtime_error("cannot set registry value " + valueName_);
}
