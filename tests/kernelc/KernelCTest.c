/* A C caller of the engine: built with the C compiler against the public
 * headers only, it calls every raising export through KernelC.dll with inputs
 * that fail and checks that each call returns the failure with the engine's
 * message and that the program goes on; with inputs that succeed it checks
 * that the answers equal those of the plain exports. Exit code 0 when every
 * check held. */
#include <brenvald/KernelC.h>

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kPathRoom = MAX_PATH * 2, kMessageRoom = 1024 };

/* The fixed layout of a plain base and of the table (DefinitionTable.h). */
enum {
    kHeaderSize = 213,
    kRecordCountOffset = 202,
    kRecordSize = 314,
    kSignatureOffset = 101,
    kBaseKindOffset = 302,
    kSlotCount = 1000001
};

static int failures;

static void Check(int holds, const char *what) {
    if (!holds) {
        ++failures;
        printf("FAILED: %s\n", what);
    }
}

static void CheckText(const char *actual, const char *expected, const char *what) {
    if (!actual || strcmp(actual, expected) != 0) {
        ++failures;
        printf("FAILED: %s\n  expected: %s\n  actual:   %s\n", what, expected,
               actual ? actual : "(null)");
    }
}

/* The system's text for an error code, as the engine puts it in a message:
 * trailing line ends and spaces removed. */
static void SystemText(DWORD code, char *text, size_t room) {
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  NULL, code, 0, text, (DWORD)room, NULL);
    while (length > 0 && strchr("\r\n ", text[length - 1]))
        --length;
    text[length] = '\0';
}

static void FileMessage(const char *verb, const char *path, DWORD code, char *message) {
    char systemText[kMessageRoom];
    SystemText(code, systemText, sizeof systemText);
    snprintf(message, kMessageRoom, "Cannot %s file \"%s\". %s", verb, path, systemText);
}

/* A string value for the plain exports: reference count, length, text. */
static char *NewStringValue(const char *text) {
    size_t length = strlen(text);
    char *block = malloc(8 + length + 1);
    int header[2] = {1, (int)length};
    memcpy(block, header, sizeof header);
    memcpy(block + 8, text, length + 1);
    return block + 8;
}

static void FreeStringValue(char *value) { free(value - 8); }

static int WriteBytes(const char *path, const void *bytes, size_t length) {
    FILE *file = fopen(path, "wb");
    if (!file)
        return 0;
    size_t written = fwrite(bytes, 1, length, file);
    return fclose(file) == 0 && written == length;
}

/* The file's bytes in a new block (NULL when it cannot be read). */
static unsigned char *ReadBytes(const char *path, long *length) {
    FILE *file = fopen(path, "rb");
    if (!file)
        return NULL;
    fseek(file, 0, SEEK_END);
    *length = ftell(file);
    fseek(file, 0, SEEK_SET);
    unsigned char *bytes = malloc(*length > 0 ? (size_t)*length : 1);
    size_t read = fread(bytes, 1, (size_t)*length, file);
    fclose(file);
    if (read != (size_t)*length) {
        free(bytes);
        return NULL;
    }
    return bytes;
}

static int SameFiles(const char *first, const char *second) {
    long firstLength = 0, secondLength = 0;
    unsigned char *firstBytes = ReadBytes(first, &firstLength);
    unsigned char *secondBytes = ReadBytes(second, &secondLength);
    int same = firstBytes && secondBytes && firstLength == secondLength &&
               memcmp(firstBytes, secondBytes, (size_t)firstLength) == 0;
    free(firstBytes);
    free(secondBytes);
    return same;
}

static void CountedText(unsigned char *field, const char *text) {
    field[0] = (unsigned char)strlen(text);
    memcpy(field + 1, text, strlen(text));
}

/* A plain base of one kind "0" record. */
static int WritePlainBase(const char *path) {
    unsigned char base[kHeaderSize + kRecordSize];
    memset(base, 0, sizeof base);
    CountedText(base + kRecordCountOffset, "0");
    CountedText(base + kHeaderSize, "C.Caller.Sample");
    CountedText(base + kHeaderSize + kSignatureOffset, "0123456789abcdef0123456789abcdef:12");
    base[kHeaderSize + kBaseKindOffset] = '0';
    return WriteBytes(path, base, sizeof base);
}

static char folder[kPathRoom];

static void InFolder(char *path, const char *name) { snprintf(path, kPathRoom, "%s%s", folder, name); }

