#include "platform/Utf8.h"

namespace zeb {

size_t Utf8SequenceLength(std::string_view s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

bool IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

size_t Utf8CharacterLength(std::string_view s, size_t i) {
    const size_t length = Utf8SequenceLength(s, i);
    return length == 0 ? 1 : length;
}

size_t Utf8CharacterCount(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); i += Utf8CharacterLength(s, i))
        ++n;
    return n;
}

size_t Utf8PrefixBytes(std::string_view s, size_t characters) {
    size_t i = 0;
    for (size_t n = 0; n < characters && i < s.size(); ++n)
        i += Utf8CharacterLength(s, i);
    return i;
}

} // namespace zeb
