// String values: the text form that some Kernel.dll exports take. The eight
// bytes before the first character hold a 32-bit reference count (-1 for a
// constant that is never counted) and the 32-bit length; the characters end
// with a zero byte. A null pointer is the empty text.
#ifndef BRENVALD_STRINGVALUE_H
#define BRENVALD_STRINGVALUE_H

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace brenvald {

inline int32_t &StringValueRefCount(char *text) {
    return reinterpret_cast<int32_t *>(text)[-2];
}

// The length from the header; a damaged negative length reads as empty.
inline int32_t StringValueLength(const char *text) {
    if (!text)
        return 0;
    int32_t length = reinterpret_cast<const int32_t *>(text)[-1];
    return length < 0 ? 0 : length;
}

// An owned string value with reference count 1 (or -1 for a constant), as a
// caller hands it to the library.
class StringValue {
public:
    explicit StringValue(std::string_view text, bool constant = false)
        : block_(new char[8 + text.size() + 1]) {
        int32_t header[2] = {constant ? -1 : 1, static_cast<int32_t>(text.size())};
        std::memcpy(block_.get(), header, sizeof header);
        std::memcpy(block_.get() + 8, text.data(), text.size());
        block_[8 + text.size()] = '\0';
    }

    char *get() const { return block_.get() + 8; }
    int32_t refCount() const { return StringValueRefCount(get()); }
    std::string_view view() const {
        return std::string_view(get(), static_cast<size_t>(StringValueLength(get())));
    }

private:
    std::unique_ptr<char[]> block_;
};

// Holds one reference to a caller's string value for the length of a call,
// as the library must: +1 on entry, -1 on exit, constants left alone.
class StringValueHold {
public:
    explicit StringValueHold(char *text) : text_(text) { adjust(+1); }
    ~StringValueHold() { adjust(-1); }
    StringValueHold(const StringValueHold &) = delete;
    StringValueHold &operator=(const StringValueHold &) = delete;

    std::string_view view() const {
        return text_ ? std::string_view(text_, static_cast<size_t>(StringValueLength(text_)))
                     : std::string_view();
    }
    std::string str() const { return std::string(view()); }

private:
    void adjust(int delta) {
        if (text_ && StringValueRefCount(text_) != -1)
            StringValueRefCount(text_) += delta;
    }
    char *text_;
};

} // namespace brenvald

#endif