static int MakeFolder(void) {
    char temp[kPathRoom];
    if (!GetTempPathA(sizeof temp, temp))
        return 0;
    snprintf(folder, sizeof folder, "%sbvx-kernelc-%lu\\", temp, (unsigned long)GetCurrentProcessId());
    return CreateDirectoryA(folder, NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

/* Removes the test's files and its folder. */
static void RemoveFolder(void) {
    char pattern[kPathRoom], path[kPathRoom];
    WIN32_FIND_DATAA found;
    InFolder(pattern, "*");
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            InFolder(path, found.cFileName);
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(path);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder);
}

/* --- Failures: each call returns 0 with the engine's message, and the
 * program goes on to the next. */

typedef KernelBool(__stdcall *FileCall)(const char *first, const char *second);

static KernelBool __stdcall ToTable(const char *path, const char *unused) {
    (void)unused;
    void *table = calloc(1, kHeaderSize);
    memcpy((char *)table + kRecordCountOffset, "\0010", 2);
    KernelBool done = KernelCUnPakBaseToStream(path, &table);
    free(table);
    return done;
}

static void FileFailures(void) {
    char missing[kPathRoom], notContainer[kPathRoom], plain[kPathRoom], lostTarget[kPathRoom];
    char missingOpen[kMessageRoom], lostCreate[kMessageRoom];
    InFolder(missing, "no-such.bvx");
    InFolder(notContainer, "not-a-container.bvx");
    InFolder(plain, "plain.bin");
    InFolder(lostTarget, "no-such-folder\\out.bin");
    Check(WriteBytes(notContainer, "plain text, no bzip2 data", 25), "write the damaged container");
    Check(WritePlainBase(plain), "write the plain base");
    FileMessage("open", missing, ERROR_FILE_NOT_FOUND, missingOpen);
    FileMessage("create", lostTarget, ERROR_PATH_NOT_FOUND, lostCreate);

    struct {
        const char *what;
        FileCall call;
        const char *first;
        const char *second;
        const char *message;
    } cases[] = {
        {"UnPakBase of a missing file", KernelCUnPakBase, missing, plain, missingOpen},
        {"UnPakBase of a damaged container", KernelCUnPakBase, notContainer, plain, "error -5"},
        {"PackBase of a missing file", KernelCPackBase, missing, plain, missingOpen},
        {"PackBase to an unwritable target", KernelCPackBase, plain, lostTarget, lostCreate},
        {"UnPakBaseToStream of a missing file", ToTable, missing, NULL, missingOpen},
        {"UnPakBaseToStream of a damaged container", ToTable, notContainer, NULL, "error -5"},
    };
    for (size_t index = 0; index < sizeof cases / sizeof cases[0]; ++index) {
        Check(cases[index].call(cases[index].first, cases[index].second) == 0, cases[index].what);
        CheckText(KernelCLastError(), cases[index].message, cases[index].what);
    }

    /* The unpacking into an unwritable target needs a good container first. */
    char container[kPathRoom];
    InFolder(container, "good.bvx");
    Check(KernelCPackBase(plain, container) == 1, "PackBase of a plain base");
    CheckText(KernelCLastError(), "", "no message after a success");
    Check(KernelCUnPakBase(container, lostTarget) == 0, "UnPakBase to an unwritable target");
    CheckText(KernelCLastError(), lostCreate, "UnPakBase to an unwritable target");
    Check(GetFileAttributesA(lostTarget) == INVALID_FILE_ATTRIBUTES, "no target written");
}

/* --- Successes: the same bytes and tables as the plain exports. */

static void FileSuccesses(void) {
    char plain[kPathRoom], ours[kPathRoom], theirs[kPathRoom], ourPlain[kPathRoom], theirPlain[kPathRoom];
    InFolder(plain, "plain.bin");
    InFolder(ours, "ours.bvx");
    InFolder(theirs, "theirs.bvx");
    InFolder(ourPlain, "ours.bin");
    InFolder(theirPlain, "theirs.bin");

    Check(KernelCPackBase(plain, ours) == 1, "PackBase through the companion");
    char *source = NewStringValue(plain), *target = NewStringValue(theirs);
    PackBase(source, target);
    FreeStringValue(source);
    FreeStringValue(target);
    Check(SameFiles(ours, theirs), "the companion packs the bytes the plain export packs");

    Check(KernelCUnPakBase(ours, ourPlain) == 1, "UnPakBase through the companion");
    UnPakBase(theirs, theirPlain);
    Check(SameFiles(ourPlain, theirPlain), "both unpack the same content");
    Check(SameFiles(ourPlain, plain), "the content round-trips");

    const size_t tableSize = (size_t)kHeaderSize + (size_t)kRecordSize * kSlotCount;
    void *ourTable = calloc(1, tableSize), *theirTable = calloc(1, tableSize);
    Check(ourTable && theirTable, "two tables");
    if (!ourTable || !theirTable)
        return;
    memcpy((char *)ourTable + kRecordCountOffset, "\0010", 2);
    memcpy((char *)theirTable + kRecordCountOffset, "\0010", 2);
    Check(KernelCUnPakBaseToStream(ours, &ourTable) == 1, "UnPakBaseToStream through the companion");
    char *path = NewStringValue(theirs);
    UnPakBaseToStream(path, &theirTable);
    FreeStringValue(path);
    Check(memcmp(ourTable, theirTable, kHeaderSize + 2 * kRecordSize) == 0,
          "both fill the table alike");
    Check(memcmp((char *)ourTable + kHeaderSize + 1, "C.Caller.Sample", 15) == 0,
          "the record is in slot 0");
    free(ourTable);
    free(theirTable);
}

/* --- The registry exports. */

static const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static const char kExplorerPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

/* Sets (or, with no data, deletes) a value under HKEY_CURRENT_USER. */
static void SetValue(const char *keyPath, const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL)) {
        Check(0, "open a registry key");
        return;
    }
    if (data)
        Check(RegSetValueExA(key, name, 0, type, data, size) == ERROR_SUCCESS, "set a registry value");
    else
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

