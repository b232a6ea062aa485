#include "cd/CdTitleDatabase.h"

#include "platform/ProgramFiles.h"
#include "platform/TextUtil.h"
#include "platform/Utf8.h"

#include <cstdint>

namespace zeb {

namespace {

constexpr size_t kValueCharacters = 255; // a 256-byte profile buffer
constexpr size_t kMenuNameLimit = 40;
constexpr size_t kMenuNameKept = 37;
constexpr int kMaxCdTrack = 99;

std::string TrackKey(int track) {
    return std::to_string(track - 1);
}

// The order text's items: after trimming, the text between single spaces,
// so two spaces in a row give an empty item.
std::vector<std::string_view> OrderItems(std::string_view text) {
    std::vector<std::string_view> items;
    text = Trim(text);
    if (text.empty())
        return items;
    size_t start = 0;
    for (;;) {
        size_t space = text.find(' ', start);
        items.push_back(text.substr(start, space - start));
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    return items;
}

// Creates the folder that holds the file, as a first store in a fresh
// configuration folder needs it.
bool EnsureFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 || EnsureFolder(path.substr(0, slash));
}

} // namespace

CdTitleDatabase::CdTitleDatabase(std::string path, TextDecoder legacyDecoder)
    : ini_(std::move(path)), legacyDecoder_(std::move(legacyDecoder)) {}

std::string CdTitleDatabase::DefaultPath() {
    return UserConfigFolder() + "CDPLAYER.INI";
}

std::string CdTitleDatabase::DiscKey(const std::string& identityReply) {
    std::string_view reply = identityReply;
    size_t i = 0;
    while (i < reply.size() && IsBlank(reply[i]))
        ++i;
    if (i == reply.size() || reply[i] < '0' || reply[i] > '9')
        return kNoDisc;
    uint64_t value = 0; // wraps for absurdly long replies, still one key per reply
    for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i)
        value = value * 10 + static_cast<uint64_t>(reply[i] - '0');
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string key;
    do {
        key.insert(key.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return key;
}

std::string CdTitleDatabase::Read(const std::string& key, const std::string& name,
                                  const std::string& defaultValue) const {
    std::string value = ini_.GetString(key, name, defaultValue);
    if (legacyDecoder_ && !IsValidUtf8(value))
        value = legacyDecoder_(value);
    value.resize(Utf8PrefixBytes(value, kValueCharacters));
    return value;
}

std::string CdTitleDatabase::DefaultTrackName(int track) {
    return "Track " + std::to_string(track);
}

std::string CdTitleDatabase::TrackName(const std::string& key, int track) const {
    return Read(key, TrackKey(track), DefaultTrackName(track));
}

std::string CdTitleDatabase::Artist(const std::string& key, bool unknownDefault) const {
    return Read(key, "Artist", unknownDefault ? "Unknown" : "");
}

std::string CdTitleDatabase::Title(const std::string& key, bool unknownDefault) const {
    return Read(key, "Title", unknownDefault ? "Unknown" : "");
}

std::string CdTitleDatabase::OrderText(const std::string& key) const {
    return std::string(Trim(Read(key, "order", "")));
}

std::vector<int> CdTitleDatabase::Order(const std::string& key) const {
    std::vector<int> tracks;
    const std::string text = OrderText(key);
    for (std::string_view item : OrderItems(text)) {
        const int64_t track = LeadingInteger(item) + 1;
        if (track >= 1 && track <= kMaxCdTrack)
            tracks.push_back(static_cast<int>(track));
    }
    return tracks;
}

std::string CdTitleDatabase::FormatOrder(const std::vector<int>& tracks) {
    std::string text;
    for (int track : tracks) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(track - 1);
    }
    return text;
}

void CdTitleDatabase::WriteDisc(const std::string& key, const std::string& artist,
                                const std::string& title,
                                const std::vector<std::string>& trackNames) {
    ini_.WriteString(key, "Artist", artist);
    ini_.WriteString(key, "Title", title);
    for (size_t i = 0; i < trackNames.size(); ++i)
        ini_.WriteString(key, std::to_string(i), trackNames[i]);
    ini_.WriteInt(key, "NumTracks", static_cast<int>(trackNames.size()));
}

bool CdTitleDatabase::SetOrder(const std::string& key, const std::vector<int>& tracks) {
    if (key == kNoDisc || !EnsureFolderOf(Path()))
        return false;
    IniFile::Batch batch(ini_);
    ini_.WriteString(key, "order", FormatOrder(tracks));
    ini_.WriteInt(key, "numplay", static_cast<int>(tracks.size()));
    return batch.Commit();
}

bool CdTitleDatabase::StoreDisc(const std::string& key, const std::string& artist,
                                const std::string& title,
                                const std::vector<std::string>& trackNames) {
    if (key == kNoDisc || !EnsureFolderOf(Path()))
        return false;
    IniFile::Batch batch(ini_);
    WriteDisc(key, artist, title, trackNames);
    return batch.Commit();
}

bool CdTitleDatabase::StoreEntry(const std::string& key, const std::string& artist,
                                 const std::string& title,
                                 const std::vector<std::string>& trackNames,
                                 const std::vector<int>& order) {
    if (key == kNoDisc || !EnsureFolderOf(Path()))
        return false;
    IniFile::Batch batch(ini_);
    WriteDisc(key, artist, title, trackNames);
    ini_.WriteString(key, "order", FormatOrder(order));
    ini_.WriteInt(key, "numplay", static_cast<int>(order.size()));
    return batch.Commit();
}

std::string CdTitleDatabase::DisplayName(const std::string& key, int track, int showingMode) const {
    if (showingMode == 2)
        return DefaultTrackName(track);
    if (showingMode == 1)
        return NowPlayingName(key, track);
    return TrackName(key, track);
}

std::string CdTitleDatabase::ShortName(const std::string& key, int track) const {
    return MenuText(TrackName(key, track));
}

std::string CdTitleDatabase::NowPlayingName(const std::string& key, int track) const {
    return Artist(key, true) + " - " + TrackName(key, track);
}

std::string CdTitleDatabase::MenuText(const std::string& name) {
    std::string shortened = name;
    if (Utf8CharacterCount(name) > kMenuNameLimit)
        shortened = name.substr(0, Utf8PrefixBytes(name, kMenuNameKept)) + "...";
    std::string text;
    for (char c : shortened) {
        text += c;
        if (c == '&')
            text += '&';
    }
    return text;
}

} // namespace zeb
