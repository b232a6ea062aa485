#include "shell/Mp3InfoView.h"

#include "engine/InputStream.h"
#include "platform/TextUtil.h"
#include "platform/Utf8.h"
#include "playlist/Genres.h"
#include "playlist/Id3v1Tag.h"

#include <algorithm>
#include <optional>

namespace zeb {

namespace {

constexpr size_t kShownNameChars = 30;

// The text cut to its first `chars` characters.
std::string CutCharacters(std::string_view text, size_t chars) {
    return std::string(text.substr(0, Utf8PrefixBytes(text, chars)));
}

// The path without an ".mp3" ending (the three characters after the last
// '.', any letter case); other paths whole.
std::string WithoutMp3Extension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && EqualsIgnoreCase(path.substr(dot + 1, 3), "mp3"))
        return path.substr(0, dot);
    return path;
}

std::string AfterLast(const std::string& text, char separator) {
    const size_t at = text.find_last_of(separator);
    return at == std::string::npos ? text : text.substr(at + 1);
}

} // namespace

bool Mp3InfoView::Refresh(const std::string& currentPath, std::string_view streamInfo) {
    TakeStreamInfo(streamInfo);
    if (currentPath == shownPath_)
        return false;
    shownPath_ = currentPath;
    ReadEntry(currentPath);
    return true;
}

void Mp3InfoView::TakeStreamInfo(std::string_view streamInfo) {
    std::string* parts[] = {&fields_.bitrate, &fields_.frequency, &fields_.type};
    for (std::string* part : parts)
        part->clear();
    size_t part = 0;
    for (char c : streamInfo) {
        if (c == '@' && part + 1 < std::size(parts))
            ++part;
        else
            parts[part]->push_back(c);
    }
}

void Mp3InfoView::ReadEntry(const std::string& path) {
    const std::string bitrate = fields_.bitrate;
    const std::string frequency = fields_.frequency;
    const std::string type = fields_.type;
    fields_ = Mp3InfoFields{};
    fields_.fileName = path;
    fields_.bitrate = bitrate;
    fields_.frequency = frequency;
    fields_.type = type;

    const std::string name = WithoutMp3Extension(path);
    if (IsUrlName(name)) {
        fields_.title = CutCharacters(AfterLast(name, '/'), kShownNameChars);
        return;
    }
    std::string shown = CutCharacters(AfterLast(name, '/'), kShownNameChars);
    std::replace(shown.begin(), shown.end(), '_', ' ');
    const std::optional<Id3v1Tag> tag = ReadId3v1(path);
    if (!tag) {
        fields_.title = shown;
        return;
    }
    fields_.title = Id3v1TextToUtf8(tag->title);
    fields_.artist = Id3v1TextToUtf8(tag->artist);
    fields_.album = Id3v1TextToUtf8(tag->album);
    fields_.year = Id3v1TextToUtf8(tag->year);
    fields_.comment = Id3v1TextToUtf8(tag->comment);
    fields_.genre = std::string(GenreName(tag->genre));
}

} // namespace zeb