/* The value's type and bytes, so that the test leaves the user's setting as it found it. */
typedef struct {
    const char *keyPath;
    const char *name;
    DWORD type;
    DWORD size;
    BYTE data[kPathRoom];
    int present;
} SavedValue;

static void SaveValue(SavedValue *saved, const char *keyPath, const char *name) {
    HKEY key;
    saved->keyPath = keyPath;
    saved->name = name;
    saved->size = sizeof saved->data;
    saved->present = RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (saved->present) {
        saved->present = RegQueryValueExA(key, name, NULL, &saved->type, saved->data, &saved->size) ==
                         ERROR_SUCCESS;
        RegCloseKey(key);
    }
}

static void RestoreValue(const SavedValue *saved) {
    SetValue(saved->keyPath, saved->name, saved->type, saved->present ? saved->data : NULL, saved->size);
}

static void RegistryCalls(void) {
    SavedValue programs, noSetFolders;
    SaveValue(&programs, kShellFolders, "Programs");
    SaveValue(&noSetFolders, kExplorerPolicies, "NoSetFolders");
    const DWORD number = 1;
    const BYTE longer[8] = {1};
    const char *path = "unset";
    KernelBool allowed = 7;

    SetValue(kShellFolders, "Programs", REG_DWORD, &number, sizeof number);
    Check(KernelCGetSystemPath(2, &path) == 0, "GetSystemPath of a number value fails");
    CheckText(KernelCLastError(), "Invalid data type for 'Programs'", "GetSystemPath's message");
    Check(path == NULL, "no path after a failure");

    SetValue(kShellFolders, "Programs", REG_SZ, NULL, 0);
    Check(KernelCGetSystemPath(2, &path) == 1, "GetSystemPath of a missing value");
    CheckText(path, GetSystemPath(2), "a missing value gives the plain export's path");
    SetValue(kShellFolders, "Programs", REG_SZ, "C:\\Programs", 12);
    Check(KernelCGetSystemPath(2, &path) == 1, "GetSystemPath of a text value");
    CheckText(path, "C:\\Programs\\", "the folder with its backslash");
    Check(KernelCGetSystemPath(9, &path) == 1 && path == NULL, "no folder for an unknown kind");

    SetValue(kExplorerPolicies, "NoSetFolders", REG_BINARY, longer, sizeof longer);
    Check(KernelCGetRegOptions(2, &allowed) == 0, "GetRegOptions of a long value fails");
    CheckText(KernelCLastError(), "Failed to get data for 'NoSetFolders'", "GetRegOptions' message");
    Check(allowed == 0, "no answer after a failure");
    SetValue(kExplorerPolicies, "NoSetFolders", REG_DWORD, &number, sizeof number);
    Check(KernelCGetRegOptions(2, &allowed) == 1 && allowed == GetRegOptions(2) && allowed == 0,
          "a set policy forbids, as the plain export says");
    SetValue(kExplorerPolicies, "NoSetFolders", REG_DWORD, NULL, 0);
    Check(KernelCGetRegOptions(2, &allowed) == 1 && allowed == 1, "a missing value allows");

    RestoreValue(&programs);
    RestoreValue(&noSetFolders);
}

int main(void) {
    if (!MakeFolder()) {
        printf("FAILED: no temporary folder\n");
        return 1;
    }
    FileFailures();
    FileSuccesses();
    RegistryCalls();
    RemoveFolder();
    printf("%s: %d failed check(s)\n", failures ? "FAILED" : "passed", failures);
    return failures ? 1 : 0;
}
