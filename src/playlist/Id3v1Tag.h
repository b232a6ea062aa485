#pragma once

#include "platform/Utf8.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zeb {

// The 128-byte ID3v1 block at the end of an MP3 file. Read fields hold the
// bytes as stored (cut at the first zero byte, trailing white space removed);
// they are not necessarily UTF-8. All 30 comment bytes belong to the comment.
struct Id3v1Tag {
    std::string title;   // 30 bytes
    std::string artist;  // 30 bytes
    std::string album;   // 30 bytes
    std::string year;    // 4 bytes
    std::string comment; // 30 bytes
    int genre = 255;     // index into the genre list when below 148, else none

    bool operator==(const Id3v1Tag&) const = default;
};

constexpr int kId3v1Size = 128;
constexpr size_t kId3v1TextField = 30;
constexpr size_t kId3v1YearField = 4;

// Decodes a 128-byte block; nothing when it does not start with "TAG".
std::optional<Id3v1Tag> ParseId3v1(std::string_view block);
// The block as written: "TAG", fields padded with spaces (longer text cut at
// a UTF-8 character boundary), genre 255 unless it is a listed index.
std::string FormatId3v1(const Id3v1Tag& tag);

// The file's tag: present when the file is longer than 128 bytes and its last
// 128 bytes start with "TAG". Nothing when absent or unreadable.
std::optional<Id3v1Tag> ReadId3v1(const std::string& path);

// Writes the tag over an existing one or appends a new one. Text fields are
// taken as shown (UTF-8): a field equal to what the existing tag shows keeps
// its old bytes exactly; any other is stored in the interface language's
// code page when every character fits, else as UTF-8. Fields that are not
// UTF-8 are stored as given. The file's
// permission bits are kept: a file without the owner's write bit gets it for
// the write only, so a read-only file takes the tag and stays read-only.
// False when the file could not be written (nothing is reported to the user);
// a write that fails part way is undone, so the file keeps its length and its
// old tag.
bool WriteId3v1(const std::string& path, const Id3v1Tag& tag);

// Cuts the last 128 bytes when they are a tag, with the same permission
// handling as WriteId3v1. True when a tag was removed.
bool RemoveId3v1(const std::string& path);

// A field as display text: leading and trailing white space removed, shown as
// UTF-8 (see Id3v1TextToUtf8).
std::string Id3v1DisplayText(std::string_view field);

// Field bytes as UTF-8: kept as they are when they are valid UTF-8, else taken
// in the interface language's code page (see AnsiCodePage.h) and converted.
std::string Id3v1TextToUtf8(std::string_view bytes);

// UTF-8 text cut to at most maxBytes without splitting a character.
std::string CutUtf8(std::string_view text, size_t maxBytes);

} // namespace zeb
