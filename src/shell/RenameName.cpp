#include "shell/RenameName.h"

#include "playlist/Id3v1Tag.h"

#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace zeb {

namespace {

constexpr size_t kMaxNameBytes = 255;

std::string TwoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

void ReplaceAll(std::string& text, std::string_view code, const std::string& value) {
    for (size_t at = text.find(code); at != std::string::npos;
         at = text.find(code, at + value.size())) {
        text.replace(at, code.size(), value);
    }
}

bool RefusedInName(unsigned char c) {
    return c < 0x20 || c == 0x7f ||
           std::string_view("\\/:*?\"<>|").find(char(c)) != std::string_view::npos;
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool ReadRenameFields(const std::string& path, int listIndex, int albumIndex,
                      RenameFields& fields) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    fields = RenameFields{};
    fields.listIndex = listIndex;
    fields.albumIndex = albumIndex;
    if (auto tag = ReadId3v1(path)) {
        fields.tagged = true;
        fields.artist = Id3v1TextToUtf8(tag->artist);
        fields.title = Id3v1TextToUtf8(tag->title);
        fields.album = Id3v1TextToUtf8(tag->album);
    }
    return true;
}

bool RenameTemplateAcceptable(const std::string& pattern) {
    return !pattern.empty() && pattern.find_first_of("/\\:*?\"<>!") == std::string::npos;
}

std::string RenamedFileName(const std::string& pattern, const RenameFields& fields,
                            const std::string& oldPath) {
    const std::string albumNumber = TwoDigits(fields.albumIndex + 1);
    std::string name = pattern;
    ReplaceAll(name, "%1", TwoDigits(fields.listIndex + 1));
    ReplaceAll(name, "%2", fields.artist.empty() ? "Unknown artist" : fields.artist);
    ReplaceAll(name, "%3", fields.title.empty() ? "Track" + albumNumber : fields.title);
    ReplaceAll(name, "%4", fields.album.empty() ? "Unknown album" : fields.album);
    ReplaceAll(name, "%5", albumNumber);

    // The extension comes from the file's own name: a dot in a folder name
    // is no extension.
    const std::string oldName = FileNameOf(oldPath);
    const size_t dot = oldName.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : oldName.substr(dot);
    if (extension.size() > kMaxNameBytes / 2)
        extension.clear();
    name = CutUtf8(name, kMaxNameBytes - extension.size()) + extension;
    for (char& c : name) {
        if (RefusedInName(static_cast<unsigned char>(c)))
            c = '_';
    }
    if (name == "." || name == "..")
        name = "_";
    return name;
}

} // namespace zeb
