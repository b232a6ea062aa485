// The current entry's display strings and the output it plays to.
#include "engine/InputStream.h"
#include "platform/TextUtil.h"
#include "playlist/Id3v1Tag.h"
#include "shell/MainWnd.h"

namespace zeb {

namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The name of an address: the text between the last '/' and an ".mp3"
// ending, or the whole address.
std::string AddressName(std::string text) {
    ReplaceAll(text, "%20", " ");
    size_t dot = text.find_last_of('.');
    if (dot != std::string::npos && EqualsIgnoreCase(text.substr(dot + 1, 3), "mp3")) {
        size_t slash = text.find_last_of('/');
        size_t start = slash == std::string::npos || slash > dot ? 0 : slash + 1;
        return text.substr(start, dot - start);
    }
    return text;
}

// A file's name without its folder and extension.
std::string BareFileName(const std::string& text) {
    size_t sep = text.find_last_of("/\\");
    std::string name = sep == std::string::npos ? text : text.substr(sep + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string WavNameFor(const std::string& source) {
    size_t sep = source.find_last_of("/\\");
    std::string name = sep == std::string::npos ? source : source.substr(sep + 1);
    size_t dot = name.find_last_of('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ".wav";
}

} // namespace

std::string CMainWnd::EntryFileName(const std::string& path) {
    std::string text = path;
    ReplaceAll(text, "_", " ");
    return IsUrlName(text) ? AddressName(text) : BareFileName(text);
}

void CMainWnd::SetCurrentTitles(const std::string& path) {
    fileName_ = EntryFileName(path);
    title_ = displayName_ = fileName_;
    if (IsUrlName(path))
        return;
    std::optional<Id3v1Tag> tag = ReadId3v1(path);
    if (!tag)
        return;
    title_ = Id3v1TextToUtf8(Trim(tag->title));
    std::string artist = Id3v1TextToUtf8(Trim(tag->artist));
    displayName_ = artist.empty() ? title_ : artist + " - " + title_;
}

void CMainWnd::PrepareOutput() {
    int n = Count();
    if (n > 0 && CurrentIndex() < n) {
        const std::string& path = model_.PathAt(CurrentIndex());
        model_.SetInfoAt(CurrentIndex(), model_.BuildInfoLine(path));
        host_.MarkInfoWindowForReread();
        if (OutputModule != 0) {
            player_.SetOutputKind(0);
            player_.SetDevice(ADevice);
        } else {
            player_.SetOutputKind(1);
            player_.SetWavPath(OutPath + WavNameFor(path));
        }
    }
}

} // namespace zeb
