#include "playlist/Id3v1Tag.h"

#include "platform/RegularFile.h"
#include "platform/TextUtil.h"
#include "playlist/AnsiCodePage.h"
#include "playlist/Genres.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

constexpr size_t kTitleOffset = 3;
constexpr size_t kArtistOffset = 33;
constexpr size_t kAlbumOffset = 63;
constexpr size_t kYearOffset = 93;
constexpr size_t kCommentOffset = 97;
constexpr size_t kGenreOffset = 127;

struct TextField {
    std::string Id3v1Tag::*member;
    size_t offset;
    size_t size;
};
constexpr TextField kTextFields[] = {{&Id3v1Tag::title, kTitleOffset, kId3v1TextField},
                                     {&Id3v1Tag::artist, kArtistOffset, kId3v1TextField},
                                     {&Id3v1Tag::album, kAlbumOffset, kId3v1TextField},
                                     {&Id3v1Tag::year, kYearOffset, kId3v1YearField},
                                     {&Id3v1Tag::comment, kCommentOffset, kId3v1TextField}};

bool HasNonAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

// The bytes to store for a field's text: the code page when every character
// fits (other players show that, and a field holds twice the letters of
// UTF-8 Cyrillic), else UTF-8. Bytes that are not UTF-8 are stored as given.
// Code-page bytes that would read back as different UTF-8 text are avoided.
std::string FieldBytes(const std::string& text) {
    if (!HasNonAscii(text) || !IsValidUtf8(text))
        return text;
    const std::optional<std::string> ansi = Utf8ToAnsi(text);
    if (!ansi || IsValidUtf8(*ansi))
        return text;
    return *ansi;
}

std::string ReadField(std::string_view block, size_t offset, size_t size) {
    std::string_view field = block.substr(offset, size);
    const size_t zero = field.find('\0');
    if (zero != std::string_view::npos)
        field = field.substr(0, zero);
    while (!field.empty() && IsBlank(field.back()))
        field.remove_suffix(1);
    return std::string(field);
}

void PutField(std::string& block, size_t offset, size_t size, std::string_view text) {
    const std::string cut = CutUtf8(text, size);
    block.replace(offset, cut.size(), cut);
}

// Opens the file for reading and writing; a file without the owner's write
// bit gets it until the returned guard goes, which puts the old mode back.
class WritableFile {
public:
    explicit WritableFile(const std::string& path) : path_(path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return;
        mode_ = st.st_mode & 07777;
        if (!(mode_ & S_IWUSR) && ::chmod(path.c_str(), mode_ | S_IWUSR) == 0)
            restoreMode_ = true;
        fd_ = OpenRegularFile(path, O_RDWR);
    }
    ~WritableFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (restoreMode_)
            ::chmod(path_.c_str(), mode_);
    }
    WritableFile(const WritableFile&) = delete;
    WritableFile& operator=(const WritableFile&) = delete;

    int Fd() const { return fd_; }

private:
    std::string path_;
    mode_t mode_ = 0;
    bool restoreMode_ = false;
    int fd_ = -1;
};

off_t FileSize(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? st.st_size : -1;
}

// True when the file behind fd ends with a tag block.
bool EndsWithTag(int fd, off_t size) {
    if (size <= kId3v1Size)
        return false;
    char marker[3];
    return ::pread(fd, marker, 3, size - kId3v1Size) == 3 && std::string_view(marker, 3) == "TAG";
}

bool WriteAll(int fd, const std::string& data, off_t offset) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, offset + done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The block for tag, whose text fields are UTF-8 as shown (or raw bytes), over
// the file's old block (empty when it has none): a field whose text is what
// the old field shows keeps the old bytes exactly, the others are encoded.
std::string BlockToWrite(const Id3v1Tag& tag, const std::string& oldBlock) {
    const std::optional<Id3v1Tag> old = ParseId3v1(oldBlock);
    Id3v1Tag encoded = tag;
    for (const TextField& field : kTextFields)
        encoded.*field.member = FieldBytes(tag.*field.member);
    std::string block = FormatId3v1(encoded);
    for (const TextField& field : kTextFields) {
        const std::string& text = tag.*field.member;
        if (old && ((*old).*field.member == text || Id3v1TextToUtf8((*old).*field.member) == text))
            block.replace(field.offset, field.size, oldBlock, field.offset, field.size);
    }
    return block;
}

} // namespace

