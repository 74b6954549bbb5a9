// The display form of paths: drive part, "\..\", file name.
#include <brenvald/Kernel.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct ShortNameCase {
    const char *path;
    const char *shortName;
};

const ShortNameCase kCases[] = {
    {"C:\\one\\two\\three\\run.exe", "C:\\..\\run.exe"},
    {"\\\\server\\share\\dir\\sub\\file.txt", "\\\\server\\share\\..\\file.txt"},
    {"\\\\server\\share\\file.txt", "\\\\server\\share\\..\\file.txt"},
    {"run.exe", "\\..\\run.exe"},
    {"C:\\one\\two\\", "C:\\..\\"},
    {"C:run.exe", "C:\\..\\run.exe"},
    {"C:", "C:\\..\\"},
    {"dir\\file", "\\..\\file"},
    {"\\dir\\file", "\\..\\file"},
    // A network path without a backslash after the share is all drive part.
    {"\\\\server\\share", "\\\\server\\share\\..\\share"},
    {"\\\\server", "\\\\server\\..\\server"},
    {"", "\\..\\"},
};

TEST(PathGetShortName, DrivePartDotsAndFileName) {
    for (const ShortNameCase &test : kCases)
        EXPECT_STREQ(PathGetShortName(test.path), test.shortName) << test.path;
}

TEST(PathGetShortName, NullIsTheEmptyPath) { EXPECT_STREQ(PathGetShortName(nullptr), "\\..\\"); }

} // namespace
