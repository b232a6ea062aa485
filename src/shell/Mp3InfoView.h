// What the MP3 information window shows: the current entry's path, the
// stream values of the status refresh and the fields of the entry's tag.
#pragma once

#include <string>
#include <string_view>

namespace zeb {

// The window's fields as UTF-8 text.
struct Mp3InfoFields {
    std::string fileName;
    std::string bitrate;
    std::string frequency;
    std::string type;
    std::string title;
    std::string artist;
    std::string album;
    std::string year;
    std::string comment;
    std::string genre;

    bool operator==(const Mp3InfoFields&) const = default;
};

// The window's state without the window: the path it last showed, or the
// mark "*" that makes the next refresh read the file again.
class Mp3InfoView {
public:
    // Takes the current entry's path and the stream info string
    // ("bitrate@frequency@mode"). The stream values always follow; the tag
    // fields are read again only when the path differs from the shown one.
    // True when the tag fields were read again.
    bool Refresh(const std::string& currentPath, std::string_view streamInfo);
    // The next refresh reads the file again, whatever its path.
    void MarkForReread() { shownPath_ = kRereadMark; }
    const std::string& ShownPath() const { return shownPath_; }
    const Mp3InfoFields& Fields() const { return fields_; }

private:
    static constexpr const char* kRereadMark = "*";
    void TakeStreamInfo(std::string_view streamInfo);
    void ReadEntry(const std::string& path);

    std::string shownPath_ = kRereadMark;
    Mp3InfoFields fields_;
};

} // namespace zeb
