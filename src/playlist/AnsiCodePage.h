#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zeb {

// The single-byte code page in which text from Windows machines (ID3v1 tag
// fields, playlist names) is taken when it is not UTF-8: the code page of
// the interface language, Windows-1252 for Danish and Windows-1251 for
// Russian. Process-wide, safe to read from any thread; Windows-1252 until
// the language is set.
void SetAnsiCodePageForLanguage(int language);

// Bytes in the current code page as UTF-8. Bytes the code page leaves
// undefined are taken as Latin-1.
std::string AnsiToUtf8(std::string_view bytes);

// UTF-8 text in the current code page, one byte per character; nothing when
// a character has no place in it or the text is not UTF-8.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

} // namespace zeb
