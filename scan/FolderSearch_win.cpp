// The Win32 side of the folder search: the wide directory search, the ANSI
// spelling test, short names and final paths.
#include "FolderPaths.h"
#include "FolderSearch.h"

#include "TextConversion.h"
#include "WinHandle.h"

#include <windows.h>

#include <vector>

namespace scanner {

std::string ShortAnsiPath(const std::wstring &widePath) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetShortPathNameW(widePath.c_str(), buffer.data(),
                                               static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return brenvald::ExactAnsiFromWide(PlainPathForm(std::wstring(buffer.data(), length)));
        buffer.resize(length + 1);
    }
}

namespace {

// Where a folder really lies, links and mount points followed; empty when it
// cannot be opened.
std::wstring FinalFolderPath(const std::wstring &widePath) {
    brenvald::FileHandle folder(CreateFileW(widePath.c_str(), 0,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr));
    if (!folder.valid())
        return {};
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(folder.get(), buffer.data(),
                                                       static_cast<DWORD>(buffer.size()), 0);
        if (length == 0)
            return {};
        if (length < buffer.size())
            return WithFinalBackslash(std::wstring(buffer.data(), length));
        buffer.resize(length + 1);
    }
}

std::wstring FullWidePath(const std::wstring &path) {
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    full.resize(written < length ? written : 0);
    return full.empty() ? path : full;
}

// A path given in its short form (a name with "~") by its real names, so
// that the user sees the folder they named; any other stays as given.
std::wstring ShownRootPath(const std::wstring &given) {
    if (given.find(L'~') == std::wstring::npos)
        return given;
    const DWORD length = GetLongPathNameW(given.c_str(), nullptr, 0);
    if (length == 0)
        return given;
    std::wstring longPath(length, L'\0');
    const DWORD written = GetLongPathNameW(given.c_str(), &longPath[0], length);
    if (written == 0 || written >= length)
        return given;
    longPath.resize(written);
    return given.back() == L'\\' ? WithFinalBackslash(longPath) : longPath;
}

FolderEntry EntryFromFindData(const WIN32_FIND_DATAW &data) {
    FolderEntry entry;
    entry.WideName = data.cFileName;
    entry.IsFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.IsLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (IsPlainAsciiName(entry.WideName)) {
        entry.Name.assign(entry.WideName.begin(), entry.WideName.end());
        entry.AnsiName = entry.Name;
    } else {
        entry.Name = brenvald::Utf8FromWide(entry.WideName);
        entry.AnsiName = ExactAnsiName(entry.WideName);
    }
    return entry;
}

bool IsDotEntry(const wchar_t *name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

} // namespace

std::string ExactAnsiName(const std::wstring &name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ')
        return {};
    return brenvald::ExactAnsiFromWide(name);
}

TWalkFolder WalkRootFolder(const std::string &ansiRoot) {
    TWalkFolder root;
    const std::wstring given = brenvald::WideFromAnsi(ansiRoot);
    root.Wide = WithFinalBackslash(LongPathForm(FullWidePath(given)));
    root.Shown = brenvald::Utf8FromWide(ShownRootPath(given));
    root.Ansi = ansiRoot;
    root.ShortFloor = ShortPathFloor(PlainPathForm(root.Wide));
    if (root.Ansi.size() > AnsiPathLimit) {
        root.Ansi = root.ShortFloor > AnsiPathLimit ? std::string() : ShortAnsiPath(root.Wide);
        if (root.Ansi.size() > AnsiPathLimit)
            root.Ansi.clear();
        if (root.Ansi.empty())
            root.Trouble = AnsiPathTrouble::TooLong;
    }
    root.Resolved = FinalFolderPath(root.Wide);
    if (root.Resolved.empty())
        root.Resolved = root.Wide;
    return root;
}

TFolderListing::TFolderListing(const std::wstring &wideFolder)
    : search_(FindFirstFileExW((wideFolder + L"*").c_str(), FindExInfoBasic, &data_,
                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH)),
      pending_(search_.valid()) {}

