// Changes to the test process's own user registry that are undone afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One value of a key under HKEY_CURRENT_USER: saved at construction, put
// back (or removed, with the keys that had to be made for it) at the end.
class RegistryValueGuard {
public:
    RegistryValueGuard(std::string keyPath, std::string valueName);
    ~RegistryValueGuard();
    RegistryValueGuard(const RegistryValueGuard &) = delete;
    RegistryValueGuard &operator=(const RegistryValueGuard &) = delete;

    void SetNumber(DWORD number);
    void SetText(const std::string &text, DWORD type = REG_SZ);
    void SetBinary(const std::vector<BYTE> &bytes);
    void Remove();

private:
    void Restore();
    void Set(DWORD type, const BYTE *data, DWORD size);

    std::string keyPath_;
    std::string valueName_;
    std::string firstMadeKey_; // the outermost key we made, or empty
    bool hadValue_ = false;
    DWORD savedType_ = 0;
    std::vector<BYTE> savedData_;
};
