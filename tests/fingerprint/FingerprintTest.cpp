// GetSize and GetFileMd5Hash: the size text, the fingerprint text, and what
// files that cannot be read or opened exclusively give.
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include "Fingerprint.h"
#include "Md5.h"
#include "RandomBytes.h"
#include "SparseFile.h"
#include "TempDir.h"


#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <regex>

using brenvald::StringValue;
using testsupport::TempDir;

namespace {

using testsupport::RandomBytes;

const char kEmptyDigest[] = "d41d8cd98f00b204e9800998ecf8427e";

std::optional<std::string> Fingerprint(const std::string &path) {
    StringValue value(path);
    const char *text = GetFileMd5Hash(value.get());
    if (!text)
        return std::nullopt;
    return std::string(text);
}

std::string DigestText(const std::string &content) {
    kernel::Md5Digest digest = kernel::Md5Of(content.data(), content.size());
    return kernel::LowerHexText(digest.data(), digest.size());
}

HANDLE Hold(const std::string &path, DWORD access, DWORD share) {
    return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

} // namespace

TEST(Fingerprint, EmptyAndAbcFiles) {
    TempDir dir;
    testsupport::WriteFile(dir.file("empty"), "");
    testsupport::WriteFile(dir.file("abc"), "abc");
    EXPECT_STREQ(GetSize(dir.file("empty").c_str()), "0");
    EXPECT_EQ(Fingerprint(dir.file("empty")), std::string(kEmptyDigest) + ":0");
    EXPECT_STREQ(GetSize(dir.file("abc").c_str()), "3");
    EXPECT_EQ(Fingerprint(dir.file("abc")), "900150983cd24fb0d6963f7d28e17f72:3");
}

TEST(Fingerprint, WholeContentAcrossReadBlocks) {
    TempDir dir;
    for (size_t size : {4095u, 4096u, 4097u, 262143u, 262144u, 262145u, 1048579u}) {
        std::string content = RandomBytes(size, static_cast<unsigned>(size));
        std::string path = dir.file("file" + std::to_string(size));
        testsupport::WriteFile(path, content);
        EXPECT_STREQ(GetSize(path.c_str()), std::to_string(size).c_str());
        EXPECT_EQ(Fingerprint(path), DigestText(content) + ":" + std::to_string(size));
    }
}

TEST(Fingerprint, MissingFileFolderAndNull) {
    TempDir dir;
    EXPECT_STREQ(GetSize(dir.file("missing").c_str()), "-1");
    EXPECT_EQ(Fingerprint(dir.file("missing")), std::nullopt);
    std::string folder = dir.path().substr(0, dir.path().size() - 1);
    EXPECT_STREQ(GetSize(folder.c_str()), "-1");
    EXPECT_EQ(Fingerprint(folder), std::nullopt);
    EXPECT_STREQ(GetSize(nullptr), "-1");
    EXPECT_EQ(GetFileMd5Hash(nullptr), nullptr);
}

TEST(Fingerprint, FileHeldOpenWithSharingHasDigestAndMinusOne) {
    TempDir dir;
    std::string path = dir.file("held");
    testsupport::WriteFile(path, "abc");
    HANDLE held = Hold(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(GetSize(path.c_str()), "-1");
    EXPECT_EQ(Fingerprint(path), "900150983cd24fb0d6963f7d28e17f72:-1");
    CloseHandle(held);
    EXPECT_EQ(Fingerprint(path), "900150983cd24fb0d6963f7d28e17f72:3");
}

TEST(Fingerprint, FileHeldWithoutReadSharingHasNone) {
    TempDir dir;
    std::string path = dir.file("locked");
    testsupport::WriteFile(path, "abc");
    HANDLE held = Hold(path, GENERIC_READ, 0);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Fingerprint(path), std::nullopt);
    EXPECT_STREQ(GetSize(path.c_str()), "-1");
    CloseHandle(held);
}

TEST(Fingerprint, ThreeGibSizeTextIsNegative) {
    TempDir dir;
    std::string path = dir.file("three.gib");
    testsupport::WriteSparseFile(path, 3ull << 30);
    EXPECT_STREQ(GetSize(path.c_str()), "-1073741824");
}

// Past 4 GiB the size text wraps (stored fingerprints depend on that form),
// but the digest still covers every byte, the last three included.
TEST(Fingerprint, BeyondFourGibDigestCoversEverything) {
    TempDir dir;
    std::string path = dir.file("four.gib");
    const uint64_t zeros = 4ull << 30;
    testsupport::WriteSparseFile(path, zeros + 3, {{zeros, "abc"}});
    kernel::Md5 md5;
    std::string block(1 << 20, '\0');
    for (uint64_t done = 0; done < zeros; done += block.size())
        md5.Update(block.data(), block.size());
    md5.Update("abc", 3);
    kernel::Md5Digest digest = md5.Finish();
    EXPECT_STREQ(GetSize(path.c_str()), "3");
    EXPECT_EQ(Fingerprint(path), kernel::LowerHexText(digest.data(), digest.size()) + ":3");
}

TEST(Fingerprint, TextIsLowerCaseDigitsColonSize) {
    TempDir dir;
    const std::regex form("[0-9a-f]{32}:[0-9]+");
    for (unsigned seed = 0; seed < 40; ++seed) {
        std::string path = dir.file("random" + std::to_string(seed));
        testsupport::WriteFile(path, RandomBytes(seed * 37, seed));
        std::optional<std::string> text = Fingerprint(path);
        ASSERT_TRUE(text.has_value());
        EXPECT_TRUE(std::regex_match(*text, form)) << *text;
    }
}

TEST(Fingerprint, ReferenceCountsAreKept) {
    TempDir dir;
    testsupport::WriteFile(dir.file("abc"), "abc");
    StringValue counted(dir.file("abc"));
    StringValue constant(dir.file("abc"), true);
    ASSERT_NE(GetFileMd5Hash(counted.get()), nullptr);
    ASSERT_NE(GetFileMd5Hash(constant.get()), nullptr);
    EXPECT_EQ(counted.refCount(), 1);
    EXPECT_EQ(constant.refCount(), -1);
    StringValue missing(dir.file("missing"));
    EXPECT_EQ(GetFileMd5Hash(missing.get()), nullptr);
    EXPECT_EQ(missing.refCount(), 1);
}

namespace {

// The size texts that a fingerprint can end with are read back to the same
// size, and no other text is taken for one: a signature is read as naming a
// size only when some file's fingerprint could equal it.
TEST(Fingerprint, SizeTextsReadBackExactlyAndNothingElse) {
    for (uint32_t size : {0u, 1u, 9u, 10u, 300u, 2147483647u, 2147483648u, 4294967295u, 4294967294u, 1000000000u})
        EXPECT_EQ(kernel::ParseSizeText(kernel::SizeText(size)), std::optional<uint32_t>(size)) << size;
    for (const char *text : {"", "-", "+5", "05", "-0", "00", " 5", "5 ", "2147483648", "-2147483649",
                             "4294967295", "12345678901", "1e3", "0x10", "--1"})
        EXPECT_EQ(kernel::ParseSizeText(text), std::nullopt) << text;
    const std::string digest = "0123456789abcdefABCDEF0123456789";
    struct Case {
        std::string Signature;
        std::optional<uint32_t> Size;
    } cases[] = {
        {digest + ":100", 100u},
        {digest + ":-1", 4294967295u},
        {digest + ":0", 0u},
        {digest.substr(1) + ":100", std::nullopt},
        {digest + "0:100", std::nullopt},
        {"g" + digest.substr(1) + ":100", std::nullopt},
        {digest + ":", std::nullopt},
        {digest + ":0100", std::nullopt},
        {digest + "::100", std::nullopt},
        {digest, std::nullopt},
        {"", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(kernel::FingerprintSignatureSize(c.Signature), c.Size) << c.Signature;
}

} // namespace
