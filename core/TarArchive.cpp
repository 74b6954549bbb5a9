#include "TarArchive.h"

#include "ImportError.h"

#include <cstdint>

namespace bvxtool {

namespace {

constexpr size_t kNameField = 0, kNameSize = 100;
constexpr size_t kSizeField = 124, kSizeSize = 12;
constexpr size_t kChecksumField = 148, kChecksumSize = 8;
constexpr size_t kTypeField = 156;
constexpr size_t kMagicField = 257;
constexpr size_t kPrefixField = 345, kPrefixSize = 155;

std::string_view Field(std::string_view block, size_t offset, size_t size) {
    return block.substr(offset, size);
}

// A NUL-terminated text field (a field as long as its size has no NUL).
std::string_view FieldText(std::string_view field) {
    return field.substr(0, field.find('\0'));
}

// An octal number field: blanks around octal digits, ended by NUL or blank.
bool ReadOctal(std::string_view field, uint64_t &value) {
    size_t position = 0;
    while (position < field.size() && field[position] == ' ')
        ++position;
    value = 0;
    size_t digits = 0;
    for (; position < field.size() && field[position] >= '0' && field[position] <= '7'; ++position) {
        if (value > (UINT64_MAX >> 3))
            return false;
        value = value * 8 + static_cast<uint64_t>(field[position] - '0');
        ++digits;
    }
    for (; position < field.size(); ++position)
        if (field[position] != ' ' && field[position] != '\0')
            return false;
    return digits > 0;
}

bool IsZeroBlock(std::string_view block) {
    return block.find_first_not_of('\0') == std::string_view::npos;
}

// The sum of the header's bytes with the checksum field read as blanks.
uint64_t HeaderSum(std::string_view block) {
    uint64_t sum = 0;
    for (size_t i = 0; i < kTarBlockSize; ++i) {
        bool inChecksum = i >= kChecksumField && i < kChecksumField + kChecksumSize;
        sum += inChecksum ? static_cast<unsigned char>(' ') : static_cast<unsigned char>(block[i]);
    }
    return sum;
}

[[noreturn]] void Damaged(size_t blockOffset, const std::string &why) {
    throw ImportError("the archive is damaged at byte " + std::to_string(blockOffset) + ": " + why);
}

std::string MemberName(std::string_view block, size_t blockOffset) {
    std::string name(FieldText(Field(block, kNameField, kNameSize)));
    // Only the POSIX form has a name prefix; the GNU form ("ustar  ") keeps
    // other fields there.
    if (Field(block, kMagicField, 6) == std::string_view("ustar\0", 6)) {
        std::string_view prefix = FieldText(Field(block, kPrefixField, kPrefixSize));
        if (!prefix.empty())
            name = std::string(prefix) + "/" + name;
    }
    if (name.empty())
        Damaged(blockOffset, "a member has no name");
    if (name.find_first_of("/\\:") != std::string::npos)
        Damaged(blockOffset, "the member \"" + name + "\" has a path in its name");
    if (name == "." || name == "..")
        Damaged(blockOffset, "a member is named \"" + name + "\"");
    return name;
}

} // namespace

bool StartsAsTarArchive(std::string_view bytes) {
    return bytes.size() >= kTarBlockSize && bytes.substr(kMagicField, 5) == "ustar";
}

std::vector<TarMember> ReadTarArchive(std::string_view archive) {
    std::vector<TarMember> members;
    size_t offset = 0;
    while (offset < archive.size()) {
        if (archive.size() - offset < kTarBlockSize)
            Damaged(offset, "the archive is cut inside a header");
        std::string_view block = archive.substr(offset, kTarBlockSize);
        if (IsZeroBlock(block))
            break;
        uint64_t storedSum = 0;
        if (!ReadOctal(Field(block, kChecksumField, kChecksumSize), storedSum) ||
            storedSum != HeaderSum(block))
            Damaged(offset, "the header's checksum does not match");
        std::string name = MemberName(block, offset);
        char type = block[kTypeField];
        if (type != '0' && type != '\0')
            Damaged(offset, "the member \"" + name + "\" is not a plain file");
        uint64_t size = 0;
        if (!ReadOctal(Field(block, kSizeField, kSizeSize), size))
            Damaged(offset, "the size of \"" + name + "\" is not a number");
        size_t dataOffset = offset + kTarBlockSize;
        if (size > archive.size() - dataOffset)
            Damaged(offset, "the member \"" + name + "\" is larger than the rest of the archive (" +
                                std::to_string(size) + " bytes, " +
                                std::to_string(archive.size() - dataOffset) + " left)");
        members.push_back({std::move(name), archive.substr(dataOffset, static_cast<size_t>(size))});
        // The data is padded to whole blocks; the last padding may be cut.
        uint64_t padded = (size + kTarBlockSize - 1) / kTarBlockSize * kTarBlockSize;
        offset = padded > archive.size() - dataOffset ? archive.size()
                                                      : dataOffset + static_cast<size_t>(padded);
    }
    return members;
}

} // namespace bvxtool