bool TFolderListing::Next(FolderEntry &entry) {
    while (pending_) {
        const bool dotEntry = IsDotEntry(data_.cFileName);
        if (!dotEntry)
            entry = EntryFromFindData(data_);
        pending_ = FindNextFileW(search_.get(), &data_) != FALSE;
        if (!dotEntry)
            return true;
    }
    return false;
}

TWalkFolder EnterSubFolder(const TWalkFolder &parent, const FolderEntry &entry) {
    TWalkFolder child;
    child.Wide = parent.Wide + entry.WideName + L"\\";
    child.Shown = parent.Shown + entry.Name + "\\";
    child.ShortFloor = parent.ShortFloor + ShortNameFloor(entry.WideName) + 1;
    if (parent.Ansi.empty()) {
        // A short form only grows longer below a folder that has none.
        child.Trouble = parent.Trouble;
    } else {
        child.Ansi = JoinWithinAnsiLimit(parent.Ansi, entry.AnsiName, "\\");
        if (child.Ansi.empty()) {
            // Where even the shortest short form is too long, none is asked for.
            const bool mayFit = child.ShortFloor <= AnsiPathLimit;
            const std::string shortForm = mayFit ? ShortAnsiPath(child.Wide) : std::string();
            if (!shortForm.empty() && shortForm.size() < AnsiPathLimit)
                child.Ansi = shortForm.back() == '\\' ? shortForm : shortForm + '\\';
            else
                child.Trouble = mayFit && entry.AnsiName.empty() && shortForm.empty()
                                    ? AnsiPathTrouble::Unspellable
                                    : AnsiPathTrouble::TooLong;
        }
    }
    // Only links are opened for where they lead: opening every folder would
    // cost a system call each, and a plain sub-folder lies where its name says.
    if (entry.IsLink)
        child.Resolved = FinalFolderPath(child.Wide);
    else
        child.Resolved = parent.Resolved + entry.WideName + L"\\";
    return child;
}

std::string AnsiFilePath(const TWalkFolder &folder, const FolderEntry &entry,
                         AnsiPathTrouble &trouble) {
    trouble = AnsiPathTrouble::None;
    if (folder.Ansi.empty()) {
        trouble = folder.Trouble;
        return {};
    }
    const std::string joined = JoinWithinAnsiLimit(folder.Ansi, entry.AnsiName, "");
    if (!joined.empty())
        return joined;
    // Where even the shortest short form is too long, none is asked for.
    const bool mayFit = folder.ShortFloor + ShortNameFloor(entry.WideName) <= AnsiPathLimit;
    const std::string shortForm = mayFit ? ShortAnsiPath(folder.Wide + entry.WideName) : std::string();
    if (!shortForm.empty() && shortForm.size() <= AnsiPathLimit)
        return shortForm;
    trouble = mayFit && entry.AnsiName.empty() && shortForm.empty() ? AnsiPathTrouble::Unspellable
                                                                    : AnsiPathTrouble::TooLong;
    return {};
}

void ForEachFolderEntry(const std::string &folder,
                        const std::function<bool(const FolderEntry &)> &visit) {
    TWalkFolder walkFolder;
    walkFolder.Wide =
        WithFinalBackslash(LongPathForm(FullWidePath(brenvald::WideFromAnsi(folder))));
    walkFolder.Ansi = folder;
    walkFolder.ShortFloor = ShortPathFloor(PlainPathForm(walkFolder.Wide));
    TFolderListing listing(walkFolder.Wide);
    FolderEntry entry;
    while (listing.Next(entry)) {
        if (entry.AnsiName.empty() || folder.size() + entry.AnsiName.size() > AnsiPathLimit) {
            // Reached by its short name, or not at all.
            AnsiPathTrouble trouble;
            const std::string shortPath = AnsiFilePath(walkFolder, entry, trouble);
            const size_t lastBackslash = shortPath.rfind('\\');
            if (shortPath.empty() || lastBackslash == std::string::npos)
                continue;
            entry.AnsiName = shortPath.substr(lastBackslash + 1);
        }
        if (!visit(entry))
            return;
    }
}

bool TEnteredFolders::Enter(const std::string &ansiFolder) {
    const std::wstring resolved = FinalFolderPath(brenvald::WideFromAnsi(ansiFolder));
    return resolved.empty() || entered_.insert(resolved).second;
}

} // namespace scanner
