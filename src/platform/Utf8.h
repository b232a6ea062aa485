#pragma once

#include <cstddef>
#include <string_view>

namespace zeb {

// Length in bytes of the UTF-8 sequence starting at s[i], or 0 when it is
// not a well-formed sequence (overlongs, surrogates and cut sequences are not).
size_t Utf8SequenceLength(std::string_view s, size_t i);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Characters for counting and cutting text that may not be UTF-8: a byte
// that starts no well-formed sequence counts as one character, so text in a
// single-byte code page counts byte by byte.
size_t Utf8CharacterLength(std::string_view s, size_t i);
size_t Utf8CharacterCount(std::string_view s);
// The byte length of the first `characters` characters (all of s when it
// has fewer).
size_t Utf8PrefixBytes(std::string_view s, size_t characters);

} // namespace zeb