std::optional<Id3v1Tag> ParseId3v1(std::string_view block) {
    if (block.size() != kId3v1Size || block.substr(0, 3) != "TAG")
        return std::nullopt;
    Id3v1Tag tag;
    tag.title = ReadField(block, kTitleOffset, kId3v1TextField);
    tag.artist = ReadField(block, kArtistOffset, kId3v1TextField);
    tag.album = ReadField(block, kAlbumOffset, kId3v1TextField);
    tag.year = ReadField(block, kYearOffset, kId3v1YearField);
    tag.comment = ReadField(block, kCommentOffset, kId3v1TextField);
    tag.genre = static_cast<unsigned char>(block[kGenreOffset]);
    return tag;
}

std::string FormatId3v1(const Id3v1Tag& tag) {
    std::string block(kId3v1Size, ' ');
    block.replace(0, 3, "TAG");
    PutField(block, kTitleOffset, kId3v1TextField, tag.title);
    PutField(block, kArtistOffset, kId3v1TextField, tag.artist);
    PutField(block, kAlbumOffset, kId3v1TextField, tag.album);
    PutField(block, kYearOffset, kId3v1YearField, tag.year);
    PutField(block, kCommentOffset, kId3v1TextField, tag.comment);
    const bool listed = tag.genre >= 0 && tag.genre < kGenreCount;
    block[kGenreOffset] = static_cast<char>(listed ? tag.genre : kNoGenre);
    return block;
}

std::optional<Id3v1Tag> ReadId3v1(const std::string& path) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0)
        return std::nullopt;
    std::optional<Id3v1Tag> tag;
    const off_t size = FileSize(fd);
    if (size > kId3v1Size) {
        std::string block(kId3v1Size, '\0');
        if (::pread(fd, block.data(), kId3v1Size, size - kId3v1Size) == kId3v1Size)
            tag = ParseId3v1(block);
    }
    ::close(fd);
    return tag;
}

bool WriteId3v1(const std::string& path, const Id3v1Tag& tag) {
    WritableFile file(path);
    if (file.Fd() < 0)
        return false;
    const off_t size = FileSize(file.Fd());
    if (size < 0)
        return false;
    const bool hadTag = EndsWithTag(file.Fd(), size);
    const off_t offset = hadTag ? size - kId3v1Size : size;
    std::string oldTag(hadTag ? kId3v1Size : 0, '\0');
    if (hadTag && ::pread(file.Fd(), oldTag.data(), kId3v1Size, offset) != kId3v1Size)
        return false;
    if (WriteAll(file.Fd(), BlockToWrite(tag, oldTag), offset))
        return true;
    // A write that failed part way (full disk, size limit) must not leave
    // junk that a later write would take for audio and append after.
    if (hadTag)
        WriteAll(file.Fd(), oldTag, offset);
    else
        (void)::ftruncate(file.Fd(), size);
    return false;
}

bool RemoveId3v1(const std::string& path) {
    WritableFile file(path);
    if (file.Fd() < 0)
        return false;
    const off_t size = FileSize(file.Fd());
    if (!EndsWithTag(file.Fd(), size))
        return false;
    return ::ftruncate(file.Fd(), size - kId3v1Size) == 0;
}

std::string Id3v1DisplayText(std::string_view field) {
    return Id3v1TextToUtf8(Trim(field));
}

std::string Id3v1TextToUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return AnsiToUtf8(bytes);
}

std::string CutUtf8(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    // Bytes that are not UTF-8 (Latin-1 text) have no characters to keep whole.
    if (!IsValidUtf8(text))
        return std::string(text.substr(0, maxBytes));
    size_t end = maxBytes;
    // Step back over continuation bytes to the start of the cut character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

} // namespace zeb
